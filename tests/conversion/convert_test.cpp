#include "conversion/convert.hpp"

#include <gtest/gtest.h>

#include "support/gbk_literals.hpp"

namespace zarvo {
namespace {

using test::G;

struct ConvertCase {
  const char* name;
  std::string areaTemplate;  // UTF-8, used as the 750-area template
  std::string spacing;
  std::string height;
  std::string offset;
  std::string code;
  std::string expected;  // UTF-8
};

class ConvertCodeTest : public testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertCodeTest, FillsTemplate) {
  const ConvertCase& c = GetParam();
  const TemplateSet templates{G(c.areaTemplate), "", ""};
  EXPECT_EQ(GbkToUtf8(ConvertCode(templates, 0, G(c.spacing), G(c.height), G(c.offset), G(c.code))),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConvertCodeTest,
    testing::Values(
        ConvertCase{"FirstHeightCorrectedNextFourVerbatim", "A高度B高度C高度D高度E高度F高度G",
                    "-10", "580", "", "", "A570B580C580D580E580F高度G"},
        ConvertCase{"OnlyFirstSpacing", "[间距][间距]", "-10", "580", "", "", "[-10][间距]"},
        ConvertCase{"FractionalSpacing", "高度|高度", "12.5", "580", "", "", "592.5|580"},
        ConvertCase{"SpacingWithoutNumber", "高度|间距", "abc", "580", "", "", "580|abc"},
        ConvertCase{"FullWidthHeight", "高度|高度", "0", "５８０", "", "", "580|５８０"},
        ConvertCase{"EmptyHeightRemovesTokens", "a高度b高度c", "0", "", "", "", "a0bc"},
        ConvertCase{"CodeIsNeverSearched", "[582064937]", "0", "580", "-200", "x高度y582064937z",
                    "[x高度y582064937z]"},
        ConvertCase{"HugeSum", "高度", "1e13", "0", "", "", "1e+013"},
        ConvertCase{"NoTokens", "<div>plain</div>", "-10", "580", "-200", "code",
                    "<div>plain</div>"},
        ConvertCase{"Offset", "left:偏移量px", "0", "580", "-200", "", "left:-200px"},
        ConvertCase{"InsertedSpacingFilledLater", "间距|高度|高度", "高度", "580", "", "",
                    "580|580|580"},
        ConvertCase{"OffsetCanTakeTheCode", "偏移量582064937", "0", "1", "582064937", "C",
                    "C582064937"},
        ConvertCase{"EmptyTemplate", "", "-10", "580", "-200", "code", ""},
        ConvertCase{"UnicodeRoundTrip", "<p>582064937</p>", "0", "580", "", "中文 ✓",
                    "<p>中文 &#10003;</p>"}),
    [](const auto& info) { return info.param.name; });

TEST(ConvertCodeTest, TargetAreaPicksTemplate) {
  const TemplateSet templates{"750:582064937", "190:582064937", "page"};
  EXPECT_EQ(ConvertCode(templates, 0, "0", "580", "-200", "c"), "750:c");
  EXPECT_EQ(ConvertCode(templates, 1, "0", "580", "-200", "c"), "190:c");
  EXPECT_EQ(ConvertCode(templates, 2, "0", "580", "-200", "c"), "");
  EXPECT_EQ(ConvertCode(templates, -1, "0", "580", "-200", "c"), "");
}

TEST(BuildPreviewPageTest, FillsFirstCodeToken) {
  EXPECT_EQ(BuildPreviewPage("a582064937b582064937c", "X"), "aXb582064937c");
  EXPECT_EQ(BuildPreviewPage("a582064937b", ""), "ab");
  EXPECT_EQ(BuildPreviewPage("", "X"), "");
  EXPECT_EQ(BuildPreviewPage("page", "X"), "page");
}

}  // namespace
}  // namespace zarvo
