// Small helpers of the Windows tests: texts of windows and of the clipboard.
#pragma once

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/gbk.hpp"

namespace zarvo::test {

inline std::wstring W(std::string_view utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return {text.begin(), text.end()};
}

struct ClipboardContents {
  std::string ansi;             // CF_TEXT up to its terminating zero
  bool ansiTerminated = false;  // the block holds a zero after the text
  std::wstring unicode;         // CF_UNICODETEXT
};

// The clipboard as another program reads it.
inline ClipboardContents ReadClipboard() {
  ClipboardContents contents;
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) {
    Sleep(20);
  }
  if (HANDLE ansi = GetClipboardData(CF_TEXT)) {
    const char* bytes = static_cast<const char*>(GlobalLock(ansi));
    const size_t size = GlobalSize(ansi);
    const size_t length = strnlen(bytes, size);
    contents.ansi.assign(bytes, length);
    contents.ansiTerminated = length < size;
    GlobalUnlock(ansi);
  }
  if (HANDLE unicode = GetClipboardData(CF_UNICODETEXT)) {
    contents.unicode = static_cast<const wchar_t*>(GlobalLock(unicode));
    GlobalUnlock(unicode);
  }
  CloseClipboard();
  return contents;
}

// While it lives, the shell opens files of one type by copying them to a
// file of the test's choosing: what the "browser" was given shows there, and
// no real program starts.
class OpenByCopying {
 public:
  OpenByCopying(const std::wstring& extension, const std::filesystem::path& copyTo)
      : extension_(extension) {
    wchar_t previous[256] = {};
    LONG size = sizeof previous;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, extension_.c_str(), previous, &size) == ERROR_SUCCESS) {
      previous_ = previous;
    }
    const std::wstring command = L"cmd.exe /c copy /y \"%1\" \"" + copyTo.wstring() + L"\"";
    SetValue(extension_, kProgId);
    SetValue(std::wstring(kProgId) + L"\\shell\\open\\command", command);
  }
  ~OpenByCopying() {
    if (previous_.empty()) {
      RegDeleteKeyW(HKEY_CLASSES_ROOT, extension_.c_str());
    } else {
      SetValue(extension_, previous_);
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
  }
  OpenByCopying(const OpenByCopying&) = delete;
  OpenByCopying& operator=(const OpenByCopying&) = delete;

 private:
  static constexpr wchar_t kProgId[] = L"Zarvo750.TestOpenByCopying";
  static void SetValue(const std::wstring& key, const std::wstring& value) {
    RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                 static_cast<DWORD>(value.size() * sizeof(wchar_t)));
  }
  std::wstring extension_;
  std::wstring previous_;
};

// Saves what the screen shows of the window as a 24-bit BMP.
inline bool SaveScreenshot(HWND window, const std::filesystem::path& file) {
  RECT area{};
  GetWindowRect(window, &area);
  const int width = area.right - area.left, height = area.bottom - area.top;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);
  const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER header{
      0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageSize),
      0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), imageSize);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied && out.good();
}

}  // namespace zarvo::test
