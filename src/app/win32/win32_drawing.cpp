// How the tool window's controls look: colours, the drawn flat button.
#include <windows.h>
// This builds on windows.h.
#include <commctrl.h>

#include "app/win32/win32_tool_window.hpp"
#include "app/win32/win32_window_parts.hpp"
#include "platform/gbk.hpp"

namespace zarvo {

LRESULT Win32ToolWindow::OnControlColour(HDC dc, HWND control) {
  SetBkColor(dc, ToColorRef(kToolWindowLayout.background));
  const std::optional<ControlId> id = IdOf(control);
  if (id) {
    const ControlEntry& entry = Entry(*id);
    SetTextColor(dc, ToColorRef(entry.textColor));
    if (entry.kind == ControlKind::Label) {
      // The text is drawn without a box of its own, over the white of its
      // container.
      SetBkMode(dc, TRANSPARENT);
    }
  }
  return reinterpret_cast<LRESULT>(background_);
}

void Win32ToolWindow::DrawFlatButton(const DRAWITEMSTRUCT& item) {
  const std::optional<ControlId> id = IdOf(item.hwndItem);
  if (!id) {
    return;
  }
  const ControlEntry& entry = Entry(*id);
  // No border and no focus rectangle: only the caption, in its colour.
  FillRect(item.hDC, &item.rcItem, background_);
  RECT area = item.rcItem;
  if (item.itemState & ODS_SELECTED) {
    OffsetRect(&area, 1, 1);
  }
  std::u16string caption = GbkToUtf16(model_.Text(*id));
  const int saved = SaveDC(item.hDC);
  // The font the button was given, as every other control draws with its own.
  SelectObject(item.hDC, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, ToColorRef(flatButtonHot_ ? entry.hoverColor : entry.textColor));
  DrawTextW(item.hDC, reinterpret_cast<const wchar_t*>(caption.c_str()),
            static_cast<int>(caption.size()), &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  RestoreDC(item.hDC, saved);
}

// The flat button changes colour while the pointer is over it.
LRESULT CALLBACK Win32ToolWindow::FlatButtonProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  auto& owner = *reinterpret_cast<Win32ToolWindow*>(self);
  switch (message) {
    case WM_MOUSEMOVE:
      if (!owner.flatButtonHot_) {
        owner.flatButtonHot_ = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        InvalidateRect(window, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      owner.flatButtonHot_ = false;
      InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_ERASEBKGND:
      return 1;  // WM_DRAWITEM paints all of it
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, FlatButtonProc, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace zarvo
