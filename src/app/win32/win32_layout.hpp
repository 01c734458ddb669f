// The tool window's layout at the DPI of its monitor. The control table holds
// the layout at 96 DPI; every place, size and font is scaled from it.
#pragma once

#include <windows.h>

#include "app/control_table.hpp"

namespace zarvo {

inline constexpr UINT kBaseDpi = 96;

// A length of the 96-DPI layout at the given DPI, rounded to the nearest pixel.
int ScaleToDpi(int length, UINT dpi);
Place ScaleToDpi(const Place& place, UINT dpi);

// The DPI that new windows of this process start with, and the DPI of the
// monitor a window is on. Where the system lacks the per-monitor calls, the
// screen's DPI stands in.
UINT SystemDpi();
UINT WindowDpi(HWND window);

// The outer place of the tool window at a DPI: its scaled outer size, centred
// on the primary screen (truncating toward zero, negative on a small screen).
Place ToolWindowPlace(UINT dpi);

// The fonts of the tool window at one DPI: the default GUI font for every
// control, and the generate button's 12-pixel caption in bold and at the
// default weight.
class WindowFonts {
 public:
  explicit WindowFonts(UINT dpi);
  ~WindowFonts();
  WindowFonts(const WindowFonts&) = delete;
  WindowFonts& operator=(const WindowFonts&) = delete;

  HFONT Gui() const { return gui_; }
  HFONT Caption(bool bold) const { return bold ? boldCaption_ : plainCaption_; }

 private:
  HFONT gui_ = nullptr;
  bool ownsGui_ = false;  // the stock font is not ours to delete
  HFONT boldCaption_ = nullptr;
  HFONT plainCaption_ = nullptr;
};

}  // namespace zarvo
