#include "app/win32/win32_app.hpp"

// These build on windows.h.
#include <commctrl.h>
#include <objbase.h>

#include <optional>

#include "app/startup.hpp"
#include "platform/platform.hpp"
#include "platform/win32/win32_services.hpp"

namespace zarvo {
namespace {

// Everything the running program is made of. It is never destroyed: the fetch
// worker may still be using the model and the HTTP client when the process
// ends, and ending the process is what abandons it.
struct Program final : FrontEnd {
  explicit Program(HINSTANCE instance) : instance(instance) {}

  bool CreateView(ToolWindow& window) override {
    view.emplace(instance, window);
    if (view->Handle() == nullptr) {
      return false;  // no window could be made
    }
    clipboard.SetOwner(view->Handle());
    windowThread.Attach(view->Handle());
    return true;
  }
  void StartTimer() override { view->StartTimer(); }
  void Show() override { view->Show(); }

  HINSTANCE instance;
  ToolWindow model;
  std::optional<Win32ToolWindow> view;
  Win32Clipboard clipboard;
  NativeFiles files;
  Win32Shell shell;
  SendMessageWindowThread windowThread;
  Win32Threads threads;
  WinInetHttpClient http;
  Services services{clipboard, files, shell, windowThread, threads, http, ProgramDirectory()};
};

}  // namespace

int RunMessageLoop(Win32ToolWindow& window) {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      return static_cast<int>(message.wParam);
    }
    if (got == -1) {
      return 0;
    }
    if (!window.PreTranslate(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

int RunZarvo750(HINSTANCE instance) {
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  // The shell may hand the preview to COM-based handlers.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  auto* program = new Program(instance);
  if (!StartUp(program->model, program->services, *program)) {
    return 1;
  }
  return RunMessageLoop(*program->view);
}

}  // namespace zarvo
