// The tool window's keyboard rules and where the focus goes.
#include <windows.h>

#include "app/win32/win32_tool_window.hpp"
#include "app/win32/win32_window_parts.hpp"

namespace zarvo {
namespace {

bool ModifierDown() {
  return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0;
}

// While no window has the keyboard focus, the keys come to the active window
// as system keys; only with the Alt key down (context bit 29) are they
// really system keys.
bool IsPlainKeyDown(const MSG& message) {
  return message.message == WM_KEYDOWN ||
         (message.message == WM_SYSKEYDOWN && (message.lParam & (1 << 29)) == 0);
}

}  // namespace

bool Win32ToolWindow::PreTranslate(MSG& message) {
  if (window_ == nullptr) {
    return false;
  }
  if (IsPlainKeyDown(message)) {
    if (HandleKey(message)) {
      return true;
    }
    if (message.wParam == VK_RETURN) {
      // Past the dialog manager, which would click the focused button: the
      // multi-line boxes insert a line break, an opened list takes the pick.
      return false;
    }
  }
  return IsDialogMessageW(window_, &message) != 0;
}

bool Win32ToolWindow::HandleKey(const MSG& message) {
  if (message.wParam == VK_ESCAPE && !ModifierDown()) {
    // No control keeps Esc: an opened list or a box being typed in alike.
    SendMessageW(window_, WM_CLOSE, 0, 0);
    return true;
  }
  if (message.wParam != VK_TAB || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) {
    return false;
  }
  // Also out of a multi-line box, which would otherwise keep the Tab, and
  // from the window itself when no control has the focus.
  HWND focus = GetFocus();
  const bool inside = focus != nullptr && focus != window_ && IsChild(window_, focus);
  HWND next = GetNextDlgTabItem(window_, inside ? focus : nullptr, GetKeyState(VK_SHIFT) < 0);
  if (next != nullptr) {
    SetFocus(next);
    const std::optional<ControlId> id = IdOf(next);
    if (id && IsEditKind(Entry(*id).kind)) {
      SendMessageW(next, EM_SETSEL, 0, -1);
    }
  }
  return true;
}

// A disabled window cannot keep the focus, and the system would leave the
// window with none: Esc and Tab would then reach no control. The focus moves
// to the window itself while the control is disabled, and comes back to the
// control when it is enabled again, unless the user has put it elsewhere.
void Win32ToolWindow::ShowEnabled(ControlId id) {
  HWND control = Control(id);
  if (!model_.Enabled(id)) {
    HWND focus = GetFocus();
    if (focus != nullptr && (focus == control || IsChild(control, focus))) {
      parkedFocus_ = control;
      SetFocus(window_);
    }
    EnableWindow(control, FALSE);
    return;
  }
  EnableWindow(control, TRUE);
  if (parkedFocus_ == control) {
    parkedFocus_ = nullptr;
    HWND focus = GetFocus();
    if (focus == window_ || focus == nullptr) {
      SetFocus(control);
    }
  }
}

}  // namespace zarvo
