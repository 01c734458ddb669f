#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.hpp"

namespace zarvo {

bool NativeFiles::WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    return false;
  }
  bool ok = true;
  for (size_t written = 0; written < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      ok = false;
      break;
    }
    written += static_cast<size_t>(n);
  }
  return ::close(fd) == 0 && ok;
}

}  // namespace zarvo
