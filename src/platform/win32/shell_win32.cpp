#include "platform/win32/win32_services.hpp"

// After windows.h, which it needs.
#include <shellapi.h>

namespace zarvo {

void Win32Shell::OpenWithDefaultProgram(const std::filesystem::path& path) {
  // An open Internet Explorer window, if any, is the parent of whatever the
  // shell shows while it opens the page.
  HWND owner = FindWindowW(nullptr, L"Microsoft Internet Explorer");
  ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace zarvo
