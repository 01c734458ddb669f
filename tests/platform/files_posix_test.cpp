// The preview page writer against real files: the page is replaced whole or
// not at all, and nothing is left beside it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "platform/platform.hpp"
#include "support/test_files.hpp"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

class FilesPosixTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string name = (fs::temp_directory_path() / "zarvo-files-XXXXXX").string();
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    folder_ = name;
    // Others may pass through, for the case that writes as another user.
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    page_ = folder_ / "yl.htm";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(folder_, ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(folder_, ignored);
  }

  static void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  // The names in a folder.
  static std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  // WriteFile's result in a child process after `limit` has run there: 0
  // written, 1 not written, 2 the limit could not be set.
  static int WriteInChild(const std::function<void()>& limit, const fs::path& path,
                          const std::string& bytes) {
    const pid_t child = fork();
    if (child == 0) {
      limit();
      NativeFiles files;
      _exit(files.WriteFile(path, bytes) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "the child ended by a signal";
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
  }

  fs::path folder_;
  fs::path page_;
};

TEST_F(FilesPosixTest, NewPageReplacesALongerOneWhole) {
  Write(page_, std::string(5000, 'x'));
  NativeFiles files;
  ASSERT_TRUE(files.WriteFile(page_, std::string("new\0page", 8)));
  EXPECT_EQ(ReadFile(page_), std::string("new\0page", 8));
  EXPECT_EQ(Names(folder_), std::set<std::string>{"yl.htm"});
}

TEST_F(FilesPosixTest, WriteFailingHalfWayKeepsTheOldPageWhole) {
  const std::string old = "<p>the last good page</p>";
  Write(page_, old);
  const int result = WriteInChild(
      [] {
        // A file-size limit of 1 KB stands for a disk that fills up.
        const rlimit small{1024, 1024};
        if (std::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &small) != 0) {
          _exit(2);
        }
      },
      page_, std::string(4096, 'n'));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ReadFile(page_), old);
  EXPECT_EQ(Names(folder_), std::set<std::string>{"yl.htm"});
}

TEST_F(FilesPosixTest, LinkNamedLikeThePageIsReplacedNotFollowed) {
  const fs::path target = folder_ / "elsewhere.htm";
  Write(target, "not to be touched");
  fs::create_symlink(target, page_);
  NativeFiles files;
  ASSERT_TRUE(files.WriteFile(page_, "page"));
  EXPECT_FALSE(fs::is_symlink(page_));
  EXPECT_EQ(ReadFile(page_), "page");
  EXPECT_EQ(ReadFile(target), "not to be touched");
  EXPECT_EQ(Names(folder_), (std::set<std::string>{"elsewhere.htm", "yl.htm"}));
}

TEST_F(FilesPosixTest, DirectoryNamedLikeThePageIsLeftAlone) {
  fs::create_directory(page_);
  Write(page_ / "inside.txt", "kept");
  NativeFiles files;
  EXPECT_FALSE(files.WriteFile(page_, "page"));
  EXPECT_TRUE(fs::is_directory(page_));
  EXPECT_EQ(ReadFile(page_ / "inside.txt"), "kept");
  EXPECT_EQ(Names(folder_), std::set<std::string>{"yl.htm"});
}

TEST_F(FilesPosixTest, ReadOnlyDirectoryFailsAndKeepsTheOldPage) {
  const fs::path locked = folder_ / "locked";
  fs::create_directory(locked);
  Write(locked / "yl.htm", "old");
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  const int result = WriteInChild(
      [] {
        // Permissions do not bind root: write as nobody then.
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
          _exit(2);
        }
      },
      locked / "yl.htm", "new");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ReadFile(locked / "yl.htm"), "old");
  EXPECT_EQ(Names(locked), std::set<std::string>{"yl.htm"});
}

}  // namespace
}  // namespace zarvo
