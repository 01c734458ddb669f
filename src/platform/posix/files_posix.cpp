#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

#include "platform/platform.hpp"

namespace zarvo {
namespace {

// Writes all bytes; false on any error.
bool WriteAll(int fd, std::string_view bytes) {
  for (size_t written = 0; written < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    written += static_cast<size_t>(n);
  }
  return true;
}

// Creates a new, empty file beside the target, named after it, that no other
// writer uses; -1 when none can be made.
int CreateBeside(const std::filesystem::path& target, std::filesystem::path& made) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    made = target;
    made += "." + std::to_string(random()) + ".tmp";
    const int fd = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  return -1;
}

}  // namespace

// The page goes to a file of its own beside the target, which then takes the
// target's name in one step: the target is the whole new page or the whole old
// one, never a part, and a link in its place is replaced rather than followed.
bool NativeFiles::WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path temporary;
  const int fd = CreateBeside(path, temporary);
  if (fd < 0) {
    return false;
  }
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (written && closed && std::rename(temporary.c_str(), path.c_str()) == 0) {
    return true;
  }
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace zarvo
