// The sample templates of samples/template-server: they fill as templates
// must, and the converted code sits where it belongs on the preview page,
// as a real browser (headless Chromium) lays it out.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "conversion/convert.hpp"
#include "support/gbk_literals.hpp"
#include "support/test_files.hpp"
#include "templates/template_fetch.hpp"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using test::G;
using test::ReadFile;

std::string Sample(std::string_view path) {
  std::string text = ReadFile(fs::path(ZARVO_SAMPLES_DIR) / fs::path(path).relative_path());
  EXPECT_FALSE(text.empty()) << path;
  return text;
}

TemplateSet Samples() {
  return {Sample(kArea750TemplatePath), Sample(kArea190TemplatePath), Sample(kPreviewTemplatePath)};
}

int Count(std::string_view text, std::string_view token) {
  int count = 0;
  for (size_t at = text.find(token); at != std::string_view::npos;
       at = text.find(token, at + token.size())) {
    ++count;
  }
  return count;
}

TEST(SampleTemplatesTest, EveryTokenIsFilledAndTheCodeLandsOnThePage) {
  const TemplateSet templates = Samples();
  for (int area : {0, 1}) {
    SCOPED_TRACE(area == 0 ? "750 area" : "190 area");
    const std::string output = ConvertCode(templates, area, "-10", "580", "-200", "<p>code</p>");
    for (std::string_view token : {kHeightToken, kSpacingToken, kOffsetToken, kCodeToken}) {
      EXPECT_EQ(Count(output, token), 0) << GbkToUtf8(token) << " left in the output";
    }
    EXPECT_EQ(Count(output, "<p>code</p>"), 1);
    EXPECT_EQ(Count(output, "570"), 1);  // the corrected height, once
    EXPECT_GE(Count(output, "580"), 1);
    EXPECT_EQ(Count(output, "-10px"), 1);
    EXPECT_EQ(Count(output, "-200px"), 1);

    const std::string page = BuildPreviewPage(templates.previewTemplate, output);
    EXPECT_EQ(Count(page, kCodeToken), 0);
    EXPECT_EQ(Count(page, output), 1);
  }
  EXPECT_NE(templates.previewTemplate.find("charset=gbk"), std::string::npos);
}

// A 950-pixel-wide shop code that measures, once the page has loaded, the
// boxes of the page, the module, the template's code box and itself, and
// leaves the numbers on the body for the dumped DOM.
constexpr std::string_view kMeasuringCode =
    R"(<div id="sample-code" style="width:950px;height:580px;background:#c33;">
<a href="#"><img alt="banner" width="950" height="580" style="display:block;border:0;"></a>
</div>
<script>
window.addEventListener("load", function () {
  function box(name, e) {
    var r = e.getBoundingClientRect();
    return name + "=" + r.left + "," + r.top + "," + r.width + "," + r.height + " ";
  }
  var code = document.getElementById("sample-code");
  document.body.setAttribute("data-measure",
      box("page", document.getElementById("page")) + box("module", document.getElementById("module")) +
      box("box", code.parentNode) + box("code", code));
});
</script>)";

struct Box {
  double left = 0, top = 0, width = 0, height = 0;
};

// Parses "name=left,top,width,height ..." as written by the measuring code.
std::map<std::string, Box> ParseMeasure(const std::string& dom) {
  std::map<std::string, Box> boxes;
  const std::string marker = "data-measure=\"";
  const size_t from = dom.find(marker);
  if (from == std::string::npos) {
    return boxes;
  }
  std::istringstream in(
      dom.substr(from + marker.size(), dom.find('"', from + marker.size()) - from - marker.size()));
  std::string item;
  while (in >> item) {
    Box b;
    char name[16] = {};
    if (std::sscanf(item.c_str(), "%15[a-z]=%lf,%lf,%lf,%lf", name, &b.left, &b.top, &b.width,
                    &b.height) == 5) {
      boxes[name] = b;
    }
  }
  return boxes;
}

// The page rendered by headless Chromium, as its DOM after loading.
std::string RenderedDom(const fs::path& page, const fs::path& profile) {
  const std::string command =
      "chromium --headless --no-sandbox --disable-gpu --no-first-run "
      "--disable-background-networking --disable-component-update --disable-sync "
      "--user-data-dir='" +
      profile.string() + "' --window-size=1280,1000 --dump-dom 'file://" + page.string() +
      "' 2>/dev/null";
  return test::CommandOutput(command);
}

struct BrowserCase {
  const char* name;
  std::string spacing;
};

class SampleTemplatesBrowserTest : public testing::TestWithParam<BrowserCase> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvo-browser-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_P(SampleTemplatesBrowserTest, CodeCoversThePageWidthAtModuleHeight) {
  const BrowserCase& c = GetParam();
  const TemplateSet templates = Samples();
  const std::string output = ConvertCode(templates, 0, c.spacing, "580", "-200", kMeasuringCode);
  const fs::path page = dir_ / "yl.htm";
  std::ofstream(page, std::ios::binary) << BuildPreviewPage(templates.previewTemplate, output);

  const std::map<std::string, Box> boxes = ParseMeasure(RenderedDom(page, dir_ / "profile"));
  ASSERT_EQ(boxes.size(), 4u) << "no measurements from chromium";
  const Box& pageBox = boxes.at("page");
  const Box& moduleBox = boxes.at("module");
  const Box& codeBox = boxes.at("box");
  const Box& code = boxes.at("code");

  EXPECT_EQ(pageBox.width, 950);
  // The 750 column sits right of the 190 column and its 10-pixel gap; the
  // offset pulls the code's box back to the page's left edge.
  EXPECT_EQ(moduleBox.left, pageBox.left + 200);
  EXPECT_EQ(codeBox.left, pageBox.left);
  EXPECT_EQ(codeBox.width, 950);
  EXPECT_EQ(codeBox.height, 580);
  // The spacing moves the code up over the gap above the module, which keeps
  // the corrected height.
  EXPECT_EQ(codeBox.top, moduleBox.top + std::stod(c.spacing));
  EXPECT_EQ(moduleBox.height, 580 + std::stod(c.spacing));
  EXPECT_EQ(code.left, pageBox.left);
  EXPECT_EQ(code.height, 580);
}

INSTANTIATE_TEST_SUITE_P(Cases, SampleTemplatesBrowserTest,
                         testing::Values(BrowserCase{"NoSpacing", "0"},
                                         BrowserCase{"SpacingMinus10", "-10"}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace zarvo
