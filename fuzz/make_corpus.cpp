// make_corpus <dir>: writes the seeds of every fuzz target, in the layouts of
// the targets, into <dir>/<target>/<case>. The cases are those of the unit
// test tables. Texts are written in UTF-8 here and stored as GBK.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "platform/gbk.hpp"

namespace {

using zarvo::Utf8ToGbk;
namespace fs = std::filesystem;

fs::path root;

void Write(const char* target, const char* name, const std::string& bytes) {
  const fs::path dir = root / target;
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary) << bytes;
}

std::string Byte(int value) { return std::string(1, static_cast<char>(value & 0xFF)); }
std::string Word(int value) { return Byte(value) + Byte(value >> 8); }
std::string Short(const std::string& text) { return Byte(static_cast<int>(text.size())) + text; }
std::string Long(const std::string& text) { return Word(static_cast<int>(text.size())) + text; }

void SubstituteSeeds() {
  struct Case {
    const char* name;
    std::string text, search, replacement;
    int start, count;
    bool matchCase;
  };
  const std::string height = Utf8ToGbk("高度");
  for (const Case& c : std::initializer_list<Case>{
           {"AllByDefault", "a-b-c", "-", "+", 1, -1, false},
           {"CountLimits", "a-b-c-d", "-", "+", 1, 2, false},
           {"StartSkipsPrefix", "x-x-x", "x", "y", 3, -1, false},
           {"StartBelowOneIsOne", "x-x", "x", "y", -5, -1, false},
           {"IgnoresAsciiCase", "Height HEIGHT", "height", "h", 1, -1, false},
           {"MatchCase", "Height height", "height", "h", 1, -1, true},
           {"NoOverlap", "aaaa", "aa", "b", 1, -1, false},
           {"TokenBetweenChinese", Utf8ToGbk("中高度文"), height, "580", 1, -1, false},
           {"NoMatchOnSecondByte", "\xC4\xB8\xDF\xB6\xC8", "\xB8\xDF", "X", 1, -1, false},
           {"LoneHighByteHidesFollowingToken", "\xB8" + height, height, "1", 1, -1, false},
           {"ResyncAfterAsciiSecondByte",
            "\x81"
            "aab",
            "a", "X", 1, -1, false},
           {"StartOnSecondByteScansFromThere", "\xC4\xB8\xDF\xB6\xC8", "\xB8\xDF", "X", 2, -1,
            false},
           {"FoldsLettersInSecondBytes",
            "\x81"
            "A"
            "b",
            "\x81"
            "a",
            "X", 1, -1, false},
           {"BothCasesInterleaved", "xHhXhHxHH", "hh", "R", 1, -1, false},
       }) {
    Write("substitute_text_fuzzer", c.name,
          Byte(c.matchCase ? 1 : 0) + Word(c.start) + Byte(c.count) + Short(c.search) +
              Short(c.replacement) + c.text);
  }
}

void NumberSeeds() {
  struct Case {
    const char* name;
    std::string text;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"Plain", "580"},
           {"LeadingWhiteSpace", "\t\r\n\v\f 7"},
           {"Negative", "-10"},
           {"Fraction", "12.5"},
           {"Unit", "580px"},
           {"FullWidthDigits", Utf8ToGbk("５８０")},
           {"FullWidthMinus", Utf8ToGbk("－１０")},
           {"IdeographicSpace", Utf8ToGbk("　５")},
           {"PointFirst", ".5"},
           {"SecondPointEnds", "1.2.3"},
           {"DExponent", "1d2"},
           {"SignedExponent", "25e-1"},
           {"ExponentSignWithoutDigits", "3e+"},
           {"Hex", "0x10"},
           {"LoneLeadByteAtEnd", "7\xA3"},
           {"Overflow", "1e400"},
           {"Underflow", "1e-400"},
           {"ZeroWithHugeExponent", "0e999999"},
           {"LongIntegerWithNegativeExponentOverflows", "1" + std::string(400, '0') + "e-50"},
           {"LongFractionWithPositiveExponentUnderflows",
            "0." + std::string(400, '0') + "1e+50"}}) {
    Write("number_fuzzer", c.name, c.text);
  }
  // FormatNumber reads the first eight bytes as a double.
  for (const auto& [name, number] :
       std::initializer_list<std::pair<const char*, double>>{{"Format580", 580},
                                                             {"Format592.5", 592.5},
                                                             {"FormatPointThree", 0.1 + 0.2},
                                                             {"Format1e13", 1e13},
                                                             {"Format1e-5", 0.00001},
                                                             {"FormatRounded", 12345678901234567.0},
                                                             {"FormatTiny", 4.9e-324},
                                                             {"FormatNegative", -0.5}}) {
    std::string bytes(sizeof number, '\0');
    std::memcpy(bytes.data(), &number, sizeof number);
    Write("number_fuzzer", name, bytes);
  }
}

void ConvertSeeds() {
  struct Case {
    const char* name;
    int area;
    const char* spacing;
    const char* height;
    const char* offset;
    const char* areaTemplate;
    const char* code;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"FirstHeightCorrectedNextFourVerbatim", 0, "-10", "580", "",
            "A高度B高度C高度D高度E高度F高度G", ""},
           {"OnlyFirstSpacing", 0, "-10", "580", "", "[间距][间距]", ""},
           {"FullWidthHeight", 1, "0", "５８０", "", "高度|高度", ""},
           {"CodeIsNeverSearched", 0, "0", "580", "-200", "[582064937]", "x高度y582064937z"},
           {"HugeSum", 0, "1e13", "0", "", "高度", ""},
           {"Offset", 0, "0", "580", "-200", "left:偏移量px", ""},
           {"InsertedSpacingFilledLater", 0, "高度", "580", "", "间距|高度|高度", ""},
           {"OffsetCanTakeTheCode", 0, "0", "1", "582064937", "偏移量582064937", "C"},
           {"OtherArea", 2, "0", "580", "-200", "582064937", "code"}}) {
    Write("convert_code_fuzzer", c.name,
          Byte(c.area) + Short(Utf8ToGbk(c.spacing)) + Short(Utf8ToGbk(c.height)) +
              Short(Utf8ToGbk(c.offset)) + Long(Utf8ToGbk(c.areaTemplate)) + Utf8ToGbk(c.code));
  }
}

void GbkSeeds() {
  struct Case {
    const char* name;
    std::string bytes;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"Chinese", "\xB8\xDF\xB6\xC8"},
           {"EuroSingleByte", "\x80"},
           {"UserDefinedArea", "\xAA\xA1"},
           {"ByteFF",
            "a\xFF"
            "b"},
           {"TruncatedLead", "a\xB8"},
           {"LeadBefore7F", "\xB8\x7F"},
           {"LongMixed", std::string(40, 'a') + "\xB8\xDF" + std::string(20, 'b') + "\x80\xFF"}}) {
    Write("gbk_fuzzer", c.name, c.bytes);
  }
  // As UTF-16 code units, little-endian.
  for (const auto& [name, text] :
       std::initializer_list<std::pair<const char*, std::u16string>>{{"Utf16CheckMark", u"a✓b"},
                                                                     {"Utf16Emoji", u"😀"},
                                                                     {"Utf16LoneSurrogate",
                                                                      u"a\xD83D"
                                                                      "b"},
                                                                     {"Utf16Cyrillic", u"Ж高度"}}) {
    std::string bytes;
    for (char16_t unit : text) {
      bytes += Word(unit);
    }
    Write("gbk_fuzzer", name, bytes);
  }
}

void HeightSeeds() {
  struct Case {
    const char* name;
    const char* code;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"Colon", "height:580px"},
           {"ColonOneSpace", "height: 580px"},
           {"ColonTwoSpaces", "height:  580px"},
           {"ColonEquals", "height:=580"},
           {"EqualsColon", "height=:580"},
           {"Capitals", "HEIGHT:580"},
           {"LineHeight", "line-height:24px"},
           {"FiveDigits", "height:12345"},
           {"LeadingZero", "height:0580"},
           {"QuotedAttribute", "<td height=\"500\">"},
           {"FullWidthSpace", "height:　580"},
           {"AfterChinese", "高度height:580"},
           {"SecondByteLooksLikeH", "\x81height:580"},
           {"Adjacent", "height:58height:600"},
           {"TieKeepsEarlier", "height:580px height:0580px"},
           {"EleventhIgnored",
            "height:10 height:20 height:30 height:40 height:50 height:60 height:70 height:80 "
            "height:90 height:99 height:9999"}}) {
    Write("height_fuzzer", c.name, Utf8ToGbk(c.code));
  }
}

void RegexSeeds() {
  struct Case {
    const char* name;
    int options;  // pairs of bits: given, value (case, multiline, global, quote token)
    const char* pattern;
    const char* replacement;
    const char* subject;
  };
  for (const Case& c :
       std::initializer_list<Case>{{"HeightPattern", 0, "height:?=?\\s?(\\d{2,4})", "[$1]",
                                    "<div style=\"height:580px\"><p style=\"line-height:24px\">"},
                                   {"CaseSensitiveTrue", 0x3, "height", "$&", "HEIGHT height"},
                                   {"GlobalFalseFindsOne", 0x10, "a", "b", "aaa"},
                                   {"MultilineFalse", 0x4, "^b", "", "a\nb"},
                                   {"QuoteTokenOn", 0xC0, "=#引号(\\d+)", "$1", "=\"12\""},
                                   {"InvalidPattern", 0, "(a", "", "aaa"},
                                   {"OptionalGroupAbsent", 0, "a(b)?(?:c)?(d)?", "$2", "a"},
                                   {"EmptyMatchesStepOn", 0, "x*", "-", "ab"},
                                   {"PositionAfterChinese", 0, "b", "", "中ab"},
                                   {"Backreference", 0, "(\\w+)\\s\\1", "$`$'", "the the end"},
                                   {"Classes", 0, "[^\\s\\d]+|\\bx\\B", "$$", "a1 b2 xx　３é"}}) {
    const std::string pattern = Utf8ToGbk(c.pattern);
    Write("regex_object_fuzzer", c.name,
          Byte(c.options) + Byte(static_cast<int>(pattern.size())) + pattern +
              Short(Utf8ToGbk(c.replacement)) + Utf8ToGbk(c.subject));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
    return 2;
  }
  root = argv[1];
  SubstituteSeeds();
  NumberSeeds();
  ConvertSeeds();
  GbkSeeds();
  HeightSeeds();
  RegexSeeds();
  return 0;
}
