#include <cstring>

#include "platform/win32/win32_services.hpp"

namespace zarvo {
namespace {

// A movable, zero-filled block holding the bytes; the zero fill provides the
// terminating zero.
HGLOBAL CopyToGlobal(const void* data, size_t size, size_t terminator) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + terminator);
  if (block == nullptr) {
    return nullptr;
  }
  void* target = GlobalLock(block);
  if (target == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  if (size > 0) {
    std::memcpy(target, data, size);
  }
  GlobalUnlock(block);
  return block;
}

// Another program may hold the clipboard for a moment (a clipboard manager
// reading our last copy): try a few times before giving up.
bool OpenClipboardBriefly(HWND owner) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(owner)) {
      return true;
    }
    Sleep(15);
  }
  return false;
}

}  // namespace

bool Win32Clipboard::SetText(std::string_view gbk) {
  // Everything is prepared before the clipboard is emptied, so that a failure
  // leaves the user's clipboard as it was.
  const LCID chinese = MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);
  HGLOBAL ansi = CopyToGlobal(gbk.data(), gbk.size(), 1);
  // The locale tells readers of CF_TEXT that its bytes are code page 936. The
  // system makes CF_UNICODETEXT from the two when a program asks for it, so
  // a large text is neither decoded nor held twice unless it is pasted so.
  HGLOBAL locale = CopyToGlobal(&chinese, sizeof chinese, 0);
  const auto release = [&] {
    for (HGLOBAL block : {ansi, locale}) {
      if (block != nullptr) {
        GlobalFree(block);
      }
    }
  };
  if (ansi == nullptr || locale == nullptr || !OpenClipboardBriefly(owner_)) {
    release();
    return false;
  }
  bool ok = EmptyClipboard() != 0;
  // A block that SetClipboardData accepted belongs to the system from then on.
  if (ok && SetClipboardData(CF_TEXT, ansi) != nullptr) {
    ansi = nullptr;
  } else {
    ok = false;
  }
  if (ok && SetClipboardData(CF_LOCALE, locale) != nullptr) {
    locale = nullptr;
  }
  CloseClipboard();
  release();
  return ok;
}

}  // namespace zarvo
