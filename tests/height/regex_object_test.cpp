#include "height/regex_object.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <locale>
#include <optional>
#include <string>
#include <vector>

#include "support/gbk_literals.hpp"
#include "support/peak_memory.hpp"

namespace zarvo {
namespace {

using test::G;

// Every match text of a RegexObject, in order.
std::vector<std::string> AllMatches(const RegexObject& re) {
  std::vector<std::string> out;
  for (int i = 1; i <= re.GetMatchCount(); ++i) {
    out.push_back(re.GetMatchText(i));
  }
  return out;
}

using Strings = std::vector<std::string>;

struct OptionCase {
  const char* name;
  std::string pattern;
  std::string subject;
  std::optional<bool> caseSensitive;
  std::optional<bool> multiline;
  std::optional<bool> global;
  std::optional<bool> quoteToken;
  bool created;
  Strings matches;
};

class OptionsTest : public testing::TestWithParam<OptionCase> {};

TEST_P(OptionsTest, CreatesAndMatches) {
  const OptionCase& c = GetParam();
  RegexObject re;
  EXPECT_EQ(re.Create(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global, c.quoteToken),
            c.created);
  EXPECT_EQ(AllMatches(re), c.matches);
}

const std::nullopt_t kDefault = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsTest,
    testing::Values(
        OptionCase{"CaseIgnoredByDefault",
                   "height",
                   "HEIGHT",
                   kDefault,
                   kDefault,
                   kDefault,
                   kDefault,
                   true,
                   {"HEIGHT"}},
        OptionCase{
            "CaseSensitiveTrue", "height", "HEIGHT", true, kDefault, kDefault, kDefault, true, {}},
        OptionCase{"CaseSensitiveFalseGiven",
                   "height",
                   "HeIgHt",
                   false,
                   kDefault,
                   kDefault,
                   kDefault,
                   true,
                   {"HeIgHt"}},
        OptionCase{"GreekAndCyrillicFoldCase",
                   G("αд"),
                   G("ΑД"),
                   kDefault,
                   kDefault,
                   kDefault,
                   kDefault,
                   true,
                   {G("ΑД")}},
        OptionCase{"FullWidthLettersFoldCase",
                   G("ａ"),
                   G("Ａ"),
                   kDefault,
                   kDefault,
                   kDefault,
                   kDefault,
                   true,
                   {G("Ａ")}},
        OptionCase{"GlobalByDefault",
                   "a",
                   "aaa",
                   kDefault,
                   kDefault,
                   kDefault,
                   kDefault,
                   true,
                   {"a", "a", "a"}},
        OptionCase{
            "GlobalFalseFindsOne", "a", "aaa", kDefault, kDefault, false, kDefault, true, {"a"}},
        OptionCase{"MultilineByDefault",
                   "^b$",
                   "a\r\nb\nc",
                   kDefault,
                   kDefault,
                   kDefault,
                   kDefault,
                   true,
                   {"b"}},
        OptionCase{"MultilineFalse", "^b", "a\nb", kDefault, false, kDefault, kDefault, true, {}},
        OptionCase{"MultilineFalseStillAnchorsText",
                   "^a|c$",
                   "a\nc",
                   kDefault,
                   false,
                   kDefault,
                   kDefault,
                   true,
                   {"a", "c"}},
        OptionCase{"QuoteTokenOn",
                   G("=#引号(\\d+)"),
                   "=\"12\"",
                   kDefault,
                   kDefault,
                   kDefault,
                   true,
                   true,
                   {"=\"12"}},
        OptionCase{"QuoteTokenLeftOutIsLiteral",
                   G("=#引号1"),
                   G("=#引号1 =\"1"),
                   kDefault,
                   kDefault,
                   kDefault,
                   kDefault,
                   true,
                   {G("=#引号1")}},
        OptionCase{"QuoteTokenFalseIsLiteral",
                   G("#引号"),
                   "\"",
                   kDefault,
                   kDefault,
                   kDefault,
                   false,
                   true,
                   {}},
        OptionCase{
            "InvalidPattern", "(a", "aaa", kDefault, kDefault, kDefault, kDefault, false, {}},
        OptionCase{"NothingMatches", "x", "abc", kDefault, kDefault, kDefault, kDefault, true, {}},
        // The subject alone goes to the engine, with no NUL after it.
        OptionCase{
            "DotOverOneCharacter", ".", "a", kDefault, kDefault, kDefault, kDefault, true, {"a"}},
        OptionCase{
            "EmptySubjectEndAnchor", "$", "", kDefault, kDefault, kDefault, kDefault, true, {""}},
        OptionCase{"EmptyMatchesStepOn",
                   "x*",
                   "ab",
                   kDefault,
                   kDefault,
                   kDefault,
                   kDefault,
                   true,
                   {"", "", ""}}),
    [](const auto& info) { return info.param.name; });

// The pattern language: the places where ECMAScript differs from other
// engines, and the syntax a pattern may use.
struct SyntaxCase {
  const char* name;
  std::string pattern;
  std::string subject;
  Strings matches;             // every match
  Strings groupsOfFirst = {};  // the group texts of the first match
};

class SyntaxTest : public testing::TestWithParam<SyntaxCase> {};

TEST_P(SyntaxTest, Matches) {
  const SyntaxCase& c = GetParam();
  RegexObject re;
  ASSERT_TRUE(re.Create(c.pattern, c.subject));
  EXPECT_EQ(AllMatches(re), c.matches);
  Strings groups;
  for (int g = 1; g <= re.GetSubMatchCount(); ++g) {
    groups.push_back(re.GetSubMatchText(1, g));
  }
  EXPECT_EQ(groups, c.groupsOfFirst);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SyntaxTest,
    testing::Values(SyntaxCase{"SpaceIsOnlyAsciiWhitespace",
                               "\\s",
                               G(" \t\n\r\f\v　"),
                               {" ", "\t", "\n", "\r", "\f", "\v"}},
                    SyntaxCase{"NotSpaceTakesTheRest", "\\S+", G("a　b"), {G("a　b")}},
                    SyntaxCase{"DigitIsOnlyAscii", "\\d+", G("12３4"), {"12", "4"}},
                    SyntaxCase{"WordIsAscii", "\\w+", G("ab_1中c"), {"ab_1", "c"}},
                    SyntaxCase{"DotStopsAtLineTerminators", ".+", "ab\r\ncd", {"ab", "cd"}},
                    SyntaxCase{"LeftmostAlternativeWins", "a|ab", "ab", {"a"}},
                    SyntaxCase{"LazyQuantifier", "<.+?>", "<a><b>", {"<a>", "<b>"}},
                    SyntaxCase{"CountedRepetition", "a{2,3}", "aaaaaaa", {"aaa", "aaa"}},
                    SyntaxCase{"BraceWithoutCountIsLiteral", "a{,2}}", "a{,2}}", {"a{,2}}"}},
                    SyntaxCase{"Backreference", "(\\w)\\1", "abccd", {"cc"}, {"c"}},
                    SyntaxCase{"BackreferenceIgnoresCase", "(a)\\1", "aA", {"aA"}, {"a"}},
                    SyntaxCase{"EscapeBeyondGroupsIsOctal", "\\101", "A", {"A"}},
                    SyntaxCase{"GroupsResetInEachRound", "(?:(a)|b)+", "ab", {"ab"}, {""}},
                    SyntaxCase{"EmptyRoundEndsRepetition", "(a*)*", "b", {"", ""}, {""}},
                    SyntaxCase{"LookaheadKeepsItsGroup", "(?=(\\d+))\\d", "42", {"4", "2"}, {"42"}},
                    SyntaxCase{"NegativeLookahead", "a(?!b)", "ab ac", {"a"}},
                    SyntaxCase{"WordBoundary", "\\bcat\\b", "cat concat cat.", {"cat", "cat"}},
                    SyntaxCase{"ClassesRangesAndEscapes", "[a-c\\d\\-]+", "xab-3cz", {"ab-3c"}},
                    SyntaxCase{"NegatedClassTakesLineFeed", "[^a]+", "a\nb", {"\nb"}},
                    SyntaxCase{"HexAndUnicodeEscapes", "\\x41\\u4E2D", G("A中"), {G("A中")}},
                    SyntaxCase{"DoubleByteClassRange", G("[一-龥]+"), G("ab中文cd"), {G("中文")}}),
    [](const auto& info) { return info.param.name; });

TEST(RegexObjectTest, InvalidPatternsLeaveNoMatchList) {
  const std::vector<std::string> invalid = {
      "(a", "a)", "[a", "*a", "a**", "a{2,1}", "[z-a]", "a\\", "(?<x>a)", std::string(100000, '(')};
  for (const std::string& pattern : invalid) {
    RegexObject re;
    EXPECT_FALSE(re.Create(pattern, "aaa")) << pattern.substr(0, 20);
    EXPECT_EQ(re.GetMatchCount(), 0);
    EXPECT_EQ(re.GetSubMatchCount(), 0);
    int position = 0;
    EXPECT_EQ(re.GetMatchText(1, &position), "");
    EXPECT_EQ(position, -2);
    EXPECT_EQ(re.ReplaceMatches("x"), "");
    EXPECT_EQ(re.GetPattern(), pattern);
  }
}

TEST(RegexObjectTest, BeforeCreateEverythingIsEmpty) {
  RegexObject re;
  int position = 0;
  EXPECT_EQ(re.GetPattern(), "");
  EXPECT_EQ(re.GetMatchCount(), 0);
  EXPECT_EQ(re.GetSubMatchCount(), 0);
  EXPECT_EQ(re.GetMatchText(1, &position), "");
  EXPECT_EQ(position, -2);
  EXPECT_EQ(re.GetSubMatchText(1, 1), "");
  EXPECT_EQ(re.ReplaceMatches("x"), "");
}

TEST(RegexObjectTest, CreateAgainReplacesEverything) {
  RegexObject re;
  ASSERT_TRUE(re.Create(G("(#引号)"), "\"\"", {}, {}, {}, true));
  EXPECT_EQ(re.GetPattern(), "(\")");
  EXPECT_EQ(re.GetMatchCount(), 2);
  ASSERT_TRUE(re.Create("b", "abc"));
  EXPECT_EQ(re.GetPattern(), "b");
  EXPECT_EQ(AllMatches(re), Strings{"b"});
  EXPECT_EQ(re.GetSubMatchCount(), 0);
}

// Texts and byte positions by match and group number.
struct PositionCase {
  const char* name;
  std::string pattern;
  std::string subject;
  int matchIndex;
  int subMatchIndex;  // 0: the whole match
  std::string text;
  int position;
};

class PositionTest : public testing::TestWithParam<PositionCase> {};

TEST_P(PositionTest, GivesTextAndBytePosition) {
  const PositionCase& c = GetParam();
  RegexObject re;
  re.Create(c.pattern, c.subject);
  int position = 12345;
  const std::string text = c.subMatchIndex == 0
                               ? re.GetMatchText(c.matchIndex, &position)
                               : re.GetSubMatchText(c.matchIndex, c.subMatchIndex, &position);
  EXPECT_EQ(text, c.text);
  EXPECT_EQ(position, c.position);
  // Leaving the position out gives the same text.
  EXPECT_EQ(c.subMatchIndex == 0 ? re.GetMatchText(c.matchIndex)
                                 : re.GetSubMatchText(c.matchIndex, c.subMatchIndex),
            c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PositionTest,
    testing::Values(PositionCase{"SingleByte", "b", "abcb", 2, 0, "b", 3},
                    PositionCase{"AfterDoubleByte", "b", G("中ab"), 1, 0, "b", 3},
                    // The match's unit offset falls on the second byte of a character.
                    PositionCase{"AfterSeveralDoubleByte", "x", G("中中中x"), 1, 0, "x", 6},
                    PositionCase{"DoubleByteMatch", G("文+"), G("a中文文b"), 1, 0, G("文文"), 3},
                    PositionCase{"UndecodableByteCountsOnce", "b",
                                 "\xFF"
                                 "b",
                                 1, 0, "b", 1},
                    // The group's own place, not an identical text earlier in the match.
                    PositionCase{"GroupLaterInMatch", "a+(a)", "xaaa", 1, 1, "a", 3},
                    PositionCase{"GroupAfterDoubleByte", G("中(文)"), G("ab中文"), 1, 1, G("文"),
                                 4},
                    PositionCase{"GroupThatTookNoPart", "a(b)?", G("中a"), 1, 1, "", 2},
                    PositionCase{"MatchIndexZero", "a", "aa", 0, 0, "", -2},
                    PositionCase{"MatchIndexBeyondCount", "a", "aa", 3, 0, "", -2},
                    PositionCase{"SubMatchIndexBeyondGroups", "(a)", "a", 1, 2, "", -2},
                    PositionCase{"SubMatchOfMissingMatch", "(a)", "a", 2, 1, "", -2}),
    [](const auto& info) { return info.param.name; });

TEST(RegexObjectTest, GroupCountIsThatOfThePattern) {
  RegexObject re;
  ASSERT_TRUE(re.Create("a(b)?(?:c)?(d)?", "a"));
  EXPECT_EQ(re.GetSubMatchCount(), 2);
  EXPECT_EQ(re.GetSubMatchText(1, 0), "");
  ASSERT_TRUE(re.Create("(a)", "b"));
  EXPECT_EQ(re.GetSubMatchCount(), 0);  // no match
}

struct ReplaceCase {
  const char* name;
  std::string pattern;
  std::string subject;
  std::string replacement;
  std::optional<bool> global;
  std::string expected;
};

class ReplaceTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, Replaces) {
  const ReplaceCase& c = GetParam();
  RegexObject re;
  re.Create(c.pattern, c.subject, {}, {}, c.global);
  EXPECT_EQ(re.ReplaceMatches(c.replacement), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTest,
    testing::Values(
        ReplaceCase{"OneCharacterOneReplacement", ".", "a", "x", {}, "x"},
        ReplaceCase{"EmptyMatches", "x*", "ab", "-", {}, "-a-b-"},
        ReplaceCase{"FirstOnlyWithoutGlobal", "a", "aaa", "b", false, "baa"},
        ReplaceCase{"NoMatchKeepsSubject", "z", G("中文"), "x", {}, G("中文")},
        ReplaceCase{"Groups", "(\\w+)-(\\w+)", "ab-cd", "$2+$1", {}, "cd+ab"},
        ReplaceCase{"WholeBeforeAfterDollar", "b", "abc", "[$&|$`|$'|$$]", {}, "a[b|a|c|$]c"},
        ReplaceCase{"TwoDigitGroupFallsBackToOne", "(a)", "a", "$10", {}, "a0"},
        ReplaceCase{"MissingGroupStaysLiteral", "(a)", "a", "$2$0$", {}, "$2$0$"},
        ReplaceCase{"GroupThatTookNoPartIsEmpty", "a(b)?", "a", "<$1>", {}, "<>"},
        ReplaceCase{"DoubleByteTextKept", G("文"), G("中文字"), G("字"), {}, G("中字字")}),
    [](const auto& info) { return info.param.name; });

// The character sets do not follow the global locale: a Qt program sets a
// UTF-8 one from the environment.
TEST(RegexObjectTest, ClassesIgnoreGlobalLocale) {
  std::locale utf8;
  try {
    utf8 = std::locale("C.UTF-8");
  } catch (const std::runtime_error&) {
    GTEST_SKIP() << "no UTF-8 locale here";
  }
  const std::locale previous = std::locale::global(utf8);
  RegexObject re;
  re.Create("\\s|\\d|\\w", G("　３é"));
  EXPECT_EQ(re.GetMatchCount(), 0);
  std::locale::global(previous);
}

// Patterns that step once per character over a long line: the backtracking
// state lives on the heap, so no stack runs out.
TEST(RegexObjectTest, LongLineWithPerCharacterPatterns) {
  const std::string run(100000, 'a');
  const std::string dots = run + "x";
  std::string alternating;
  for (int i = 0; i < 50000; ++i) {
    alternating += "ab";
  }
  alternating += "c";
  struct {
    const char* pattern;
    const std::string& subject;
    size_t matchLength;  // 0: no match
  } const cases[] = {{".*x", dots, dots.size()},
                     {"(a|b)*c", alternating, alternating.size()},
                     {"(?:a|b)+?c", alternating, alternating.size()},
                     {"(a)*x", dots, dots.size()},
                     {"[^\\n]*?x", dots, dots.size()},
                     // Found out without trying every start again.
                     {".*x", run, 0},
                     {"a+b", run, 0}};
  for (const auto& c : cases) {
    RegexObject re;
    ASSERT_TRUE(re.Create(c.pattern, c.subject)) << c.pattern;
    EXPECT_EQ(re.GetMatchCount(), c.matchLength == 0 ? 0 : 1) << c.pattern;
    EXPECT_EQ(re.GetMatchText(1).size(), c.matchLength) << c.pattern;
  }
}

// Patterns whose backtracking grows without bound give up: no match list,
// and the call returns.
TEST(RegexObjectTest, RunawayBacktrackingGivesUp) {
  const std::string as(40, 'a');
  for (const char* pattern : {"(a|aa)*c", "(a*)*b", "(?:a+)+b"}) {
    RegexObject re;
    EXPECT_FALSE(re.Create(pattern, as)) << pattern;
    EXPECT_EQ(re.GetMatchCount(), 0) << pattern;
  }
}

// 3 000 empty groups match at each of 20 001 places, 24 KB of spans each:
// the list ends at its 256 MiB cap, and what it holds can still be read.
TEST(RegexObjectTest, MatchListEndsAtItsMemoryCap) {
  std::string pattern;
  for (int i = 0; i < 3000; ++i) pattern += "()";
  const std::string subject(20000, 'a');
  const auto started = std::chrono::steady_clock::now();
  RegexObject re;
  ASSERT_TRUE(re.Create(pattern, subject));
  const int count = re.GetMatchCount();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  const size_t peak = test::PeakResidentBytes();
  std::cout << count << " matches in " << took.count() << " s, peak resident " << peak / 1'000'000
            << " MB\n";

  constexpr size_t kMatchBytes = 2 * 3001 * sizeof(int);
  EXPECT_LT(count, 20001);
  EXPECT_GT(static_cast<size_t>(count), (size_t{250} << 20) / kMatchBytes);
  EXPECT_LE(static_cast<size_t>(count), (size_t{256} << 20) / kMatchBytes);
  int position = 0;
  EXPECT_EQ(re.GetSubMatchText(count, 3000, &position), "");
  EXPECT_EQ(position, count - 1);
  EXPECT_EQ(re.GetMatchText(count + 1, &position), "");
  EXPECT_EQ(position, -2);
  EXPECT_EQ(re.GetSubMatchCount(), 3000);
  EXPECT_EQ(re.ReplaceMatches("x"), "");  // as after a search that gave up
  // AddressSanitizer adds its shadow memory (an eighth) and keeps up to
  // 256 MB of freed memory from earlier tests of the same process: there the
  // bound only tells a capped list from the 754 MB of an uncapped one.
  const size_t bound = test::kAddressSanitizer ? 600'000'000 : 300'000'000;
  EXPECT_LT(peak, bound);
}

TEST(RegexObjectTest, TenMegabyteLine) {
  std::string code(size_t{10} * 1024 * 1024, 'x');
  code.replace(code.size() - 20, 12, "height:580px");
  RegexObject re;
  ASSERT_TRUE(re.Create("height:?=?\\s?(\\d{2,4})", code));
  EXPECT_EQ(re.GetSubMatchText(1, 1), "580");
  EXPECT_EQ(re.GetMatchCount(), 1);
}

}  // namespace
}  // namespace zarvo
