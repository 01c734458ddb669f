// Small helpers of the Windows tests: texts of windows and of the clipboard.
#pragma once

#include <windows.h>

#include <cstring>
#include <filesystem>
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

}  // namespace zarvo::test
