// Small helpers of the Windows tests: texts of windows and of the clipboard.
#pragma once

#include <windows.h>

#include <cstring>
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

}  // namespace zarvo::test
