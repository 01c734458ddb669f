#include <system_error>

#include "platform/platform.hpp"

namespace zarvo {

std::filesystem::path ProgramDirectory() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path{} : DirectoryOfExecutable(executable);
}

}  // namespace zarvo
