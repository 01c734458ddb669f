#include <string>

#include "platform/platform.hpp"
#include "platform/win32/win32_services.hpp"

namespace zarvo {

std::filesystem::path ProgramDirectory() {
  // The path may be longer than MAX_PATH: grow the buffer until it fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      return {};
    }
    if (length < buffer.size()) {
      buffer.resize(length);
      return DirectoryOfExecutable(buffer);
    }
    if (buffer.size() >= 32768) {
      return {};
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace zarvo
