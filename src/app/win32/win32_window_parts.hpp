// Small pieces shared by the files of the Win32 tool window.
#pragma once

#include <windows.h>

#include "app/control_table.hpp"

namespace zarvo {

// The one subclass ID that every control of the window is subclassed under.
inline constexpr UINT_PTR kSubclassId = 0x2A750;

inline COLORREF ToColorRef(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

inline bool IsEditKind(ControlKind kind) {
  return kind == ControlKind::EditBox || kind == ControlKind::MultiLineEditBox;
}

}  // namespace zarvo
