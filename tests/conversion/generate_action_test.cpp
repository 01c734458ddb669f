#include "conversion/generate_action.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "conversion/convert.hpp"
#include "platform/platform.hpp"
#include "support/fakes.hpp"
#include "support/gbk_literals.hpp"
#include "support/test_files.hpp"
#include "templates/builtin_templates.hpp"

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
};

class MissingTemplateTest : public GenerateActionTest,
                            public testing::WithParamInterface<MissingTemplateCase> {};

TEST_P(MissingTemplateTest, ReportsInsteadOfCopying) {
  const MissingTemplateCase& c = GetParam();
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
                         testing::Values(MissingTemplateCase{"OtherIndex", 2},
                                         MissingTemplateCase{"NoSelection", -1}),
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

TEST_F(GenerateActionTest, UnwritablePreviewStillCopiesAndSaysSo) {
  std::filesystem::create_directory(Preview());  // a directory cannot be opened as the page
  Generate();
  EXPECT_EQ(clipboard_.text, window_.Text(编辑框3));
  EXPECT_EQ(Status(), kPreviewNotWritten);
  EXPECT_TRUE(std::filesystem::is_directory(Preview()));
  EXPECT_TRUE(window_.Enabled(按钮1));
}

TEST_F(GenerateActionTest, UnknownProgramDirectoryWritesNoPageAndSaysSo) {
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(dir_);  // a relative "yl.htm" would land here
  GenerateAndCopy(window_, clipboard_, files_, {});
  std::filesystem::current_path(before);
  EXPECT_EQ(clipboard_.text, window_.Text(编辑框3));
  EXPECT_EQ(Status(), kPreviewNotWritten);
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

#ifndef _WIN32
// A page that cannot be written whole (here: a file-size limit, as a full disk
// would stop it) is reported, not taken for a success, and the last good page
// stays as it was.
TEST_F(GenerateActionTest, PreviewFailingHalfWayIsReported) {
  files_.WriteFile(Preview(), "earlier page");
  window_.SetText(编辑框1, std::string(4096, 'x'));
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = old;
  limit.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  Generate();
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(clipboard_.text, window_.Text(编辑框3));
  EXPECT_EQ(Status(), kPreviewNotWritten);
  EXPECT_EQ(ReadFile(Preview()), "earlier page");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);  // no leftovers
}
#endif

// Empty holders (the fetch failed or is not through): the built-in template
// of the area and the built-in preview page stand in; the holders stay empty.
struct BuiltinCase {
  const char* name;
  int targetArea;
  ControlId emptied;
};

class BuiltinTemplateTest : public GenerateActionTest,
                            public testing::WithParamInterface<BuiltinCase> {};

TEST_P(BuiltinTemplateTest, StandsInForAnEmptyHolder) {
  const BuiltinCase& c = GetParam();
  window_.SetSelection(组合框1, c.targetArea);
  window_.SetText(c.emptied, {});
  TemplateSet used{.area750Template = window_.Text(编辑框9),
                   .area190Template = window_.Text(编辑框7),
                   .previewTemplate = window_.Text(编辑框8)};
  const TemplateSet& builtin = BuiltinTemplates();
  if (c.emptied == 编辑框9) {
    used.area750Template = builtin.area750Template;
  } else if (c.emptied == 编辑框7) {
    used.area190Template = builtin.area190Template;
  } else {
    used.previewTemplate = builtin.previewTemplate;
  }
  const std::string output =
      ConvertCode(used, c.targetArea, "0", "580", "-200", window_.Text(编辑框1));

  Generate();
  EXPECT_EQ(window_.Text(编辑框3), output);
  EXPECT_EQ(clipboard_.text, output);
  EXPECT_EQ(ReadFile(Preview()), BuildPreviewPage(used.previewTemplate, output));
  EXPECT_EQ(Status(), kBuiltinTemplatesUsed);
  EXPECT_EQ(window_.Text(c.emptied), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, BuiltinTemplateTest,
                         testing::Values(BuiltinCase{"Area750", 0, 编辑框9},
                                         BuiltinCase{"Area190", 1, 编辑框7},
                                         BuiltinCase{"PreviewPage", 0, 编辑框8}),
                         [](const auto& info) { return info.param.name; });

TEST_F(GenerateActionTest, AllHoldersEmptyUseTheBuiltinSet) {
  for (ControlId holder : {编辑框7, 编辑框8, 编辑框9}) {
    window_.SetText(holder, {});
  }
  Generate();
  const TemplateSet& builtin = BuiltinTemplates();
  const std::string output = ConvertCode(builtin, 0, "0", "580", "-200", window_.Text(编辑框1));
  ASSERT_FALSE(builtin.area750Template.empty());
  EXPECT_EQ(window_.Text(编辑框3), output);
  EXPECT_EQ(ReadFile(Preview()), BuildPreviewPage(builtin.previewTemplate, output));
  EXPECT_EQ(Status(), kBuiltinTemplatesUsed);
}

// The label names the first notice that applies.
struct NoticeCase {
  const char* name;
  bool clipboardHeld;
  bool pageUnwritable;
  bool builtin;
  std::string_view status;
};

class NoticeTest : public GenerateActionTest, public testing::WithParamInterface<NoticeCase> {};

TEST_P(NoticeTest, FirstThatApplies) {
  const NoticeCase& c = GetParam();
  clipboard_.held = c.clipboardHeld;
  if (c.pageUnwritable) {
    std::filesystem::create_directory(Preview());
  }
  if (c.builtin) {
    window_.SetText(编辑框9, {});
  }
  Generate();
  EXPECT_EQ(Status(), c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoticeTest,
    testing::Values(NoticeCase{"All", true, true, true, kGeneratedNotCopied},
                    NoticeCase{"PageAndBuiltin", false, true, true, kPreviewNotWritten},
                    NoticeCase{"CopyAndBuiltin", true, false, true, kGeneratedNotCopied},
                    NoticeCase{"BuiltinOnly", false, false, true, kBuiltinTemplatesUsed},
                    NoticeCase{"None", false, false, false, kGeneratedAndCopied}),
    [](const auto& info) { return info.param.name; });

TEST_F(GenerateActionTest, EarlierLongerPreviewIsReplacedWhole) {
  files_.WriteFile(Preview(), std::string(100000, 'x'));
  window_.SetText(编辑框8, "582064937");
  Generate();
  EXPECT_EQ(ReadFile(Preview()), window_.Text(编辑框3));
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
