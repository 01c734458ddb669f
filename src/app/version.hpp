// The version of every Zarvo750 program, set once in the CMake project.
#pragma once

#include <string_view>

namespace zarvo {

#ifndef ZARVO_VERSION
#error "ZARVO_VERSION comes from the CMake project; build through CMake"
#endif
inline constexpr std::string_view kVersion = ZARVO_VERSION;

}  // namespace zarvo
