#include "app/win32/win32_layout.hpp"

namespace zarvo {
namespace {

// The per-monitor DPI calls came with Windows 10 and are not in every Wine;
// they are looked up once and stood in for where they are missing.
struct DpiCalls {
  UINT(WINAPI* forWindow)(HWND) = nullptr;
  UINT(WINAPI* forSystem)() = nullptr;
};

// FARPROC is a function pointer of no particular type; the cast goes through
// void (*)(), which the compiler takes as "any function".
template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const DpiCalls& Calls() {
  static const DpiCalls calls = [] {
    DpiCalls found;
    if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
      found.forWindow = Lookup<UINT(WINAPI*)(HWND)>(user, "GetDpiForWindow");
      found.forSystem = Lookup<UINT(WINAPI*)()>(user, "GetDpiForSystem");
    }
    return found;
  }();
  return calls;
}

UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) {
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

}  // namespace

int ScaleToDpi(int length, UINT dpi) {
  return MulDiv(length, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

Place ScaleToDpi(const Place& place, UINT dpi) {
  return {ScaleToDpi(place.left, dpi), ScaleToDpi(place.top, dpi), ScaleToDpi(place.width, dpi),
          ScaleToDpi(place.height, dpi)};
}

UINT SystemDpi() {
  const UINT dpi = Calls().forSystem != nullptr ? Calls().forSystem() : 0;
  return dpi != 0 ? dpi : ScreenDpi();
}

UINT WindowDpi(HWND window) {
  const UINT dpi = Calls().forWindow != nullptr ? Calls().forWindow(window) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

Place ToolWindowPlace(UINT dpi) {
  const int width = ScaleToDpi(kToolWindowLayout.outerWidth, dpi);
  const int height = ScaleToDpi(kToolWindowLayout.outerHeight, dpi);
  // C++ integer division truncates toward zero, as the start position wants.
  return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
          width, height};
}

// The stock GUI font is made for the system DPI: at that DPI it is used as it
// is, at another its face is made again at the same point size. Its face, not
// the message font's, because the 96-DPI layout was drawn for its metrics (the
// message font is larger and cuts captions off), and because Wine's
// SystemParametersInfoForDpi gives the message font without a face name.
WindowFonts::WindowFonts(UINT dpi) {
  auto* stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW font{};
  GetObjectW(stock, sizeof font, &font);
  const UINT systemDpi = SystemDpi();
  if (dpi == systemDpi) {
    gui_ = stock;
  } else {
    LOGFONTW scaled = font;
    scaled.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi));
    scaled.lfWidth = 0;
    gui_ = CreateFontIndirectW(&scaled);
    ownsGui_ = gui_ != nullptr;
    if (gui_ == nullptr) {
      gui_ = stock;
    }
  }
  // The generate button's caption: the default face and character set at a
  // character height of 12 pixels, bold or at the default weight.
  font.lfHeight = -ScaleToDpi(12, dpi);
  font.lfWidth = 0;
  font.lfItalic = FALSE;
  font.lfUnderline = FALSE;
  font.lfWeight = FW_BOLD;
  boldCaption_ = CreateFontIndirectW(&font);
  font.lfWeight = FW_DONTCARE;
  plainCaption_ = CreateFontIndirectW(&font);
}

WindowFonts::~WindowFonts() {
  if (ownsGui_) {
    DeleteObject(gui_);
  }
  DeleteObject(boldCaption_);
  DeleteObject(plainCaption_);
}

}  // namespace zarvo
