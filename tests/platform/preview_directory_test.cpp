#include "platform/posix/preview_directory.hpp"

#include <gtest/gtest.h>

#include "platform/platform.hpp"

namespace zarvo {
namespace {

struct PreviewCase {
  const char* name;
  std::filesystem::path programDirectory;
  CacheEnvironment environment;
  std::filesystem::path expected;
};

const std::filesystem::path kInstalled = "/usr/bin";

class PreviewDirectoryTest : public testing::TestWithParam<PreviewCase> {};

TEST_P(PreviewDirectoryTest, PicksTheDirectory) {
  const PreviewCase& c = GetParam();
  EXPECT_EQ(PreviewDirectoryFor(c.programDirectory, kInstalled, c.environment), c.expected);
}

const CacheEnvironment kUser{.xdgCacheHome = "/home/u/.xdg-cache", .home = "/home/u"};

INSTANTIATE_TEST_SUITE_P(
    Cases, PreviewDirectoryTest,
    testing::Values(
        PreviewCase{"InstalledUsesXdgCacheHome", "/usr/bin", kUser, "/home/u/.xdg-cache/zarvo750"},
        PreviewCase{"InstalledWithoutXdgUsesHome",
                    "/usr/bin",
                    {.home = "/home/u"},
                    "/home/u/.cache/zarvo750"},
        PreviewCase{"RelativeXdgCacheHomeIgnored",
                    "/usr/bin",
                    {.xdgCacheHome = "cache", .home = "/home/u"},
                    "/home/u/.cache/zarvo750"},
        PreviewCase{"RootGetsItsOwnCache", "/usr/bin", {.home = "/root"}, "/root/.cache/zarvo750"},
        PreviewCase{"InstalledSpelledOtherwise", "/usr/./bin/", kUser,
                    "/home/u/.xdg-cache/zarvo750"},
        // An installed program never falls back to writing beside itself.
        PreviewCase{"InstalledWithoutAnyHome", "/usr/bin", {}, ""},
        PreviewCase{"InstalledWithRelativeHome", "/usr/bin", {.home = "u"}, ""},
        PreviewCase{"BuildFolderKeepsPageBeside", "/work/build/src/app/qt", kUser,
                    "/work/build/src/app/qt"},
        PreviewCase{"CopyBelowInstalledKeepsPageBeside", "/usr/bin/tools", kUser, "/usr/bin/tools"},
        PreviewCase{"CopyInPrefixOfInstalledKeepsPageBeside", "/usr/bi", kUser, "/usr/bi"},
        PreviewCase{"UnknownProgramDirectoryStaysUnknown", "", kUser, ""}),
    [](const testing::TestParamInfo<PreviewCase>& info) { return std::string(info.param.name); });

// This test program runs from the build folder, not from the installed one.
TEST(PreviewDirectoryOfProcessTest, ProgramOutsideInstalledDirectoryKeepsPageBesideItself) {
  ASSERT_FALSE(ProgramDirectory().empty());
  EXPECT_EQ(PreviewDirectory(), ProgramDirectory());
}

}  // namespace
}  // namespace zarvo
