// The real operating-system services of this platform that need no window
// toolkit.
#pragma once

#include <filesystem>

#include "platform/services.hpp"

namespace zarvo {

// Writes a file through a new file beside it that then takes its name: the
// file is afterwards the whole new content or the whole old one, a link in its
// place is replaced rather than followed, and a failed write leaves nothing
// behind.
class NativeFiles final : public Files {
 public:
  bool WriteFile(const std::filesystem::path& path, std::string_view bytes) override;
};

// The directory of the running executable.
std::filesystem::path ProgramDirectory();

}  // namespace zarvo
