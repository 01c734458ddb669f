#include <windows.h>
// These build on windows.h.
#include <commctrl.h>
#include <objbase.h>

#include "app/handlers.hpp"
#include "app/win32/win32_tool_window.hpp"
#include "platform/platform.hpp"
#include "platform/win32/win32_services.hpp"

namespace zarvo {
namespace {

// Everything the running program is made of. It is never destroyed: the fetch
// worker may still be using the model and the HTTP client when the process
// ends, and ending the process is what abandons it.
struct Program {
  explicit Program(HINSTANCE instance) : view(instance, model), clipboard(view.Handle()) {}
  ToolWindow model;
  Win32ToolWindow view;
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

  auto* program = new Program(instance);
  if (program->view.Handle() == nullptr) {
    return 1;  // no window could be made
  }
  program->windowThread.Attach(program->view.Handle());
  InstallHandlers(program->model, program->services);
  program->model.Raise(std::nullopt, Event::Creation);
  program->view.Show();
  // The shell may hand the preview to COM-based handlers. Nothing uses COM
  // before the window is up, so it starts after the first show rather than
  // delaying it.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  return RunMessageLoop(program->view);
}

}  // namespace zarvo
