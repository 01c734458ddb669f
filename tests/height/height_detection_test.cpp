#include "height/height_detection.hpp"

#include <gtest/gtest.h>

#include <string>

#include "app/tool_window.hpp"
#include "height/regex_object.hpp"
#include "support/gbk_literals.hpp"

namespace zarvo {
namespace {

using test::G;

// The same reading done the plain way: the height pattern over the whole
// code through a RegexObject, the first ten group texts, the largest wins.
std::string ReadThroughWholeText(std::string_view code) {
  RegexObject re;
  re.Create(kHeightPattern, code);
  std::string best = re.GetSubMatchText(1, 1);
  int bestValue = best.empty() ? 0 : std::stoi(best);
  for (int k = 2; k <= 10; ++k) {
    const std::string candidate = re.GetSubMatchText(k, 1);
    if (!candidate.empty() && std::stoi(candidate) > bestValue) {
      bestValue = std::stoi(candidate);
      best = std::to_string(bestValue);
    }
  }
  return best;
}

struct HeightCase {
  const char* name;
  std::string code;
  std::string expected;
};

class HeightTest : public testing::TestWithParam<HeightCase> {};

TEST_P(HeightTest, ReadsHeight) {
  const HeightCase& c = GetParam();
  EXPECT_EQ(DetectModuleHeight(c.code), c.expected);
  // Looking only where the word stands must change nothing.
  EXPECT_EQ(ReadThroughWholeText(c.code), c.expected);
}

std::string Heights(std::initializer_list<const char*> values) {
  std::string code;
  for (const char* v : values) {
    code += std::string("<div style=\"height:") + v + "px\"></div>\r\n";
  }
  return code;
}

// What one declaration yields.
INSTANTIATE_TEST_SUITE_P(
    Declarations, HeightTest,
    testing::Values(
        HeightCase{"Colon", "height:580px", "580"},
        HeightCase{"ColonOneSpace", "height: 580px", "580"},
        HeightCase{"ColonTwoSpaces", "height:  580px", ""},
        HeightCase{"Equals", "height=580", "580"}, HeightCase{"ColonEquals", "height:=580", "580"},
        HeightCase{"EqualsColon", "height=:580", ""}, HeightCase{"NoSeparator", "height580", "580"},
        HeightCase{"Capitals", "HEIGHT:580", "580"},
        HeightCase{"SpaceBeforeColon", "height :580", ""},
        HeightCase{"LineHeight", "line-height:24px", "24"},
        HeightCase{"MaxHeight", "max-height:600px", "600"},
        HeightCase{"OneDigit", "height:5px", ""}, HeightCase{"FiveDigits", "height:12345", "1234"},
        HeightCase{"LeadingZero", "height:0580", "0580"},
        HeightCase{"Decimal", "height:58.5px", "58"}, HeightCase{"Percent", "height:100%", "100"},
        HeightCase{"Auto", "height:auto", ""},
        HeightCase{"QuotedAttribute", "<td height=\"500\">", ""},
        HeightCase{"UnquotedAttribute", "<td height=500>", "500"},
        HeightCase{"TabAsSpace", "height:\t580", "580"},
        HeightCase{"LineFeedAsSpace", "height:\n580", "580"},
        HeightCase{"CrLfIsTwoSpaces", "height:\r\n580", ""},
        HeightCase{"FullWidthDigits", G("height:５８０"), ""},
        HeightCase{"FullWidthColon", G("height：580"), ""},
        HeightCase{"FullWidthSpace", G("height:　580"), ""},
        HeightCase{"MixedCase", "HeIgHt=1234", "1234"},
        HeightCase{"AfterChinese", G("高度height:580"), "580"},
        HeightCase{"DigitsThenChinese", G("height:58高"), "58"},
        // 0x81 0x68 is one double-byte character: its second byte is no h.
        HeightCase{"SecondByteLooksLikeH", "\x81height:580", ""},
        HeightCase{"UndecodableByteBefore", "\xFFheight:580", "580"},
        HeightCase{"WordTwice", "heightheight:50", "50"},
        HeightCase{"Adjacent", "height:58height:600", "600"}, HeightCase{"CutAtEnd", "height", ""},
        HeightCase{"Empty", "", ""},
        HeightCase{"NoHeight", "<div style=\"width:750px\"></div>", ""}),
    [](const auto& info) { return info.param.name; });

// Which of several declarations wins.
INSTANTIATE_TEST_SUITE_P(
    Choice, HeightTest,
    testing::Values(
        HeightCase{"LargestOfThree", Heights({"300", "580", "450"}), "580"},
        HeightCase{"FirstAsWrittenWhenLargest", Heights({"0580", "300"}), "0580"},
        HeightCase{"LaterLargerInPlainDigits", Heights({"0580", "300", "600"}), "600"},
        HeightCase{"LaterWithLeadingZero", Heights({"30", "0580"}), "580"},
        HeightCase{"TieKeepsEarlier", Heights({"580", "0580"}), "580"},
        HeightCase{"EleventhIgnored",
                   Heights({"10", "20", "30", "40", "50", "60", "70", "80", "90", "99", "9999"}),
                   "99"},
        HeightCase{"TenthCounts",
                   Heights({"10", "20", "30", "40", "50", "60", "70", "80", "90", "999"}), "999"},
        HeightCase{"OnlyLineHeight", "<p style=\"line-height:24px\">", "24"},
        HeightCase{"QuotedAttributesOnly", "<table height=\"300\"><td height=\"200\">", ""}),
    [](const auto& info) { return info.param.name; });

TEST(HeightDetectionTest, TenMegabyteLine) {
  std::string code(size_t{10} * 1024 * 1024, 'h');  // every byte starts a look
  EXPECT_EQ(DetectModuleHeight(code), "");
  code.replace(code.size() - 30, 25, G("中height:300 HEIGHT=0750;"));
  EXPECT_EQ(DetectModuleHeight(code), "750");
  const std::string plain(size_t{10} * 1024 * 1024, 'x');
  EXPECT_EQ(DetectModuleHeight(plain), "");
}

TEST(HeightDetectionTest, ReadButtonWritesModuleHeightBox) {
  ToolWindow window;
  RegisterHeightDetection(window);
  window.SetText(ControlId::编辑框1, Heights({"300", "580", "450"}));
  window.SetText(ControlId::编辑框5, "100");
  window.Raise(ControlId::超级按钮1, Event::Click);
  EXPECT_EQ(window.Text(ControlId::编辑框5), "580");
  window.Raise(ControlId::超级按钮1, Event::Click);  // the same again, no trace of the first
  EXPECT_EQ(window.Text(ControlId::编辑框5), "580");

  window.SetText(ControlId::编辑框1, "<div>no size</div>");
  window.Raise(ControlId::超级按钮1, Event::Click);
  EXPECT_EQ(window.Text(ControlId::编辑框5), "");  // emptied: nothing was found
}

}  // namespace
}  // namespace zarvo
