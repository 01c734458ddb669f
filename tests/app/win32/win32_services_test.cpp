// The Windows services against the real system: clipboard, files, the window
// thread hand-over and detached threads.
#include "platform/win32/win32_services.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "app/win32/win32_test_support.hpp"
#include "platform/platform.hpp"
#include "support/gbk_literals.hpp"

namespace zarvo {
namespace {

using test::G;
using test::ReadClipboard;

struct ClipboardCase {
  std::string name;
  std::string utf8;
};

class ClipboardTest : public testing::TestWithParam<ClipboardCase> {};

TEST_P(ClipboardTest, OffersTheGbkBytesAndTheSameTextAsUnicode) {
  Win32Clipboard clipboard;
  ASSERT_TRUE(clipboard.SetText(G(GetParam().utf8)));
  const test::ClipboardContents contents = ReadClipboard();
  EXPECT_EQ(contents.ansi, G(GetParam().utf8));
  EXPECT_TRUE(contents.ansiTerminated);
  EXPECT_EQ(contents.unicode, test::W(GetParam().utf8));
}

INSTANTIATE_TEST_SUITE_P(Texts, ClipboardTest,
                         testing::Values(ClipboardCase{"Chinese", "恭喜亲！代码制作成功"},
                                         ClipboardCase{"LinesAndReference",
                                                       "<td height=\"580\">\r\n&#10003;</td>\r\n"},
                                         ClipboardCase{"Empty", ""}),
                         [](const auto& info) { return info.param.name; });

// Holds the clipboard open from another thread, as another program would.
class ClipboardHolder {
 public:
  ClipboardHolder() {
    thread_ = std::thread([this] {
      HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
      opened_ = OpenClipboard(window) != 0;
      SetEvent(ready_);
      WaitForSingleObject(release_, 10000);
      CloseClipboard();
      DestroyWindow(window);
    });
    WaitForSingleObject(ready_, 10000);
  }
  ~ClipboardHolder() {
    SetEvent(release_);
    thread_.join();
    CloseHandle(ready_);
    CloseHandle(release_);
  }
  bool opened() const { return opened_; }

 private:
  HANDLE ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> opened_{false};
  std::thread thread_;
};

TEST(ClipboardHeldTest, FailsAndLeavesTheClipboardAsItWas) {
  Win32Clipboard clipboard;
  ASSERT_TRUE(clipboard.SetText(G("之前")));
  {
    ClipboardHolder holder;
    ASSERT_TRUE(holder.opened());
    EXPECT_FALSE(clipboard.SetText(G("之后")));
  }
  EXPECT_EQ(ReadClipboard().ansi, G("之前"));
  EXPECT_EQ(ReadClipboard().unicode, L"之前");
}

class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              (L"zarvo files 预览 " + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  // The names in the test folder.
  std::set<std::wstring> Names() const {
    std::set<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      names.insert(entry.path().filename().wstring());
    }
    return names;
  }

  std::filesystem::path folder_;
};

struct WriteCase {
  std::string name;
  std::optional<std::string> before;
  std::string bytes;
};

class FilesWriteTest : public FilesTest, public testing::WithParamInterface<WriteCase> {};

TEST_P(FilesWriteTest, FileHoldsExactlyTheBytes) {
  const std::filesystem::path path = PreviewFilePath(folder_);
  if (GetParam().before) {
    Write(path, *GetParam().before);
  }
  NativeFiles files;
  ASSERT_TRUE(files.WriteFile(path, GetParam().bytes));
  EXPECT_EQ(Read(path), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilesWriteTest,
    testing::Values(WriteCase{"New", std::nullopt, G("<p>中文</p>\r\n")},
                    WriteCase{"LongerFileReplacedWhole", std::string(5000, 'x'), "short"},
                    WriteCase{"EmptyPageEmptiesTheFile", std::string("old page"), ""},
                    WriteCase{"ZeroBytesKept", std::nullopt, std::string("a\0b", 3)}),
    [](const auto& info) { return info.param.name; });

TEST_F(FilesTest, PathThatCannotBeCreatedFails) {
  NativeFiles files;
  EXPECT_FALSE(files.WriteFile(folder_ / "missing folder" / "yl.htm", "page"));
  EXPECT_FALSE(files.WriteFile(folder_, "page"));  // a directory
}

TEST_F(FilesTest, DirectoryNamedLikeThePageIsLeftAlone) {
  const std::filesystem::path path = folder_ / "yl.htm";
  std::filesystem::create_directory(path);
  Write(path / "inside.txt", "kept");
  NativeFiles files;
  EXPECT_FALSE(files.WriteFile(path, "page"));
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_EQ(Read(path / "inside.txt"), "kept");
  EXPECT_EQ(Names(), std::set<std::wstring>{L"yl.htm"});
}

// The page cannot take the place of a file that another program holds open
// without sharing: the whole new page has been written beside it by then, and
// must go again.
TEST_F(FilesTest, FileOpenWithoutSharingKeepsTheOldPageAndNothingBeside) {
  const std::filesystem::path path = folder_ / "yl.htm";
  Write(path, "kept");
  HANDLE open = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  NativeFiles files;
  EXPECT_FALSE(files.WriteFile(path, std::string(100000, 'n')));
  CloseHandle(open);
  EXPECT_EQ(Read(path), "kept");
  EXPECT_EQ(Names(), std::set<std::wstring>{L"yl.htm"});
}

TEST_F(FilesTest, LinkNamedLikeThePageIsReplacedNotFollowed) {
  const std::filesystem::path target = folder_ / "elsewhere.htm";
  const std::filesystem::path path = folder_ / "yl.htm";
  Write(target, "not to be touched");
  std::error_code error;
  std::filesystem::create_symlink(target, path, error);
  if (error) {
    // Wine 8 makes no symbolic links, nor does Windows without the right to.
    GTEST_SKIP() << "no symbolic link can be made here: " << error.message();
  }
  ASSERT_TRUE(std::filesystem::is_symlink(path));
  NativeFiles files;
  ASSERT_TRUE(files.WriteFile(path, "page"));
  EXPECT_FALSE(std::filesystem::is_symlink(path));
  EXPECT_EQ(Read(path), "page");
  EXPECT_EQ(Read(target), "not to be touched");
  EXPECT_EQ(Names(), (std::set<std::wstring>{L"elsewhere.htm", L"yl.htm"}));
}

TEST_F(FilesTest, ShellOpensTheFileWithTheProgramOfItsType) {
  const std::filesystem::path page = folder_ / L"预览 页.zarvotest";
  const std::filesystem::path opened = folder_ / "opened.txt";
  Write(page, G("<p>页</p>"));
  test::OpenByCopying association(L".zarvotest", opened);
  Win32Shell shell;
  shell.OpenWithDefaultProgram(page);
  for (int i = 0; i < 100 && Read(opened).empty(); ++i) {
    Sleep(50);
  }
  EXPECT_EQ(Read(opened), G("<p>页</p>"));
}

// Pumps the thread's messages until the event is set.
bool PumpUntil(HANDLE event, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (GetTickCount64() < deadline) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &event, FALSE, 50, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) {
      return true;
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    }
  }
  return false;
}

class WindowThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    window_ =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    windowThread_.Attach(window_);
  }
  void TearDown() override {
    if (IsWindow(window_)) {
      DestroyWindow(window_);
    }
    CloseHandle(done_);
  }

  HWND window_ = nullptr;
  SendMessageWindowThread windowThread_;
  HANDLE done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

TEST_F(WindowThreadTest, TaskFromAWorkerRunsOnTheWindowThreadWhileTheWorkerWaits) {
  const DWORD windowThreadId = GetCurrentThreadId();
  DWORD ranOn = 0;
  bool ranBeforeReturn = false;
  std::thread worker([&] {
    windowThread_.RunAndWait([&] { ranOn = GetCurrentThreadId(); });
    ranBeforeReturn = ranOn != 0;
    SetEvent(done_);
  });
  EXPECT_TRUE(PumpUntil(done_, 5000));
  worker.join();
  EXPECT_EQ(ranOn, windowThreadId);
  EXPECT_TRUE(ranBeforeReturn);
}

TEST_F(WindowThreadTest, OnTheWindowThreadTheTaskRunsAtOnce) {
  bool ran = false;
  windowThread_.RunAndWait([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST_F(WindowThreadTest, OnceTheWindowIsGoneTasksAreDroppedAndTheWorkerGoesOn) {
  DestroyWindow(window_);
  bool ran = false;
  std::thread worker([&] {
    windowThread_.RunAndWait([&] { ran = true; });
    SetEvent(done_);
  });
  EXPECT_EQ(WaitForSingleObject(done_, 5000), WAIT_OBJECT_0);
  worker.join();
  EXPECT_FALSE(ran);
}

TEST(ThreadsTest, TaskRunsOnAThreadOfItsOwnWithoutBeingWaitedFor) {
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> ranOn = 0;
  Win32Threads threads;
  threads.StartDetached([&] {
    WaitForSingleObject(go, 5000);
    ranOn = GetCurrentThreadId();
    SetEvent(done);
  });
  SetEvent(go);  // StartDetached returned while the task still waited
  ASSERT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
  EXPECT_NE(ranOn.load(), GetCurrentThreadId());
  CloseHandle(done);
  CloseHandle(go);
}

}  // namespace
}  // namespace zarvo
