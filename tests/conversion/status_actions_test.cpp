#include "conversion/status_actions.hpp"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.hpp"
#include "support/fakes.hpp"
#include "support/gbk_literals.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using test::G;

// The placeholder table of 编辑框10 with `height` in its height attribute.
std::string PlaceholderTable(const std::string& height) {
  return "<table width=\"200\" border=\"0\">\r\n"
         "  <tr>\r\n"
         "    <td height=\"" +
         height +
         "\">&nbsp;</td>\r\n"
         "  </tr>\r\n"
         "</table>";
}

class StatusActionsTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zarvo-status-" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) +
            "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    services_.programDirectory = dir_;
    RegisterStatusActions(window_, services_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void CopyPlaceholder() { window_.Raise(按钮3, Event::Click); }
  void Tick() { window_.Raise(时钟1, Event::Tick); }
  std::string PlaceholderCaption() { return GbkToUtf8(window_.Text(按钮3)); }

  ToolWindow window_;
  test::RecordingClipboard clipboard_;
  test::RecordingShell shell_;
  NativeFiles files_;
  test::InlineWindowThread windowThread_;
  test::DeferredThreads threads_;
  test::NoHttp http_;
  Services services_{clipboard_, files_, shell_, windowThread_, threads_, http_, {}};
  std::filesystem::path dir_;
};

struct PlaceholderCase {
  const char* name;
  std::string height;   // UTF-8, typed into 编辑框5
  std::string spacing;  // UTF-8, typed into 编辑框4
  std::string inTable;  // UTF-8, what the height attribute holds
};

class PlaceholderTest : public StatusActionsTest,
                        public testing::WithParamInterface<PlaceholderCase> {};

TEST_P(PlaceholderTest, CopiesTableWithHeightAsTyped) {
  const PlaceholderCase& c = GetParam();
  window_.SetText(编辑框5, G(c.height));
  window_.SetText(编辑框4, G(c.spacing));
  CopyPlaceholder();
  ASSERT_TRUE(clipboard_.text.has_value());
  EXPECT_EQ(GbkToUtf8(*clipboard_.text), PlaceholderTable(c.inTable));
  EXPECT_EQ(PlaceholderCaption(), "生成成功");
}

INSTANTIATE_TEST_SUITE_P(Heights, PlaceholderTest,
                         testing::Values(PlaceholderCase{"Plain", "580", "0", "580"},
                                         PlaceholderCase{"Empty", "", "0", ""},
                                         PlaceholderCase{"LeadingSpaceKept", " 580", "0", " 580"},
                                         PlaceholderCase{"FullWidthDigitsKept", "５８０", "0",
                                                         "５８０"},
                                         PlaceholderCase{"SpacingNotApplied", "580", "-10", "580"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(StatusActionsTest, OnlyFirstHeightTokenIsFilled) {
  window_.SetText(编辑框10, G("高度|高度"));
  window_.SetText(编辑框5, G("580"));
  CopyPlaceholder();
  EXPECT_EQ(clipboard_.text, G("580|高度"));
}

TEST_F(StatusActionsTest, RefusedClipboardSaysCopyFailedUntilTick) {
  clipboard_.text = "kept";
  clipboard_.held = true;
  CopyPlaceholder();
  EXPECT_EQ(clipboard_.attempts, 1);
  EXPECT_EQ(clipboard_.text, "kept");
  EXPECT_EQ(PlaceholderCaption(), "复制失败");

  Tick();
  EXPECT_EQ(PlaceholderCaption(), "生成占位码");

  // Once the other program lets go, the next copy succeeds and says so.
  clipboard_.held = false;
  CopyPlaceholder();
  EXPECT_EQ(PlaceholderCaption(), "生成成功");
  EXPECT_EQ(clipboard_.text, G(PlaceholderTable("580")));
}

TEST_F(StatusActionsTest, TwoCopiesInOneIntervalShowSuccessUntilTick) {
  CopyPlaceholder();
  window_.SetText(编辑框5, G("300"));
  CopyPlaceholder();
  EXPECT_EQ(clipboard_.text, G(PlaceholderTable("300")));
  EXPECT_EQ(PlaceholderCaption(), "生成成功");

  Tick();
  EXPECT_EQ(PlaceholderCaption(), "生成占位码");
}

TEST_F(StatusActionsTest, TickHidesStatusLabelWhateverItSaysAndResetsCaption) {
  const std::string failure = G("代码已生成，但复制失败");
  window_.SetText(透明标签生成结果, failure);
  window_.SetVisible(透明标签生成结果, true);
  CopyPlaceholder();

  Tick();
  EXPECT_FALSE(window_.Visible(透明标签生成结果));
  EXPECT_EQ(window_.Text(透明标签生成结果), failure);
  EXPECT_EQ(PlaceholderCaption(), "生成占位码");

  // A tick with nothing shown leaves everything as it is.
  Tick();
  EXPECT_FALSE(window_.Visible(透明标签生成结果));
  EXPECT_EQ(PlaceholderCaption(), "生成占位码");
}

TEST_F(StatusActionsTest, PreviewOpensPageBesideProgramWithoutCheckingOrWriting) {
  auto expected = dir_.native();
  expected += std::filesystem::path::preferred_separator;
  expected += std::filesystem::path("yl.htm").native();

  window_.Raise(按钮2, Event::Click);
  ASSERT_EQ(shell_.opened.size(), 1u);
  EXPECT_EQ(shell_.opened[0].native(), expected);
  EXPECT_FALSE(std::filesystem::exists(expected));
  EXPECT_FALSE(clipboard_.text.has_value());
}

TEST_F(StatusActionsTest, PreviewWithUnknownProgramDirectoryOpensNothing) {
  services_.programDirectory.clear();
  window_.Raise(按钮2, Event::Click);
  EXPECT_TRUE(shell_.opened.empty());
}

}  // namespace
}  // namespace zarvo
