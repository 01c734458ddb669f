// zarvo750-cli.exe: the wide command line, wide paths without the 260-character
// limit, binary standard streams, HTTP through WinINet.
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "app/cli/cli.hpp"
#include "platform/gbk.hpp"
#include "platform/win32/win32_services.hpp"

namespace zarvo {
namespace {

std::wstring Wide(std::string_view utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return {text.begin(), text.end()};
}

std::string Utf8(std::wstring_view wide) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

// The system's words for the last error, on one line.
std::string LastError() {
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length > 0 ? std::wstring(text, length) : std::wstring();
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                              message.back() == L'.' || message.back() == L' ')) {
    message.pop_back();
  }
  return message.empty() ? "error " + std::to_string(code) : Utf8(message);
}

// The path in its extended-length form (\\?\C:\..., \\?\UNC\server\...), which
// the file functions take beyond 260 characters. GetFullPathNameW resolves
// "." and ".." and turns slashes into backslashes, as the form requires.
std::wstring LongPath(const std::string& utf8) {
  const std::wstring path = Wide(utf8);
  if (path.starts_with(L"\\\\?\\")) {
    return path;
  }
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) {
    return path;
  }
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  full.resize(length);
  if (full.starts_with(L"\\\\.\\")) {
    return full;  // a device
  }
  if (full.starts_with(L"\\\\")) {
    return L"\\\\?\\UNC\\" + full.substr(2);
  }
  return L"\\\\?\\" + full;
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (Valid()) {
      CloseHandle(handle_);
    }
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

bool WriteAllTo(HANDLE handle, std::string_view bytes) {
  for (size_t written = 0; written < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
    DWORD done = 0;
    if (!::WriteFile(handle, bytes.data() + written, chunk, &done, nullptr) || done == 0) {
      return false;
    }
    written += done;
  }
  return true;
}

std::optional<std::string> ReadAllFrom(HANDLE handle, std::string& error) {
  std::string bytes;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) {
      // The writing end of a pipe closed: the input is complete.
      if (GetLastError() == ERROR_BROKEN_PIPE) {
        return bytes;
      }
      error = LastError();
      return std::nullopt;
    }
    if (got == 0) {
      return bytes;
    }
    bytes.append(buffer, got);
  }
}

class Win32CliSystem final : public CliSystem {
 public:
  std::optional<std::string> ReadFile(const std::string& path, std::string& error) override {
    Handle file(CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      error = LastError();
      return std::nullopt;
    }
    return ReadAllFrom(file.Get(), error);
  }

  std::optional<std::string> ReadStandardInput(std::string& error) override {
    return ReadAllFrom(GetStdHandle(STD_INPUT_HANDLE), error);
  }

  std::optional<std::string> WriteTemporary(const std::string& path, std::string_view bytes,
                                            std::string& error) override {
    static std::atomic<int> serial = 0;
    const std::string temporary =
        path + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++);
    Handle file(CreateFileW(LongPath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      error = LastError();
      return std::nullopt;
    }
    const bool written = WriteAllTo(file.Get(), bytes);
    if (!written || !file.Close()) {
      error = LastError();
      DeleteFileW(LongPath(temporary).c_str());
      return std::nullopt;
    }
    return temporary;
  }

  bool Replace(const std::string& temporary, const std::string& path, std::string& error) override {
    if (!MoveFileExW(LongPath(temporary).c_str(), LongPath(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      error = LastError();
      return false;
    }
    return true;
  }

  void Remove(const std::string& path) override { DeleteFileW(LongPath(path).c_str()); }

  bool CreateDirectories(const std::string& path, std::string& error) override {
    const std::wstring full = LongPath(path);
    // Each missing folder from the top down; the prefix's own parts exist.
    for (size_t at = full.find(L'\\', 4); at != std::wstring::npos; at = full.find(L'\\', at + 1)) {
      CreateDirectoryW(full.substr(0, at).c_str(), nullptr);
    }
    if (!CreateDirectoryW(full.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      error = LastError();
      return false;
    }
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      error = "not a directory";
      return false;
    }
    return true;
  }

  bool WriteStandardOutput(std::string_view bytes) override {
    // Straight to the handle: no LF to CR LF translation of the C library.
    return WriteAllTo(GetStdHandle(STD_OUTPUT_HANDLE), bytes);
  }

  void WriteError(std::string_view line) override {
    HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
      // A console shows UTF-16 whatever its code page.
      const std::wstring text = Wide(line) + L"\r\n";
      DWORD done = 0;
      WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    } else {
      WriteAllTo(handle, std::string(line) + "\n");
    }
  }

  std::optional<std::string> Environment(const char* name) override {
    const wchar_t* value = _wgetenv(Wide(name).c_str());
    return value != nullptr ? std::optional<std::string>(Utf8(value)) : std::nullopt;
  }

  HttpClient& Http() override { return http_; }

 private:
  Win32HttpClient http_;
};

}  // namespace
}  // namespace zarvo

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    arguments.push_back(zarvo::Utf8(argv[i]));
  }
  zarvo::Win32CliSystem system;
  return zarvo::RunCli(arguments, system);
}
