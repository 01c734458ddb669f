#include "app/win32/win32_tool_window.hpp"

#include <windows.h>
// These build on windows.h.
#include <commctrl.h>
#include <windowsx.h>

#include "platform/gbk.hpp"

namespace zarvo {
namespace {

using enum ControlId;

constexpr UINT_PTR kStatusTimerId = 1;
constexpr UINT kRaisePicksMessage = WM_APP + 1;
constexpr UINT_PTR kSubclassId = 0x2A750;
// A drop-down list's window height is its opened list's; the closed field is
// as high as the font needs.
constexpr int kSelectorListHeight = 160;

COLORREF ToColorRef(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::wstring WideFromGbk(std::string_view gbk) { return Wide(GbkToUtf16(gbk)); }

// Which of our controls sent a message; other windows (the list inside a
// selector, say) are none of them.
std::optional<ControlId> IdOf(const std::array<HWND, kControlCount>& controls, HWND control) {
  const int id = GetDlgCtrlID(control) - kControlIdBase;
  if (control == nullptr || id < 0 || id >= kControlCount ||
      controls[static_cast<size_t>(id)] != control) {
    return std::nullopt;
  }
  return static_cast<ControlId>(id);
}

bool IsEditKind(ControlKind kind) {
  return kind == ControlKind::EditBox || kind == ControlKind::MultiLineEditBox;
}

bool ModifierDown() {
  return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0;
}

// The window class and styles of a control of the given kind (visibility and
// WS_CHILD aside); none for the kinds without a window of their own.
struct NativeStyle {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
  int extraHeight;  // added to the height of the table
};

std::optional<NativeStyle> NativeStyleOf(const ControlEntry& entry) {
  NativeStyle native{nullptr, 0, 0, 0};
  switch (entry.kind) {
    case ControlKind::GroupBox:
      native.className = WC_BUTTONW;
      native.style = BS_GROUPBOX | WS_CLIPCHILDREN;
      native.exStyle = WS_EX_CONTROLPARENT;  // Tab reaches the controls inside
      break;
    case ControlKind::Label:
      native.className = WC_STATICW;
      native.style = SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX;
      break;
    case ControlKind::Selector:
      native.className = WC_COMBOBOXW;
      native.style = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
      native.extraHeight = kSelectorListHeight;
      break;
    case ControlKind::EditBox:
      native.className = WC_EDITW;
      native.style = ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
      break;
    case ControlKind::MultiLineEditBox:
      // Long lines wrap at the box's width; Enter inserts CR LF.
      native.className = WC_EDITW;
      native.style =
          ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP;
      break;
    case ControlKind::Button:
      native.className = WC_BUTTONW;
      native.style = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | WS_TABSTOP;
      break;
    case ControlKind::FlatButton:
      native.className = WC_BUTTONW;
      native.style = BS_OWNERDRAW | WS_TABSTOP;
      break;
    case ControlKind::List:
      native.className = WC_LISTVIEWW;
      native.style = LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL;
      native.exStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Timer:
    case ControlKind::FileDialog:
      return std::nullopt;
  }
  if (entry.border == EditBorder::ThinSunken) {
    native.exStyle |= WS_EX_STATICEDGE;
  } else if (entry.border == EditBorder::ClientEdge) {
    native.exStyle |= WS_EX_CLIENTEDGE;
  }
  return native;
}

unsigned PickBit(ControlId id) { return 1u << static_cast<unsigned>(id); }
static_assert(kControlCount <= 32, "pending picks are kept as bits");

}  // namespace

Win32ToolWindow::Win32ToolWindow(HINSTANCE instance, ToolWindow& model) : model_(model) {
  background_ = CreateSolidBrush(ToColorRef(kToolWindowLayout.background));
  guiFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  // The generate button's caption: the default face and character set at a
  // character height of 12 pixels, bold or at the default weight.
  LOGFONTW caption{};
  GetObjectW(guiFont_, sizeof caption, &caption);
  caption.lfHeight = -12;
  caption.lfWidth = 0;
  caption.lfItalic = FALSE;
  caption.lfUnderline = FALSE;
  caption.lfWeight = FW_BOLD;
  boldCaptionFont_ = CreateFontIndirectW(&caption);
  caption.lfWeight = FW_DONTCARE;
  plainCaptionFont_ = CreateFontIndirectW(&caption);

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

  const Place start = CentredOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
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
  DeleteObject(boldCaptionFont_);
  DeleteObject(plainCaptionFont_);
  DeleteObject(background_);
}

void Win32ToolWindow::CreateControls(HINSTANCE instance) {
  for (const ControlEntry& entry : ControlTable()) {
    const ControlId id = entry.id;
    const std::optional<NativeStyle> native = NativeStyleOf(entry);
    if (!native) {
      continue;  // no window of its own
    }
    HWND parent = entry.container ? Control(*entry.container) : window_;
    const DWORD style = native->style | WS_CHILD | (model_.Visible(id) ? WS_VISIBLE : 0);
    const std::wstring caption =
        IsEditKind(entry.kind) ? std::wstring() : WideFromGbk(model_.Text(id));
    HWND control = CreateWindowExW(
        native->exStyle, native->className, caption.c_str(), style, entry.place.left,
        entry.place.top, entry.place.width, entry.place.height + native->extraHeight, parent,
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
  SendMessageW(control, WM_SETFONT,
               reinterpret_cast<WPARAM>(entry.bold ? boldCaptionFont_ : guiFont_), FALSE);
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
      ShowText(id);
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

void Win32ToolWindow::Show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
  SetFocus(Control(kCodeInputBox));
}

bool Win32ToolWindow::PreTranslate(MSG& message) {
  if (window_ == nullptr) {
    return false;
  }
  if (message.message == WM_KEYDOWN) {
    if (message.wParam == VK_ESCAPE && !ModifierDown()) {
      // No control keeps Esc: an opened list or a box being typed in alike.
      SendMessageW(window_, WM_CLOSE, 0, 0);
      return true;
    }
    if (message.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
      // Also out of a multi-line box, which would otherwise keep the Tab.
      HWND next = GetNextDlgTabItem(window_, GetFocus(), GetKeyState(VK_SHIFT) < 0);
      if (next != nullptr) {
        SetFocus(next);
        const std::optional<ControlId> id = IdOf(controls_, next);
        if (id && IsEditKind(Entry(*id).kind)) {
          SendMessageW(next, EM_SETSEL, 0, -1);
        }
      }
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

void Win32ToolWindow::ShowText(ControlId id) {
  HWND control = Control(id);
  if (control == nullptr) {
    return;
  }
  settingText_ = true;
  SetWindowTextW(control, WideFromGbk(model_.Text(id)).c_str());
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
      EnableWindow(control, model_.Enabled(id) ? TRUE : FALSE);
      break;
    case Field::Selection:
      // Setting the selection from code sends no notification.
      SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(model_.Selection(id)), 0);
      break;
    case Field::Bold:
      SendMessageW(control, WM_SETFONT,
                   reinterpret_cast<WPARAM>(model_.Bold(id) ? boldCaptionFont_ : plainCaptionFont_),
                   TRUE);
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

LRESULT Win32ToolWindow::OnControlColour(HDC dc, HWND control) {
  SetBkColor(dc, ToColorRef(kToolWindowLayout.background));
  const std::optional<ControlId> id = IdOf(controls_, control);
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
  const std::optional<ControlId> id = IdOf(controls_, item.hwndItem);
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
  SelectObject(item.hDC, guiFont_);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, ToColorRef(flatButtonHot_ ? entry.hoverColor : entry.textColor));
  DrawTextW(item.hDC, reinterpret_cast<const wchar_t*>(caption.c_str()),
            static_cast<int>(caption.size()), &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  RestoreDC(item.hDC, saved);
}

LRESULT Win32ToolWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const std::optional<ControlId> id = IdOf(controls_, reinterpret_cast<HWND>(lParam));
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
      const std::optional<ControlId> id = IdOf(owner.controls_, window);
      if (id && !owner.settingText_) {
        owner.model_.MarkEditedByUser(*id);
      }
      return result;
    }
    case WM_LBUTTONDBLCLK: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      const std::optional<ControlId> id = IdOf(owner.controls_, window);
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
