#include "platform/platform.hpp"
#include "platform/win32/win32_services.hpp"

namespace zarvo {

bool NativeFiles::WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  // CREATE_ALWAYS truncates an existing file, so a shorter page leaves nothing
  // of a longer earlier one behind.
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  bool ok = true;
  for (size_t written = 0; written < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
    DWORD done = 0;
    if (!::WriteFile(file, bytes.data() + written, chunk, &done, nullptr) || done == 0) {
      ok = false;
      break;
    }
    written += done;
  }
  return CloseHandle(file) != 0 && ok;
}

}  // namespace zarvo
