// The real operating-system services of this platform that need no window
// toolkit.
#pragma once

#include <filesystem>

#include "platform/services.hpp"

namespace zarvo {

class NativeFiles final : public Files {
 public:
  bool WriteFile(const std::filesystem::path& path, std::string_view bytes) override;
};

// The directory of the running executable.
std::filesystem::path ProgramDirectory();

}  // namespace zarvo
