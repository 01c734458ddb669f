#include "conversion/text.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>

#include "support/gbk_literals.hpp"

namespace zarvo {
namespace {

using test::G;

struct SubstituteCase {
  const char* name;
  std::string text;
  std::string search;
  std::string replacement;
  int start;
  int count;
  bool matchCase;
  std::string expected;
};

class SubstituteTextTest : public testing::TestWithParam<SubstituteCase> {};

TEST_P(SubstituteTextTest, Replaces) {
  const SubstituteCase& c = GetParam();
  EXPECT_EQ(SubstituteText(c.text, c.search, c.replacement, c.start, c.count, c.matchCase),
            c.expected);
}

const std::string kHeight = G("高度");

INSTANTIATE_TEST_SUITE_P(
    Cases, SubstituteTextTest,
    testing::Values(
        SubstituteCase{"AllByDefault", "a-b-c", "-", "+", 1, -1, false, "a+b+c"},
        SubstituteCase{"CountLimits", "a-b-c-d", "-", "+", 1, 2, false, "a+b+c-d"},
        SubstituteCase{"CountZeroChangesNothing", "a-b", "-", "+", 1, 0, false, "a-b"},
        SubstituteCase{"NegativeCountIsUnlimited", "--", "-", "+", 1, -7, false, "++"},
        SubstituteCase{"EmptyText", "", "-", "+", 1, -1, false, ""},
        SubstituteCase{"EmptySearch", "abc", "", "+", 1, -1, false, "abc"},
        SubstituteCase{"EmptyReplacementRemoves", "a-b", "-", "", 1, -1, false, "ab"},
        SubstituteCase{"StartSkipsPrefix", "x-x-x", "x", "y", 3, -1, false, "x-y-y"},
        SubstituteCase{"StartBelowOneIsOne", "x-x", "x", "y", -5, -1, false, "y-y"},
        SubstituteCase{"StartAtLastByte", "abc", "c", "!", 3, -1, false, "ab!"},
        SubstituteCase{"StartPastEnd", "abc", "c", "!", 4, -1, false, "abc"},
        SubstituteCase{"IgnoresAsciiCase", "Height HEIGHT", "height", "h", 1, -1, false, "h h"},
        SubstituteCase{"MatchCase", "Height height", "height", "h", 1, -1, true, "Height h"},
        SubstituteCase{"BothCasesInterleaved", "xHhXhHxHH", "hh", "R", 1, -1, false, "xRXRxR"},
        SubstituteCase{"NoOverlap", "aaaa", "aa", "b", 1, -1, false, "bb"},
        SubstituteCase{"ReplacementNotSearchedAgain", "ab", "a", "aa", 1, -1, false, "aab"},
        SubstituteCase{"SearchLongerThanText", "ab", "abc", "x", 1, -1, false, "ab"},
        SubstituteCase{"TokenBetweenChinese", G("中高度文"), kHeight, "580", 1, -1, false,
                       G("中") + "580" + G("文")},
        // "\xC4\xB8" is one character, so the "\xB8\xDF" (高) that begins on
        // its second byte is no match.
        SubstituteCase{"NoMatchOnSecondByte", "\xC4\xB8\xDF\xB6\xC8", "\xB8\xDF", "X", 1, -1, false,
                       "\xC4\xB8\xDF\xB6\xC8"},
        SubstituteCase{"LoneHighByteHidesFollowingToken", "\xB8" + kHeight, kHeight, "1", 1, -1,
                       false, "\xB8" + kHeight},
        SubstituteCase{"AsciiAfterHighByteIsSecondByte",
                       "\x81"
                       "ab",
                       "a", "X", 1, -1, false,
                       "\x81"
                       "ab"},
        SubstituteCase{"ResyncAfterAsciiSecondByte",
                       "\x81"
                       "aab",
                       "a", "X", 1, -1, false,
                       "\x81"
                       "aXb"},
        SubstituteCase{"StartOnSecondByteScansFromThere", "\xC4\xB8\xDF\xB6\xC8", "\xB8\xDF", "X",
                       2, -1, false, "\xC4X\xB6\xC8"},
        SubstituteCase{"FoldsLettersInSecondBytes",
                       "\x81"
                       "A"
                       "b",
                       "\x81"
                       "a",
                       "X", 1, -1, false, "Xb"},
        SubstituteCase{"CaseFoldingIsAsciiOnly", G("Ａ"), G("ａ"), "x", 1, -1, false, G("Ａ")},
        SubstituteCase{"TokenAtEnd", "ab" + kHeight, kHeight, "1", 1, -1, false, "ab1"}),
    [](const auto& info) { return info.param.name; });

struct NumberCase {
  const char* name;
  std::string text;
  double value;
};

class ReadNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumberTest, Reads) { EXPECT_EQ(ReadNumber(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadNumberTest,
    testing::Values(
        NumberCase{"Plain", "580", 580}, NumberCase{"LeadingSpace", " 580", 580},
        NumberCase{"LeadingWhiteSpace", "\t\r\n\v\f 7", 7}, NumberCase{"Negative", "-10", -10},
        NumberCase{"Plus", "+3", 3}, NumberCase{"Empty", "", 0}, NumberCase{"Letters", "abc", 0},
        NumberCase{"Fraction", "12.5", 12.5}, NumberCase{"Unit", "580px", 580},
        NumberCase{"FullWidthDigits", G("５８０"), 580},
        NumberCase{"FullWidthMinus", G("－１０"), -10},
        NumberCase{"FullWidthPoint", G("１２．５"), 12.5},
        NumberCase{"IdeographicSpace", G("　５"), 5}, NumberCase{"PointFirst", ".5", 0.5},
        NumberCase{"PointLast", "5.", 5}, NumberCase{"SecondPointEnds", "1.2.3", 1.2},
        NumberCase{"Exponent", "1e2", 100}, NumberCase{"DExponent", "1d2", 100},
        NumberCase{"CapitalExponents", "1E2 1D2", 100}, NumberCase{"SignedExponent", "25e-1", 2.5},
        NumberCase{"ExponentWithoutDigits", "3e", 3},
        NumberCase{"ExponentSignWithoutDigits", "3e+", 3},
        NumberCase{"ExponentWithoutMantissa", "e5", 0}, NumberCase{"Hex", "0x10", 0},
        NumberCase{"Infinity", "inf", 0}, NumberCase{"NotANumber", "nan", 0},
        NumberCase{"SpaceBetweenDigits", "5 80", 5}, NumberCase{"SignAlone", "-", 0},
        NumberCase{"PointAlone", ".", 0}, NumberCase{"LoneLeadByteAtEnd", "7\xA3", 7},
        NumberCase{"OtherChineseEnds", G("5中"), 5},
        NumberCase{"Overflow", "1e400", std::numeric_limits<double>::infinity()},
        NumberCase{"Underflow", "1e-400", 0}, NumberCase{"ZeroWithHugeExponent", "0e999999", 0},
        // Out of range by the digits, whatever the exponent's sign.
        NumberCase{"LongIntegerWithNegativeExponentOverflows", "1" + std::string(400, '0') + "e-50",
                   std::numeric_limits<double>::infinity()},
        NumberCase{"LongFractionWithPositiveExponentUnderflows",
                   "0." + std::string(400, '0') + "1e+50", 0}),
    [](const auto& info) { return info.param.name; });

TEST(ReadNumberTest, NegativeZeroKeepsItsSign) { EXPECT_TRUE(std::signbit(ReadNumber("-0"))); }

struct FormatCase {
  const char* name;
  double number;
  std::string text;
};

class FormatNumberTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatNumberTest, Formats) { EXPECT_EQ(FormatNumber(GetParam().number), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatNumberTest,
    testing::Values(FormatCase{"Integer", 580, "580"}, FormatCase{"Fraction", 592.5, "592.5"},
                    FormatCase{"RoundsToThirteenDigits", 0.1 + 0.2, "0.3"},
                    FormatCase{"Negative", -0.5, "-0.5"}, FormatCase{"Zero", 0, "0"},
                    FormatCase{"ThirteenDigits", 1234567890123, "1234567890123"},
                    FormatCase{"LargeUsesExponent", 1e13, "1e+013"},
                    FormatCase{"SmallPlain", 0.0001, "0.0001"},
                    FormatCase{"SmallUsesExponent", 0.00001, "1e-005"},
                    FormatCase{"ThreeDigitExponentKept", 1e100, "1e+100"},
                    FormatCase{"MantissaFraction", 1.5e-7, "1.5e-007"},
                    FormatCase{"RoundedMantissa", 12345678901234567.0, "1.234567890123e+016"}),
    [](const auto& info) { return info.param.name; });

// A Qt program takes its locale from the environment; under a locale with a
// decimal comma the C library reads "12.5" as 12 and prints "12,5".
class CommaLocaleTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name :
         {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German_Germany.1252", "de-DE"}) {
      if (std::setlocale(LC_ALL, name) != nullptr) {
        try {
          std::locale::global(std::locale(name));
        } catch (const std::runtime_error&) {
        }
        active_ = true;
        return;
      }
    }
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    std::locale::global(std::locale::classic());
  }
  bool active_ = false;
};

TEST_F(CommaLocaleTest, NumbersIgnoreTheLocale) {
  if (!active_) {
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  ASSERT_EQ(std::localeconv()->decimal_point[0], ',');
  EXPECT_EQ(ReadNumber("12.5"), 12.5);
  EXPECT_EQ(ReadNumber("12,5"), 12);
  EXPECT_EQ(FormatNumber(592.5), "592.5");
}

}  // namespace
}  // namespace zarvo
