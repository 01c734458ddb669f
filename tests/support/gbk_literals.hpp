// Test texts are written in UTF-8 in the sources and compared as GBK bytes.
#pragma once

#include <string>
#include <string_view>

#include "platform/gbk.hpp"

namespace zarvo::test {

inline std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

}  // namespace zarvo::test
