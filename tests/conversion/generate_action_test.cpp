#include "conversion/generate_action.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/platform.hpp"
#include "support/fakes.hpp"
#include "support/gbk_literals.hpp"
#include "support/test_files.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using test::G;
using test::ReadFile;

class GenerateActionTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zarvo-generate-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    window_.SetText(编辑框9,
                    G("<div style=\"height:高度px;margin-top:间距px;margin-left:偏移量px\">"
                      "582064937</div>"));
    window_.SetText(编辑框7, G("<p>190:582064937</p>"));
    window_.SetText(编辑框8, G("<html>页面582064937</html>"));
    window_.SetText(编辑框1, G("<b>店铺✓</b>"));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Generate() { GenerateAndCopy(window_, clipboard_, files_, dir_); }
  std::filesystem::path Preview() const { return dir_ / "yl.htm"; }
  std::string Status() { return GbkToUtf8(window_.Text(透明标签生成结果)); }

  ToolWindow window_;
  test::RecordingClipboard clipboard_;
  NativeFiles files_;
  std::filesystem::path dir_;
};

const std::string kOutput750 =
    "<div style=\"height:580px;margin-top:0px;margin-left:-200px\"><b>店铺&#10003;</b></div>";

TEST_F(GenerateActionTest, SuccessFillsOutputClipboardAndPreview) {
  Generate();
  EXPECT_EQ(GbkToUtf8(window_.Text(编辑框3)), kOutput750);
  EXPECT_EQ(clipboard_.text, window_.Text(编辑框3));
  EXPECT_EQ(ReadFile(Preview()), G("<html>页面" + kOutput750 + "</html>"));
  EXPECT_TRUE(window_.Visible(透明标签生成结果));
  EXPECT_EQ(Status(), kGeneratedAndCopied);
  // Back from the busy state.
  EXPECT_EQ(GbkToUtf8(window_.Text(按钮1)), "生成并复制");
  EXPECT_TRUE(window_.Enabled(按钮1));
  EXPECT_TRUE(window_.Bold(按钮1));
}

TEST_F(GenerateActionTest, TargetAreaPicksTheHolder) {
  window_.SetSelection(组合框1, 1);
  Generate();
  EXPECT_EQ(GbkToUtf8(window_.Text(编辑框3)), "<p>190:<b>店铺&#10003;</b></p>");
}

struct MissingTemplateCase {
  const char* name;
  int targetArea;
  bool empty750;
  bool empty190;
};

class MissingTemplateTest : public GenerateActionTest,
                            public testing::WithParamInterface<MissingTemplateCase> {};

TEST_P(MissingTemplateTest, ReportsInsteadOfCopying) {
  const MissingTemplateCase& c = GetParam();
  if (c.empty750) {
    window_.SetText(编辑框9, {});
  }
  if (c.empty190) {
    window_.SetText(编辑框7, {});
  }
  window_.SetSelection(组合框1, c.targetArea);
  window_.SetText(编辑框3, "earlier output");
  clipboard_.text = "user's clipboard";
  files_.WriteFile(Preview(), "earlier page");

  Generate();
  EXPECT_EQ(window_.Text(编辑框3), "");
  EXPECT_EQ(clipboard_.text, "user's clipboard");
  EXPECT_EQ(clipboard_.attempts, 0);
  EXPECT_EQ(ReadFile(Preview()), "earlier page");
  EXPECT_TRUE(window_.Visible(透明标签生成结果));
  EXPECT_EQ(Status(), kTemplateMissing);
  EXPECT_TRUE(window_.Enabled(按钮1));
  EXPECT_TRUE(window_.Bold(按钮1));
}

INSTANTIATE_TEST_SUITE_P(Cases, MissingTemplateTest,
                         testing::Values(MissingTemplateCase{"Empty750", 0, true, false},
                                         MissingTemplateCase{"Empty190", 1, false, true},
                                         MissingTemplateCase{"OtherIndex", 2, false, false},
                                         MissingTemplateCase{"NoSelection", -1, false, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(GenerateActionTest, HeldClipboardIsReportedAndPreviewStillWritten) {
  clipboard_.held = true;
  clipboard_.text = "user's clipboard";
  Generate();
  EXPECT_EQ(GbkToUtf8(window_.Text(编辑框3)), kOutput750);
  EXPECT_EQ(clipboard_.text, "user's clipboard");
  EXPECT_EQ(Status(), kGeneratedNotCopied);
  EXPECT_EQ(ReadFile(Preview()), G("<html>页面" + kOutput750 + "</html>"));

  clipboard_.held = false;  // the next good generation says so again
  Generate();
  EXPECT_EQ(Status(), kGeneratedAndCopied);
}

TEST_F(GenerateActionTest, UnwritablePreviewStillCopies) {
  std::filesystem::create_directory(Preview());  // a directory cannot be opened as the page
  Generate();
  EXPECT_EQ(clipboard_.text, window_.Text(编辑框3));
  EXPECT_EQ(Status(), kGeneratedAndCopied);
  EXPECT_TRUE(std::filesystem::is_directory(Preview()));
  EXPECT_TRUE(window_.Enabled(按钮1));
}

TEST_F(GenerateActionTest, EarlierLongerPreviewIsReplacedWhole) {
  files_.WriteFile(Preview(), std::string(100000, 'x'));
  window_.SetText(编辑框8, "582064937");
  Generate();
  EXPECT_EQ(ReadFile(Preview()), window_.Text(编辑框3));
}

TEST_F(GenerateActionTest, EmptyPreviewTemplateGivesEmptyFile) {
  window_.SetText(编辑框8, {});
  Generate();
  EXPECT_TRUE(std::filesystem::exists(Preview()));
  EXPECT_EQ(std::filesystem::file_size(Preview()), 0u);
}

// Records the order of writes that reach the view.
class OrderView final : public WindowView {
 public:
  explicit OrderView(ToolWindow& window) : window_(window) {}
  void FieldChanged(ControlId id, Field field) override {
    if (id == 按钮1 && field == Field::Text) {
      log.push_back(GbkToUtf8(window_.Text(按钮1)));
    } else if (id == 编辑框3) {
      log.push_back("output");
    } else if (id == 透明标签生成结果 && field == Field::Visible) {
      log.push_back("status");
    }
  }
  std::string EditedText(ControlId) override { return {}; }
  std::vector<std::string> log;

 private:
  ToolWindow& window_;
};

TEST_F(GenerateActionTest, BusyStateFramesTheWork) {
  OrderView view(window_);
  window_.SetView(&view);
  Generate();
  EXPECT_EQ(view.log, (std::vector<std::string>{"使劲生成中", "output", "status", "生成并复制"}));
}

}  // namespace
}  // namespace zarvo
