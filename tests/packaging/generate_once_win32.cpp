// Starts the zarvo750.exe given on the command line (with the arguments that
// follow it), waits for its window,
// clicks 生成并复制 until "yl.htm" appears beside the program, and closes the
// window. Exit code 0 when the page was written and the program ended with 0;
// otherwise 1, with what went wrong on standard error.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/control_table.hpp"
#include "app/win32/win32_tool_window.hpp"
#include "platform/gbk.hpp"

namespace {

using zarvo::ControlId;

HWND FindToolWindow(DWORD processId) {
  const std::u16string caption = zarvo::Utf8ToUtf16(zarvo::kToolWindowLayout.caption);
  const std::wstring wide(caption.begin(), caption.end());
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, zarvo::kToolWindowClass,
                                                      wide.c_str())) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId && IsWindowVisible(window)) {
      return window;
    }
  }
  return nullptr;
}

// The control's window, wherever it sits among the group boxes.
HWND FindControl(HWND window, ControlId id) {
  struct Search {
    int controlId;
    HWND found;
  } search{zarvo::kControlIdBase + static_cast<int>(id), nullptr};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) == s->controlId) {
          s->found = child;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Fail(const char* what) {
  std::fprintf(stderr, "generate_once: %s\n", what);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    return Fail("usage: generate_once PATH\\zarvo750.exe [ARGUMENT...]");
  }
  const std::filesystem::path program = argv[1];
  const std::filesystem::path page = program.parent_path() / L"yl.htm";
  std::error_code ignored;
  std::filesystem::remove(page, ignored);

  // From another working directory: the page goes beside the program.
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  for (int i = 2; i < argc; ++i) {
    commandLine += L" \"" + std::wstring(argv[i]) + L"\"";
  }
  const std::wstring workingDirectory = std::filesystem::temp_directory_path().wstring();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingDirectory.c_str(), &startup, &process)) {
    return Fail("the program did not start");
  }

  HWND window = nullptr;
  for (int i = 0; i < 200 && window == nullptr; ++i) {
    Sleep(50);
    window = FindToolWindow(process.dwProcessId);
  }
  int result = 0;
  if (window == nullptr) {
    result = Fail("the tool window did not appear");
  } else if (HWND generate = FindControl(window, ControlId::按钮1); generate == nullptr) {
    result = Fail("no 生成并复制 button in the window");
  } else {
    bool written = false;
    for (int i = 0; i < 40 && !written; ++i) {
      DWORD_PTR unused = 0;
      SendMessageTimeoutW(generate, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &unused);
      written = std::filesystem::file_size(page, ignored) > 0 && !ignored;
      if (!written) {
        Sleep(250);
      }
    }
    if (!written) {
      result = Fail("no yl.htm beside the program after clicking 生成并复制");
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
  }

  if (WaitForSingleObject(process.hProcess, 10000) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 99);
    result = Fail("the program did not end when its window was closed");
  } else if (DWORD code = 0; GetExitCodeProcess(process.hProcess, &code) && code != 0) {
    result = Fail("the program ended with an exit code other than 0");
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}
