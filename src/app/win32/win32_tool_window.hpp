// The tool window as native Win32 controls, built from the control table and
// kept in step with the ToolWindow model.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "app/tool_window.hpp"

namespace zarvo {

// Child control IDs are the ControlId value plus this base: clear of IDOK and
// IDCANCEL, which the dialog manager sends for Enter and Esc, and of the IDs
// of the windows inside a selector.
inline constexpr int kControlIdBase = 3000;
inline constexpr wchar_t kToolWindowClass[] = L"Zarvo750ToolWindow";

class Win32ToolWindow final : public WindowView {
 public:
  // Creates the window, not yet shown, at its start position with every
  // control of the table. The window becomes the model's view.
  Win32ToolWindow(HINSTANCE instance, ToolWindow& model);
  ~Win32ToolWindow() override;
  Win32ToolWindow(const Win32ToolWindow&) = delete;
  Win32ToolWindow& operator=(const Win32ToolWindow&) = delete;

  HWND Handle() const { return window_; }
  // The control's window; null for the timer and the file dialog.
  HWND Control(ControlId id) const { return controls_[static_cast<size_t>(id)]; }

  // Starts the status timer, which ticks for as long as the window exists.
  void StartTimer();
  // Shows the window, makes it active and puts the focus into the code box.
  void Show();

  // Keyboard rules of the whole window, applied before a message is
  // dispatched: Esc closes the window from any control, Tab moves among the
  // shown controls, Enter reaches the focused control and never clicks a
  // button. True when the message has been dealt with.
  bool PreTranslate(MSG& message);

  void FieldChanged(ControlId id, Field field) override;
  std::string EditedText(ControlId id) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR self);
  static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR self);
  static LRESULT CALLBACK FlatButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self);

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls(HINSTANCE instance);
  void SetUpControl(const ControlEntry& entry, HWND control);
  void OnCommand(ControlId id, int code);
  LRESULT OnControlColour(HDC dc, HWND control);
  void DrawFlatButton(const DRAWITEMSTRUCT& item);
  void ShowText(ControlId id);

  ToolWindow& model_;
  HWND window_ = nullptr;
  std::array<HWND, kControlCount> controls_{};
  HFONT guiFont_ = nullptr;
  HFONT boldCaptionFont_ = nullptr;
  HFONT plainCaptionFont_ = nullptr;
  HBRUSH background_ = nullptr;
  bool settingText_ = false;    // our own SetWindowText: no user edit
  bool flatButtonHot_ = false;  // pointer over the flat button
  unsigned pendingPicks_ = 0;   // selectors whose pick is yet to be raised
};

}  // namespace zarvo
