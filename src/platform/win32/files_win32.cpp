#include <algorithm>
#include <string>

#include "platform/platform.hpp"
#include "platform/win32/win32_services.hpp"

namespace zarvo {
namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
  for (size_t written = 0; written < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
    DWORD done = 0;
    if (!::WriteFile(file, bytes.data() + written, chunk, &done, nullptr) || done == 0) {
      return false;
    }
    written += done;
  }
  return true;
}

// Creates a new, empty file beside the target, named after it, that no other
// writer uses; INVALID_HANDLE_VALUE when none can be made.
HANDLE CreateBeside(const std::filesystem::path& target, std::filesystem::path& made) {
  for (DWORD attempt = 0; attempt < 16; ++attempt) {
    made = target;
    made += L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64() + attempt) + L".tmp";
    HANDLE file = CreateFileW(made.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
      return file;
    }
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

// The page goes to a file of its own beside the target, which then replaces
// the target in one step: the target is the whole new page or the whole old
// one, never a part, and a link in its place is replaced rather than followed.
bool NativeFiles::WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path temporary;
  HANDLE file = CreateBeside(path, temporary);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  const bool written = WriteAll(file, bytes) && FlushFileBuffers(file) != 0;
  const bool closed = CloseHandle(file) != 0;
  if (written && closed &&
      MoveFileExW(temporary.c_str(), path.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
    return true;
  }
  DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace zarvo
