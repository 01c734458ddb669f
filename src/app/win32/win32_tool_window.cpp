#include "app/win32/win32_tool_window.hpp"

#include <windows.h>
// These build on windows.h.
#include <commctrl.h>
#include <windowsx.h>

#include "app/win32/win32_window_parts.hpp"
#include "platform/gbk.hpp"

namespace zarvo {
namespace {

using enum ControlId;

constexpr UINT_PTR kStatusTimerId = 1;
constexpr UINT kRaisePicksMessage = WM_APP + 1;
// The height of a drop-down list's opened list at 96 DPI.
constexpr int kSelectorListHeight = 160;

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::wstring WideFromGbk(std::string_view gbk) { return Wide(GbkToUtf16(gbk)); }

struct WindowClass {
  const wchar_t* name;
  DWORD style;
  DWORD exStyle;
};

// The window class and styles of each kind of control.
std::optional<WindowClass> ClassOf(const ControlEntry& entry) {
  std::optional<WindowClass> kind;
  switch (entry.kind) {
    case ControlKind::GroupBox:
      // WS_EX_CONTROLPARENT: Tab reaches the controls inside.
      kind = {WC_BUTTONW, BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
      break;
    case ControlKind::Label:
      kind = {WC_STATICW, SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX, 0};
      break;
    case ControlKind::Selector:
      kind = {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
      break;
    case ControlKind::EditBox:
      kind = {WC_EDITW, ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, 0};
      break;
    case ControlKind::MultiLineEditBox:
      // Long lines wrap at the box's width; Enter inserts CR LF.
      kind = {WC_EDITW,
              ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP, 0};
      break;
    case ControlKind::Button:
      kind = {WC_BUTTONW, BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | WS_TABSTOP, 0};
      break;
    case ControlKind::FlatButton:
      kind = {WC_BUTTONW, BS_OWNERDRAW | WS_TABSTOP, 0};
      break;
    case ControlKind::List:
      kind = {WC_LISTVIEWW, LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL, WS_EX_CLIENTEDGE};
      break;
    case ControlKind::Timer:
    case ControlKind::FileDialog:
      return std::nullopt;
  }
  if (entry.border == EditBorder::ThinSunken) {
    kind->exStyle |= WS_EX_STATICEDGE;
  } else if (entry.border == EditBorder::ClientEdge) {
    kind->exStyle |= WS_EX_CLIENTEDGE;
  }
  return kind;
}

// A control's place at a DPI. A drop-down list's window is as high as its
// opened list; its closed field is as high as its font needs, so that its
// item height follows the font of the DPI.
Place PlaceAt(const ControlEntry& entry, UINT dpi) {
  Place place = ScaleToDpi(entry.place, dpi);
  if (entry.kind == ControlKind::Selector) {
    place.height += ScaleToDpi(kSelectorListHeight, dpi);
  }
  return place;
}

unsigned PickBit(ControlId id) { return 1u << static_cast<unsigned>(id); }
static_assert(kControlCount <= 32, "pending picks are kept as bits");

}  // namespace

// Which of our controls a window is; other windows (the list inside a
// selector, say) are none of them.
std::optional<ControlId> Win32ToolWindow::IdOf(HWND control) const {
  const int id = GetDlgCtrlID(control) - kControlIdBase;
  if (control == nullptr || id < 0 || id >= kControlCount ||
      controls_[static_cast<size_t>(id)] != control) {
    return std::nullopt;
  }
  return static_cast<ControlId>(id);
}

Win32ToolWindow::Win32ToolWindow(HINSTANCE instance, ToolWindow& model) : model_(model) {
  background_ = CreateSolidBrush(ToColorRef(kToolWindowLayout.background));

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background_;
  windowClass.lpszClassName = kToolWindowClass;
  RegisterClassExW(&windowClass);  // fails harmlessly when already registered

  // The window starts on the primary monitor, at the DPI new windows get;
  // should its monitor's DPI differ, it is placed again for that one.
  dpi_ = SystemDpi();
  const Place start = ToolWindowPlace(dpi_);
  // Fixed single border, caption bar with window menu, close and minimise
  // buttons, no maximise button; a task bar entry of its own.
  window_ = CreateWindowExW(
      WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kToolWindowClass,
      Wide(Utf8ToUtf16(kToolWindowLayout.caption)).c_str(),
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, start.left,
      start.top, start.width, start.height, nullptr, nullptr, instance, this);
  if (window_ == nullptr) {
    return;
  }
  if (const UINT dpi = WindowDpi(window_); dpi != dpi_) {
    dpi_ = dpi;
    const Place place = ToolWindowPlace(dpi_);
    SetWindowPos(window_, nullptr, place.left, place.top, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  fonts_ = std::make_unique<WindowFonts>(dpi_);
  CreateControls(instance);
  model_.SetView(this);
}

void Win32ToolWindow::StartTimer() {
  if (window_ != nullptr) {
    SetTimer(window_, kStatusTimerId, static_cast<UINT>(Entry(kStatusResetTimer).intervalMs),
             nullptr);
  }
}

Win32ToolWindow::~Win32ToolWindow() {
  model_.SetView(nullptr);
  if (window_ != nullptr && IsWindow(window_)) {
    DestroyWindow(window_);
  }
  fonts_.reset();
  DeleteObject(background_);
}

void Win32ToolWindow::CreateControls(HINSTANCE instance) {
  for (const ControlEntry& entry : ControlTable()) {
    const std::optional<WindowClass> kind = ClassOf(entry);
    if (!kind) {
      continue;  // the timer and the file dialog have no window of their own
    }
    const ControlId id = entry.id;
    HWND parent = entry.container ? Control(*entry.container) : window_;
    const DWORD style = kind->style | WS_CHILD | (model_.Visible(id) ? WS_VISIBLE : 0);
    const std::wstring caption =
        IsEditKind(entry.kind) ? std::wstring() : WideFromGbk(model_.Text(id));
    const Place place = PlaceAt(entry, dpi_);
    HWND control = CreateWindowExW(
        kind->exStyle, kind->name, caption.c_str(), style, place.left, place.top, place.width,
        place.height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + static_cast<int>(id))),
        instance, nullptr);
    controls_[static_cast<size_t>(id)] = control;
    if (control != nullptr) {
      SetUpControl(entry, control);
    }
  }
}

void Win32ToolWindow::SetUpControl(const ControlEntry& entry, HWND control) {
  const ControlId id = entry.id;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(id)), FALSE);
  switch (entry.kind) {
    case ControlKind::GroupBox:
      SetWindowSubclass(control, ContainerProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
      break;
    case ControlKind::Selector: {
      for (const std::string& item : model_.Items(id)) {
        SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromGbk(item).c_str()));
      }
      SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(model_.Selection(id)), 0);
      break;
    }
    case ControlKind::EditBox:
    case ControlKind::MultiLineEditBox:
      SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // no length limit
      SetWindowSubclass(control, EditProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
      if (!model_.Text(id).empty()) {
        ShowText(id);
      }
      break;
    case ControlKind::FlatButton:
      SetWindowSubclass(control, FlatButtonProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
      break;
    default:
      break;
  }
  if (!model_.Enabled(id)) {
    EnableWindow(control, FALSE);
  }
}

HFONT Win32ToolWindow::FontOf(ControlId id) const {
  return Entry(id).bold ? fonts_->Caption(model_.Bold(id)) : fonts_->Gui();
}

// The system suggests where the window goes on the monitor of the new DPI;
// the controls and their fonts follow.
void Win32ToolWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  auto fonts = std::make_unique<WindowFonts>(dpi_);
  fonts_.swap(fonts);
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlEntry& entry : ControlTable()) {
    HWND control = Control(entry.id);
    if (control == nullptr) {
      continue;
    }
    const Place place = PlaceAt(entry, dpi_);
    SetWindowPos(control, nullptr, place.left, place.top, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(entry.id)), FALSE);
  }
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  // The old fonts go only now that no control uses them.
}

void Win32ToolWindow::Show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
  SetFocus(Control(编辑框1));
}

void Win32ToolWindow::ShowText(ControlId id) {
  HWND control = Control(id);
  if (control == nullptr) {
    return;
  }
  // Decoded once, straight into the buffer the control copies from; a large
  // pasted text is not copied again on the way.
  const std::u16string text = GbkToUtf16(model_.Text(id));
  settingText_ = true;
  SetWindowTextW(control, reinterpret_cast<const wchar_t*>(text.c_str()));
  settingText_ = false;
}

void Win32ToolWindow::FieldChanged(ControlId id, Field field) {
  HWND control = Control(id);
  if (control == nullptr) {
    return;
  }
  switch (field) {
    case Field::Text:
      ShowText(id);
      break;
    case Field::Visible:
      ShowWindow(control, model_.Visible(id) ? SW_SHOWNA : SW_HIDE);
      break;
    case Field::Enabled:
      ShowEnabled(id);
      break;
    case Field::Selection:
      // Setting the selection from code sends no notification.
      SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(model_.Selection(id)), 0);
      break;
    case Field::Bold:
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(id)), TRUE);
      break;
  }
}

std::string Win32ToolWindow::EditedText(ControlId id) {
  HWND control = Control(id);
  if (control == nullptr) {
    return {};
  }
  std::u16string text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, u'\0');
  const int length = GetWindowTextW(control, reinterpret_cast<wchar_t*>(text.data()),
                                    static_cast<int>(text.size()));
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return Utf16ToGbk(text);
}

void Win32ToolWindow::OnCommand(ControlId id, int code) {
  const ControlKind kind = Entry(id).kind;
  if (IsEditKind(kind)) {
    if (code == EN_CHANGE && !settingText_) {
      model_.MarkEditedByUser(id);
    }
    return;
  }
  if (kind == ControlKind::Button || kind == ControlKind::FlatButton) {
    // A quick second click on an owner-drawn button comes as a double-click.
    if (code == BN_CLICKED || (kind == ControlKind::FlatButton && code == BN_DOUBLECLICKED)) {
      model_.Raise(id, Event::Click);
    }
    return;
  }
  if (kind == ControlKind::Selector) {
    // A pick in the opened list ends with CBN_SELENDOK; arrow keys and the
    // wheel on the closed field change the selection with CBN_SELCHANGE (and,
    // on some systems, CBN_SELENDOK as well). Both are collected into one
    // pick, raised once the notifications of this input are through.
    const bool dropped = SendMessageW(Control(id), CB_GETDROPPEDSTATE, 0, 0) != 0;
    if (code == CBN_SELENDOK || (code == CBN_SELCHANGE && !dropped)) {
      if ((pendingPicks_ & PickBit(id)) == 0) {
        pendingPicks_ |= PickBit(id);
        PostMessageW(window_, kRaisePicksMessage, 0, 0);
      }
    }
  }
}

LRESULT Win32ToolWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const std::optional<ControlId> id = IdOf(reinterpret_cast<HWND>(lParam));
      if (id) {
        OnCommand(*id, HIWORD(wParam));
      }
      return 0;  // IDOK and IDCANCEL of the dialog manager do nothing
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
      DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_TIMER:
      if (wParam == kStatusTimerId) {
        model_.Raise(kStatusResetTimer, Event::Tick);
      }
      return 0;
    case kRaisePicksMessage:
      for (const ControlEntry& entry : ControlTable()) {
        if ((pendingPicks_ & PickBit(entry.id)) != 0) {
          pendingPicks_ &= ~PickBit(entry.id);
          const LRESULT index = SendMessageW(Control(entry.id), CB_GETCURSEL, 0, 0);
          model_.PickByUser(entry.id, static_cast<int>(index));
        }
      }
      return 0;
    case WM_DESTROY:
      KillTimer(window_, kStatusTimerId);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

LRESULT CALLBACK Win32ToolWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<Win32ToolWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32ToolWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    self->controls_.fill(nullptr);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->OnMessage(message, wParam, lParam);
}

// A group box passes its children's notifications on to the window, where
// the handlers are.
LRESULT CALLBACK Win32ToolWindow::ContainerProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  auto& owner = *reinterpret_cast<Win32ToolWindow*>(self);
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      return SendMessageW(GetParent(window), message, wParam, lParam);
    case WM_ERASEBKGND: {
      RECT area{};
      GetClientRect(window, &area);
      FillRect(reinterpret_cast<HDC>(wParam), &area, owner.background_);
      return 1;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, ContainerProc, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

// Every edit box: a text that another program sets directly counts as the
// user's (a multi-line box sends no EN_CHANGE for it); a double-click raises
// the event where the events table binds one.
LRESULT CALLBACK Win32ToolWindow::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
  auto& owner = *reinterpret_cast<Win32ToolWindow*>(self);
  switch (message) {
    case WM_SETTEXT: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      const std::optional<ControlId> id = owner.IdOf(window);
      if (id && !owner.settingText_) {
        owner.model_.MarkEditedByUser(*id);
      }
      return result;
    }
    case WM_LBUTTONDBLCLK: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      const std::optional<ControlId> id = owner.IdOf(window);
      if (id && IsBound(*id, Event::DoubleClick)) {
        owner.model_.Raise(*id, Event::DoubleClick);
      }
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, EditProc, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace zarvo
