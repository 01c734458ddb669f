// zarvo750.exe driven from outside, as a user works it: a copy of the program
// in a folder of its own, the templates from a server on a free port given on
// its command line, the window found by its caption and its controls by their
// IDs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/control_table.hpp"
#include "app/version.hpp"
#include "app/win32/win32_test_support.hpp"
#include "app/win32/win32_tool_window.hpp"
#include "conversion/convert.hpp"
#include "conversion/generate_action.hpp"
#include "support/gbk_literals.hpp"
#include "support/http_test_server.hpp"
#include "templates/builtin_templates.hpp"
#include "templates/template_fetch.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using test::G;
using test::W;
using namespace std::chrono_literals;

// Templates of our own, each with the placeholders it is filled at.
const std::string kPreviewTemplate = "<html><body><div id=\"module\">582064937</div></body></html>";
const std::string kArea750Template =
    "<div style=\"height:高度px;margin-top:间距px;margin-left:偏移量px\">582064937</div>"
    "<i>高度</i>";
const std::string kArea190Template =
    "<p style=\"height:高度px;margin-top:间距px;margin-left:偏移量px\">582064937</p>";

const std::string_view kCode =
    "<i style=\"height:300px\"></i><b style=\"height:600px\">✓</b><i style=\"height:450px\">中</i>";
const std::string_view kCodeAsGbkHolds =
    "<i style=\"height:300px\"></i><b style=\"height:600px\">&#10003;</b><i "
    "style=\"height:450px\">中</i>";

// The build gives the program's path as the build machine sees it; under Wine
// the Unix root is drive Z:.
std::filesystem::path ProgramBuilt() {
  std::string path = ZARVO750_EXE;
  if (!path.empty() && path[0] == '/') {
    for (char& c : path) {
      c = c == '/' ? '\\' : c;
    }
    path = "Z:" + path;
  }
  return std::filesystem::path(path);
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeOut) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeOut.count());
  while (!condition()) {
    if (GetTickCount64() > deadline) {
      return false;
    }
    Sleep(30);
  }
  return true;
}

std::string Read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(Send(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(
      Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

class Zarvo750Test : public testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<test::HttpTestServer>();
    // A folder with Chinese in its name: the program finds its own folder
    // whatever its characters.
    folder_ = std::filesystem::temp_directory_path() /
              (L"zarvo750 e2e 预览 " + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::copy_file(ProgramBuilt(), folder_ / "zarvo750.exe");
  }

  void TearDown() override {
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        PostMessageW(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 5000) == WAIT_TIMEOUT) {
          TerminateProcess(process_.hProcess, 99);
          WaitForSingleObject(process_.hProcess, 5000);
        }
      }
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    if (server_) {
      server_->Stop();
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  void ServeTemplates() {
    server_->Script(std::string(kPreviewTemplatePath), {{.body = G(kPreviewTemplate)}});
    server_->Script(std::string(kArea750TemplatePath), {{.body = G(kArea750Template)}});
    server_->Script(std::string(kArea190TemplatePath), {{.body = G(kArea190Template)}});
  }

  // The test server, as the command line names it.
  std::wstring HostOption() const { return L"--template-host " + W(server_->Host()); }

  // Starts the copy, from another working directory, with these arguments.
  void Launch(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + (folder_ / "zarvo750.exe").wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const std::wstring workingDirectory = std::filesystem::temp_directory_path().wstring();
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               workingDirectory.c_str(), &startup, &process_));
  }

  // Starts the copy and waits for its window.
  void Start() { Start(HostOption()); }
  void Start(const std::wstring& arguments) {
    Launch(arguments);
    ASSERT_FALSE(HasFatalFailure());
    const std::wstring caption = W(kToolWindowLayout.caption);
    ASSERT_TRUE(WaitFor(
        [&] {
          window_ = FindWindowW(kToolWindowClass, caption.c_str());
          DWORD owner = 0;
          GetWindowThreadProcessId(window_, &owner);
          return window_ != nullptr && owner == process_.dwProcessId && IsWindowVisible(window_);
        },
        10s));
    EnumChildWindows(
        window_,
        [](HWND child, LPARAM self) -> BOOL {
          const int id = GetDlgCtrlID(child) - kControlIdBase;
          if (id >= 0 && id < kControlCount) {
            reinterpret_cast<Zarvo750Test*>(self)->controls_[static_cast<ControlId>(id)] = child;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
  }

  HWND Control(ControlId id) { return controls_.at(id); }
  std::wstring Text(ControlId id) { return TextOf(Control(id)); }
  void SetText(ControlId id, std::string_view utf8) {
    const std::wstring text = W(utf8);
    Send(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void Click(ControlId id) { Send(Control(id), BM_CLICK, 0, 0); }
  // A pick confirmed in the selector's list. Its handler runs once the
  // notification is through, so callers wait for its effect.
  void Pick(ControlId id, int index) {
    HWND selector = Control(id);
    Send(selector, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Send(GetParent(selector), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(selector), CBN_SELENDOK),
         reinterpret_cast<LPARAM>(selector));
  }
  bool Shown(ControlId id) { return IsWindowVisible(Control(id)) != 0; }

  // The text of the message box that the process shows, read from outside;
  // the box is then closed with its OK button. Empty when none appears.
  std::wstring ReadAndCloseMessageBox() {
    HWND box = nullptr;
    WaitFor(
        [&] {
          box = FindWindowW(L"#32770", L"zarvo750");
          DWORD owner = 0;
          GetWindowThreadProcessId(box, &owner);
          return box != nullptr && owner == process_.dwProcessId;
        },
        10s);
    if (box == nullptr) {
      return {};
    }
    const std::wstring text = TextOf(GetDlgItem(box, 0xFFFF));  // the box's static text
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return text;
  }

  DWORD WaitForExit(std::chrono::milliseconds timeOut) {
    if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeOut.count())) !=
        WAIT_OBJECT_0) {
      return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

  std::unique_ptr<test::HttpTestServer> server_;
  std::filesystem::path folder_;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
  std::map<ControlId, HWND> controls_;
};

TEST_F(Zarvo750Test, TemplateHoldersAreFilledFromTheServer) {
  ServeTemplates();
  Start();
  EXPECT_TRUE(WaitFor([&] { return !Text(编辑框7).empty(); }, 10s));
  EXPECT_EQ(Text(编辑框8), W(kPreviewTemplate));
  EXPECT_EQ(Text(编辑框9), W(kArea750Template));
  EXPECT_EQ(Text(编辑框7), W(kArea190Template));
  EXPECT_EQ(server_->RequestedPaths(),
            (std::vector<std::string>{std::string(kPreviewTemplatePath),
                                      std::string(kArea750TemplatePath),
                                      std::string(kArea190TemplatePath)}));
  for (ControlId holder : {编辑框7, 编辑框8, 编辑框9}) {
    EXPECT_FALSE(Shown(holder));
  }
}

TEST_F(Zarvo750Test, GenerateShowsCopiesAndWritesThePreviewThenTheTickClearsTheStatus) {
  ServeTemplates();
  Start();
  ASSERT_TRUE(WaitFor([&] { return !Text(编辑框7).empty(); }, 10s));

  // Pasted code with three heights; ✓ is not in GBK. The read button takes
  // the largest height.
  SetText(编辑框1, kCode);
  Click(超级按钮1);
  EXPECT_EQ(Text(编辑框5), L"600");
  Pick(组合框2, 3);  // "自定义" shows the spacing box with its preset
  EXPECT_TRUE(WaitFor([&] { return Shown(编辑框4); }, 2s));
  EXPECT_EQ(Text(编辑框4), L"-40");
  SetText(编辑框4, "-10");
  Pick(组合框1, 1);  // "190区"
  EXPECT_TRUE(WaitFor([&] { return Text(编辑框6) == L"-94"; }, 2s));
  EXPECT_FALSE(IsWindowEnabled(Control(组合框3)));
  EXPECT_EQ(Send(Control(组合框3), CB_GETCURSEL, 0, 0), 0);

  Click(按钮1);
  const std::string output = "<p style=\"height:590px;margin-top:-10px;margin-left:-94px\">" +
                             std::string(kCodeAsGbkHolds) + "</p>";
  EXPECT_EQ(Text(编辑框3), W(output));
  const test::ClipboardContents clipboard = test::ReadClipboard();
  EXPECT_EQ(clipboard.ansi, G(output));
  EXPECT_TRUE(clipboard.ansiTerminated);
  EXPECT_EQ(clipboard.unicode, W(output));
  const std::string page = G("<html><body><div id=\"module\">" + output + "</div></body></html>");
  EXPECT_EQ(Read(folder_ / "yl.htm"), page);
  EXPECT_TRUE(Shown(透明标签生成结果));
  EXPECT_EQ(Text(透明标签生成结果), W("恭喜亲！代码制作成功并已完成复制，安装后即可大功告成！"));
  EXPECT_EQ(Text(按钮1), W("生成并复制"));
  EXPECT_TRUE(IsWindowEnabled(Control(按钮1)));

  {
    // The preview button hands "yl.htm" to the program of its type.
    test::OpenByCopying browser(L".htm", folder_ / "opened.htm");
    Click(按钮2);
    EXPECT_TRUE(WaitFor([&] { return Read(folder_ / "opened.htm") == page; }, 5s));
  }

  Click(按钮3);
  EXPECT_EQ(
      test::ReadClipboard().unicode,
      W("<table width=\"200\" border=\"0\">\r\n  <tr>\r\n    <td height=\"600\">&nbsp;</td>\r\n"
        "  </tr>\r\n</table>"));
  EXPECT_EQ(Text(按钮3), W("生成成功"));

  // The status timer ticks every 6 seconds from the start.
  EXPECT_TRUE(WaitFor([&] { return !Shown(透明标签生成结果); }, 7s));
  EXPECT_EQ(Text(按钮3), W("生成占位码"));
}

// No template server at the given port: the built-in templates do the work.
TEST_F(Zarvo750Test, WithoutAServerTheBuiltinTemplatesAreUsed) {
  Start(L"--template-host 127.0.0.1:" + std::to_wstring(test::HttpTestServer::ClosedPort()));
  SetText(编辑框1, "<b>代码</b>");
  Click(按钮1);
  const TemplateSet& builtin = BuiltinTemplates();
  const std::string output = ConvertCode(builtin, 0, "0", "580", "-200", G("<b>代码</b>"));
  EXPECT_EQ(Text(编辑框3), W(GbkToUtf8(output)));
  EXPECT_EQ(test::ReadClipboard().ansi, output);
  EXPECT_EQ(Read(folder_ / "yl.htm"), BuildPreviewPage(builtin.previewTemplate, output));
  EXPECT_EQ(Text(透明标签生成结果), W(kBuiltinTemplatesUsed));
  EXPECT_EQ(Text(编辑框9), L"");
}

TEST_F(Zarvo750Test, APreviewPageThatCannotBeWrittenIsReported) {
  ServeTemplates();
  std::filesystem::create_directory(folder_ / "yl.htm");  // not a file that can be written
  Start();
  ASSERT_TRUE(WaitFor([&] { return !Text(编辑框7).empty(); }, 10s));
  Click(按钮1);
  EXPECT_EQ(Text(透明标签生成结果), W(kPreviewNotWritten));
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "yl.htm"));
}

TEST_F(Zarvo750Test, TheEnvironmentNamesTheServerWhenTheCommandLineDoesNot) {
  ServeTemplates();
  SetEnvironmentVariableW(L"ZARVO_TEMPLATE_HOST", W(server_->Host()).c_str());
  Start(L"");
  SetEnvironmentVariableW(L"ZARVO_TEMPLATE_HOST", nullptr);
  EXPECT_TRUE(WaitFor([&] { return !Text(编辑框7).empty(); }, 10s));
  EXPECT_EQ(Text(编辑框9), W(kArea750Template));
}

struct CommandLineCase {
  const char* name;
  std::wstring arguments;
  DWORD code;
  std::vector<std::string> says;  // parts of the message box's text; none: the window opens
};

class CommandLineTest : public Zarvo750Test, public testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLineTest, ExitCodeAndMessage) {
  const CommandLineCase& c = GetParam();
  if (c.says.empty()) {
    Start(c.arguments);
    PostMessageW(window_, WM_CLOSE, 0, 0);
  } else {
    Launch(c.arguments);
    const std::wstring text = ReadAndCloseMessageBox();
    for (const std::string& part : c.says) {
      EXPECT_NE(text.find(W(part)), std::wstring::npos) << part;
    }
  }
  EXPECT_EQ(WaitForExit(5s), c.code);
}

const std::string kInvalid = "invalid template host";

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineTest,
    testing::Values(
        CommandLineCase{"Name", L"--template-host templates.example", 0, {}},
        CommandLineCase{"Ipv4", L"--template-host 192.0.2.7:8080", 0, {}},
        CommandLineCase{"Ipv6", L"--template-host [::1]:8080", 0, {}},
        CommandLineCase{"NoPort", L"--template-host 127.0.0.1", 0, {}},
        CommandLineCase{"Scheme", L"--template-host http://x", 2, {kInvalid, "\"http://x\""}},
        CommandLineCase{"Space", L"--template-host \"a b\"", 2, {kInvalid, "\"a b\""}},
        CommandLineCase{
            "PortZero", L"--template-host x:0", 2, {kInvalid, "\"x:0\"", "HOST[:PORT]"}},
        CommandLineCase{"PortTooLarge", L"--template-host x:65536", 2, {kInvalid, "\"x:65536\""}},
        CommandLineCase{"UserName", L"--template-host user@x", 2, {kInvalid, "\"user@x\""}},
        CommandLineCase{"Path", L"--template-host x/path", 2, {kInvalid, "\"x/path\""}},
        CommandLineCase{"Empty", L"--template-host \"\"", 2, {kInvalid, "\"\"", "empty"}},
        CommandLineCase{"UnknownOption", L"--colour", 2, {"unknown option \"--colour\""}},
        CommandLineCase{"Help", L"--help", 0, {"Usage: zarvo750", "--template-host HOST[:PORT]"}},
        CommandLineCase{"Version", L"--version", 0, {"zarvo750 " + std::string(kVersion)}}),
    [](const auto& info) { return info.param.name; });

TEST_F(Zarvo750Test, EscInTheCodeBoxClosesWithExitCodeZero) {
  ServeTemplates();
  Start();
  SetText(编辑框1, "<div>代码</div>");
  ASSERT_TRUE(SetForegroundWindow(window_));
  GUITHREADINFO focus{};
  focus.cbSize = sizeof focus;
  ASSERT_TRUE(WaitFor(
      [&] {
        return GetGUIThreadInfo(process_.dwThreadId, &focus) && focus.hwndFocus == Control(编辑框1);
      },
      5s));
  std::filesystem::create_directories(ZARVO_ARTIFACT_DIR);
  Sleep(300);  // let the window finish drawing
  EXPECT_TRUE(test::SaveScreenshot(
      window_, std::filesystem::path(ZARVO_ARTIFACT_DIR) / "zarvo750-window.bmp"));

  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ASSERT_EQ(SendInput(2, keys, sizeof(INPUT)), 2u);
  EXPECT_EQ(WaitForExit(5s), 0u);
}

TEST_F(Zarvo750Test, ClosingWhileTheFetchWaitsEndsAtOnceWithExitCodeZero) {
  server_->Script(std::string(kPreviewTemplatePath), {{.hold = true}});
  Start();
  ASSERT_TRUE(server_->WaitForRequests(1, 5s));
  PostMessageW(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(3s), 0u);
}

// A real click of the mouse on a button, then Esc from the keyboard: the
// button keeps the focus through its work, and Esc closes the window.
class Zarvo750ClickTest : public Zarvo750Test, public testing::WithParamInterface<ControlId> {
 protected:
  // Moves the pointer to the middle of the control and clicks there.
  void ClickWithMouse(ControlId id) {
    RECT box{};
    GetWindowRect(Control(id), &box);
    const int x = (box.left + box.right) / 2, y = (box.top + box.bottom) / 2;
    INPUT input[3] = {};
    for (INPUT& one : input) {
      one.type = INPUT_MOUSE;
      // Absolute coordinates run from 0 to 65535 across the primary screen.
      one.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
      one.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
      one.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
    }
    input[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
    input[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(SendInput(3, input, sizeof(INPUT)), 3u);
    // The pointer leaves for the screen's corner, so that no later window
    // finds it over one of its controls.
    INPUT away{};
    away.type = INPUT_MOUSE;
    away.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    Sleep(100);
    ASSERT_EQ(SendInput(1, &away, sizeof(INPUT)), 1u);
  }
  HWND Focus() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(process_.dwThreadId, &info) ? info.hwndFocus : nullptr;
  }
};

TEST_P(Zarvo750ClickTest, ClickThenEscClosesWithExitCodeZero) {
  ServeTemplates();
  Start();
  ASSERT_TRUE(WaitFor([&] { return !Text(编辑框7).empty(); }, 10s));
  SetText(编辑框1, "<div style=\"height:640px\">代码</div>");
  ASSERT_TRUE(SetForegroundWindow(window_));
  ClickWithMouse(GetParam());
  // What each click shows once its work is done.
  const std::map<ControlId, std::function<bool()>> done = {
      {按钮1,
       [&] { return Shown(透明标签生成结果) && Text(编辑框3).find(L"640") != std::wstring::npos; }},
      {按钮3, [&] { return Text(按钮3) == W("生成成功"); }},
      {超级按钮1, [&] { return Text(编辑框5) == L"640"; }}};
  ASSERT_TRUE(WaitFor(done.at(GetParam()), 5s));
  EXPECT_TRUE(WaitFor(
      [&] { return IsWindowEnabled(Control(按钮1)) && Text(按钮1) == W("生成并复制"); }, 5s));
  EXPECT_TRUE(WaitFor([&] { return Focus() == Control(GetParam()); }, 2s));

  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ASSERT_EQ(SendInput(2, keys, sizeof(INPUT)), 2u);
  EXPECT_EQ(WaitForExit(5s), 0u);
}

INSTANTIATE_TEST_SUITE_P(Buttons, Zarvo750ClickTest, testing::Values(按钮1, 按钮3, 超级按钮1),
                         [](const auto& info) {
                           return info.param == 按钮1   ? "Generate"
                                  : info.param == 按钮3 ? "Placeholder"
                                                        : "ReadHeight";
                         });

}  // namespace
}  // namespace zarvo
