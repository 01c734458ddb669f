#include <windows.h>
// This builds on windows.h.
#include <commctrl.h>

#include "platform/win32/win32_services.hpp"

namespace zarvo {
namespace {

constexpr UINT kRunTaskMessage = WM_APP + 0x75;
constexpr UINT_PTR kSubclassId = 0x7A57;

// Runs the tasks that other threads send to the window, on the window's thread.
LRESULT CALLBACK RunTasks(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
  if (message == kRunTaskMessage) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 1;
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, RunTasks, kSubclassId);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

SendMessageWindowThread::~SendMessageWindowThread() {
  if (window_ != nullptr && IsWindow(window_)) {
    RemoveWindowSubclass(window_, RunTasks, kSubclassId);
  }
}

void SendMessageWindowThread::Attach(HWND window) {
  window_ = window;
  SetWindowSubclass(window, RunTasks, kSubclassId, 0);
}

void SendMessageWindowThread::RunAndWait(const std::function<void()>& task) {
  if (window_ == nullptr) {
    return;
  }
  if (GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId()) {
    task();
    return;
  }
  // SendMessage returns once the window procedure has run the task, or at once
  // (with 0) when the window no longer exists.
  SendMessageW(window_, kRunTaskMessage, 0, reinterpret_cast<LPARAM>(&task));
}

}  // namespace zarvo
