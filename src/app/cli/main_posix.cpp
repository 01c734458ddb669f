// zarvo750-cli on Linux: files and pipes through POSIX calls, HTTP through
// libcurl.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/cli/cli.hpp"
#include "platform/posix/http_curl.hpp"

namespace zarvo {
namespace {

std::string Reason(int error) { return std::strerror(error); }

bool WriteAllTo(int fd, std::string_view bytes) {
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

std::optional<std::string> ReadAllFrom(int fd, std::string& error) {
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      error = Reason(errno);
      return std::nullopt;
    }
    if (n == 0) {
      return bytes;
    }
    bytes.append(buffer, static_cast<size_t>(n));
  }
}

class PosixCliSystem final : public CliSystem {
 public:
  std::optional<std::string> ReadFile(const std::string& path, std::string& error) override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      error = Reason(errno);
      return std::nullopt;
    }
    std::optional<std::string> bytes = ReadAllFrom(fd, error);
    ::close(fd);
    return bytes;
  }

  std::optional<std::string> ReadStandardInput(std::string& error) override {
    return ReadAllFrom(STDIN_FILENO, error);
  }

  std::optional<std::string> WriteTemporary(const std::string& path, std::string_view bytes,
                                            std::string& error) override {
    static std::atomic<int> serial = 0;
    const std::string temporary =
        path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      error = Reason(errno);
      return std::nullopt;
    }
    // A file that is replaced keeps its permissions.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
      ::fchmod(fd, existing.st_mode & 07777);
    }
    const bool written = WriteAllTo(fd, bytes);
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
      error = Reason(written ? errno : writeError);
      ::unlink(temporary.c_str());
      return std::nullopt;
    }
    return temporary;
  }

  bool Replace(const std::string& temporary, const std::string& path, std::string& error) override {
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
      error = Reason(errno);
      return false;
    }
    return true;
  }

  void Remove(const std::string& path) override { ::unlink(path.c_str()); }

  bool CreateDirectories(const std::string& path, std::string& error) override {
    std::error_code code;
    std::filesystem::create_directories(path, code);
    if (code && !std::filesystem::is_directory(path)) {
      error = code.message();
      return false;
    }
    return true;
  }

  bool WriteStandardOutput(std::string_view bytes) override {
    return WriteAllTo(STDOUT_FILENO, bytes);
  }

  void WriteError(std::string_view line) override {
    WriteAllTo(STDERR_FILENO, std::string(line) + "\n");
  }

  std::optional<std::string> Environment(const char* name) override {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
  }

  HttpClient& Http() override { return http_; }

 private:
  CurlHttpClient http_;
};

}  // namespace
}  // namespace zarvo

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  zarvo::PosixCliSystem system;
  return zarvo::RunCli(arguments, system);
}
