#include <cstring>

#include "platform/gbk.hpp"
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
  const std::u16string wide = GbkToUtf16(gbk);
  const LCID chinese = MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);
  HGLOBAL ansi = CopyToGlobal(gbk.data(), gbk.size(), 1);
  HGLOBAL unicode = CopyToGlobal(wide.data(), wide.size() * sizeof(char16_t), sizeof(char16_t));
  // The locale tells readers of CF_TEXT that its bytes are code page 936.
  HGLOBAL locale = CopyToGlobal(&chinese, sizeof chinese, 0);
  const auto release = [&] {
    for (HGLOBAL block : {ansi, unicode, locale}) {
      if (block != nullptr) {
        GlobalFree(block);
      }
    }
  };
  if (ansi == nullptr || unicode == nullptr || locale == nullptr || !OpenClipboardBriefly(owner_)) {
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
  if (ok && SetClipboardData(CF_UNICODETEXT, unicode) != nullptr) {
    unicode = nullptr;
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
