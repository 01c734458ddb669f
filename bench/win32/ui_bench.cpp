// Measures zarvo750.exe from outside, as a user feels it, against baselines
// measured in the same run:
// - generation with 1 MB and 10 MB of pasted code, from the click of the
//   generate button to the end of its busy state, against the time the same
//   edit control class takes the same output text by WM_SETTEXT alone;
// - the working set after a 10 MB generation, against 40 MB + 6 × the code;
// - start-up, from CreateProcess to the window being visible, against a
//   minimal program that opens one empty window the same way.
#include <windows.h>
// This builds on windows.h.
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/control_table.hpp"
#include "platform/gbk.hpp"
#include "shop_page.hpp"
#include "support/http_test_server.hpp"
#include "templates/template_fetch.hpp"
#include "templates/template_host_port.hpp"

namespace {

using zarvo::ControlId;
constexpr int kControlIdBase = 3000;  // as the window numbers its controls

std::wstring Wide(const std::u16string& text) { return {text.begin(), text.end()}; }

// The build gives paths as the build machine sees them; under Wine the Unix
// root is drive Z:.
std::filesystem::path FromBuild(std::string path) {
  if (!path.empty() && path[0] == '/') {
    std::replace(path.begin(), path.end(), '/', '\\');
    path = "Z:" + path;
  }
  return path;
}

double Now() {
  LARGE_INTEGER count{}, frequency{};
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeOutMs = 1800000) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeOutMs, &result);
  return static_cast<LRESULT>(result);
}

struct Program {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
  double startSeconds = 0;  // CreateProcess to the window being visible

  HWND Control(ControlId id) const {
    return GetDlgItem(GetParent(FindChild(id)), kControlIdBase + static_cast<int>(id));
  }
  HWND FindChild(ControlId id) const {
    struct Search {
      int id;
      HWND found;
    } search{kControlIdBase + static_cast<int>(id), nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          if (GetDlgCtrlID(child) == s->id) {
            s->found = child;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  void Close() {
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
};

// Starts a program and waits, polling, for its visible top-level window.
Program Start(const std::filesystem::path& exe, const wchar_t* windowClass) {
  Program program;
  std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  const double start = Now();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      exe.parent_path().c_str(), &startup, &program.process)) {
    std::fprintf(stderr, "cannot start %ls\n", exe.c_str());
    std::exit(1);
  }
  for (;;) {
    HWND window = FindWindowW(windowClass, nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (window != nullptr && owner == program.process.dwProcessId && IsWindowVisible(window)) {
      program.window = window;
      break;
    }
    if (Now() - start > 30) {
      std::fprintf(stderr, "no window from %ls\n", exe.c_str());
      std::exit(1);
    }
    Sleep(1);
  }
  program.startSeconds = Now() - start;
  return program;
}

void MeasureStartUp(const std::filesystem::path& tool, const std::filesystem::path& empty) {
  std::vector<double> ours, baseline;
  for (int run = 0; run < 11; ++run) {  // alternating, so that both see the same load
    Program a = Start(tool, L"Zarvo750ToolWindow");
    ours.push_back(a.startSeconds);
    a.Close();
    Program b = Start(empty, L"Zarvo750EmptyWindow");
    baseline.push_back(b.startSeconds);
    b.Close();
  }
  std::printf(
      "start-up, median of 11     zarvo750 %7.1f ms   empty window %7.1f ms   ratio %.2fx\n",
      Median(ours) * 1000, Median(baseline) * 1000, Median(ours) / Median(baseline));
}

// How the tool made its output box: styles and size.
struct EditLike {
  DWORD style;
  DWORD exStyle;
  SIZE size;
};

SIZE SizeOf(HWND window) {
  RECT box{};
  GetWindowRect(window, &box);
  return {box.right - box.left, box.bottom - box.top};
}

// The output box's edit control as the tool makes it, in a window of this
// process: the floor that no tool using this control can go below.
double EditControlFloor(const std::wstring& text, const EditLike& like) {
  HWND top =
      CreateWindowExW(0, L"STATIC", L"floor", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, 0,
                      like.size.cx + 100, like.size.cy + 100, nullptr, nullptr, nullptr, nullptr);
  HWND edit = CreateWindowExW(like.exStyle, L"EDIT", L"",
                              (like.style & ~WS_DISABLED) | WS_CHILD | WS_VISIBLE, 10, 10,
                              like.size.cx, like.size.cy, top, nullptr, nullptr, nullptr);
  // The same font face and size as the tool's controls at this DPI.
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
  const double start = Now();
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  const double seconds = Now() - start;
  DestroyWindow(top);
  return seconds;
}

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<size_t>(Send(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(
      Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

// Puts the code on the clipboard and pastes it into the box, as the user
// does. (Wine does not carry a text of megabytes in a WM_SETTEXT to another
// process.)
void PasteInto(HWND box, const std::wstring& code) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (code.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(block), code.c_str(), (code.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  while (!OpenClipboard(nullptr)) {
    Sleep(10);
  }
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
  Send(box, WM_PASTE, 0, 0);
}

struct Generation {
  double seconds = 0;
  double floorSeconds = 0;
  size_t workingSet = 0, peakWorkingSet = 0;
};

Generation Generate(const std::filesystem::path& tool, size_t codeBytes) {
  using enum ControlId;
  Program program = Start(tool, L"Zarvo750ToolWindow");
  const double deadline = Now() + 20;
  while (Send(program.FindChild(编辑框9), WM_GETTEXTLENGTH, 0, 0) == 0 && Now() < deadline) {
    Sleep(20);
  }
  // The code arrives as a paste would put it there.
  const std::wstring code = Wide(
      zarvo::GbkToUtf16(zarvo::bench::MakeShopPage(codeBytes, zarvo::bench::Heights::Declared)));
  PasteInto(program.FindChild(编辑框1), code);
  HWND button = program.FindChild(按钮1);

  Generation result;
  const double start = Now();
  // BM_CLICK returns once the click's handler, the whole generation with its
  // busy state, has run.
  Send(button, BM_CLICK, 0, 0);
  result.seconds = Now() - start;
  if (!IsWindowEnabled(button)) {
    std::fprintf(stderr, "the generate button is still busy\n");
  }
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  K32GetProcessMemoryInfo(program.process.hProcess, &memory, sizeof memory);
  result.workingSet = memory.WorkingSetSize;
  result.peakWorkingSet = memory.PeakWorkingSetSize;

  HWND outputBox = program.FindChild(编辑框3);
  const std::wstring output = TextOf(outputBox);
  if (output.size() < code.size()) {
    std::fprintf(stderr, "the output is shorter than the code\n");
  }
  const EditLike like{static_cast<DWORD>(GetWindowLongPtrW(outputBox, GWL_STYLE)),
                      static_cast<DWORD>(GetWindowLongPtrW(outputBox, GWL_EXSTYLE)),
                      SizeOf(outputBox)};
  // The tool is gone before the floor is measured, so that the two do not
  // share the machine.
  program.Close();
  result.floorSeconds = EditControlFloor(output, like);
  return result;
}

void MeasureGeneration(const std::filesystem::path& tool, const std::vector<size_t>& sizes) {
  const size_t kMB = 1024 * 1024;
  for (size_t megabytes : sizes) {
    const int runs = megabytes == 1 ? 3 : 1;
    std::vector<double> seconds, floors;
    Generation last;
    for (int run = 0; run < runs; ++run) {
      last = Generate(tool, megabytes * kMB);
      seconds.push_back(last.seconds);
      floors.push_back(last.floorSeconds);
    }
    std::printf(
        "generate %2zu MB (median of %d)  click to ready %8.0f ms   WM_SETTEXT floor %8.0f ms   "
        "ratio %.2fx\n",
        megabytes, runs, Median(seconds) * 1000, Median(floors) * 1000,
        Median(seconds) / Median(floors));
    if (megabytes == 10) {
      const double budget = 40.0 * kMB + 6.0 * static_cast<double>(megabytes * kMB);
      std::printf(
          "working set after 10 MB    %7.1f MB (peak %.1f MB)   budget 40 MB + 6 x 10 MB = "
          "%.0f MB   ratio %.2fx\n",
          static_cast<double>(last.workingSet) / kMB,
          static_cast<double>(last.peakWorkingSet) / kMB, budget / kMB,
          static_cast<double>(last.workingSet) / budget);
    }
  }
}

}  // namespace

// Without arguments everything is measured; "startup" or "generate [MB...]"
// measure one part.
int main(int argc, char** argv) {
  const std::string part = argc > 1 ? argv[1] : "";
  std::vector<size_t> sizes;
  for (int i = 2; i < argc; ++i) {
    sizes.push_back(std::stoul(argv[i]));
  }
  if (sizes.empty()) {
    sizes = {1, 10};
  }
  const std::optional<uint16_t> port = zarvo::test::LocalTemplatePort();
  if (!port) {
    std::fprintf(stderr, "the template host of this build is not on 127.0.0.1\n");
    return 1;
  }
  // A copy of the tool in a folder of its own, where it writes yl.htm.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("zarvo750-ui-bench-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path tool = folder / "zarvo750.exe";
  const std::filesystem::path empty = folder / "zarvo_empty_window.exe";
  std::filesystem::copy_file(FromBuild(ZARVO750_EXE), tool);
  std::filesystem::copy_file(FromBuild(ZARVO_EMPTY_WINDOW_EXE), empty);

  zarvo::test::HttpTestServer server(*port);
  server.Script(std::string(zarvo::kPreviewTemplatePath),
                {{.body = zarvo::bench::MakePreviewTemplate()}});
  server.Script(std::string(zarvo::kArea750TemplatePath),
                {{.body = zarvo::bench::MakeAreaTemplate()}});
  server.Script(std::string(zarvo::kArea190TemplatePath),
                {{.body = zarvo::bench::MakeAreaTemplate()}});

  if (part.empty() || part == "startup") {
    MeasureStartUp(tool, empty);
  }
  if (part.empty() || part == "generate") {
    MeasureGeneration(tool, sizes);
  }
  server.Stop();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
