#include "app/win32/win32_app.hpp"

// These build on windows.h.
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/startup.hpp"
#include "platform/gbk.hpp"
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
  Win32HttpClient http;
  Services services{clipboard, files, shell, windowThread, threads, http, ProgramDirectory()};
};

constexpr std::string_view kProgram = "zarvo750";

std::string ToUtf8(const wchar_t* text) {
  const std::wstring_view view(text);
  return Utf16ToUtf8(std::u16string(view.begin(), view.end()));
}

// The program's own command line, split as the C runtime splits it.
StartRequest ReadCommandLine() {
  int count = 0;
  wchar_t** split = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; split != nullptr && i < count; ++i) {
    arguments.push_back(ToUtf8(split[i]));
  }
  LocalFree(split);
  const wchar_t* environment = _wgetenv(L"ZARVO_TEMPLATE_HOST");
  const std::string host = environment != nullptr ? ToUtf8(environment) : std::string();
  return ParseCommandLine(kProgram, arguments, environment != nullptr ? host.c_str() : nullptr);
}

// A window program has no console to print to: the message goes into a
// message box, and also to the standard stream when one was handed over (a
// redirection or a pipe).
void Tell(const StartRequest& request) {
  const bool refused = request.action == StartRequest::Action::Refuse;
  HANDLE stream = GetStdHandle(refused ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (stream != nullptr && stream != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(stream, request.message.data(), static_cast<DWORD>(request.message.size()), &written,
              nullptr);
  }
  const std::u16string text = Utf8ToUtf16(request.message);
  const std::wstring shown(text.begin(), text.end());
  MessageBoxW(nullptr, shown.c_str(), L"zarvo750",
              MB_OK | (refused ? MB_ICONERROR : MB_ICONINFORMATION) | MB_SETFOREGROUND);
}

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
  const StartRequest request = ReadCommandLine();
  if (request.action != StartRequest::Action::Run) {
    Tell(request);
    return ExitCodeOf(request);
  }

  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);

  auto* program = new Program(instance);
  program->services.templateHost = request.templateHost;
  if (!StartUp(program->model, program->services, *program)) {
    return 1;
  }
  // The shell may hand the preview to COM-based handlers. Nothing uses COM
  // before the window is up, so it starts after the first show rather than
  // delaying it.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  return RunMessageLoop(*program->view);
}

}  // namespace zarvo
