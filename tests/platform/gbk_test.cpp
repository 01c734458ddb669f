#include "platform/gbk.hpp"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace zarvo {
namespace {

struct DecodeCase {
  const char* name;
  std::string gbk;
  std::u16string utf16;
};

class GbkDecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(GbkDecodeTest, Decodes) { EXPECT_EQ(GbkToUtf16(GetParam().gbk), GetParam().utf16); }

INSTANTIATE_TEST_SUITE_P(Cases, GbkDecodeTest,
                         testing::Values(DecodeCase{"Ascii", "a<b>\r\n", u"a<b>\r\n"},
                                         DecodeCase{"NulKept", std::string("a\0b", 3),
                                                    std::u16string(u"a\0b", 3)},
                                         DecodeCase{"Chinese", "\xB8\xDF\xB6\xC8", u"高度"},
                                         DecodeCase{"EuroSingleByte", "\x80", u"€"},
                                         DecodeCase{"FullWidthDigit", "\xA3\xB5", u"５"},
                                         DecodeCase{"UserDefinedArea", "\xAA\xA1", u"\uE000"},
                                         DecodeCase{"ByteFF",
                                                    "a\xFF"
                                                    "b",
                                                    u"a\uFFFD"
                                                    "b"},
                                         DecodeCase{"TruncatedLead", "a\xB8", u"a\uFFFD"},
                                         DecodeCase{"LeadBeforeDigit",
                                                    "\xB8"
                                                    "0",
                                                    u"\uFFFD"
                                                    "0"},
                                         DecodeCase{"LeadBefore7F", "\xB8\x7F", u"\uFFFD\x7F"},
                                         DecodeCase{"LeadBeforeFF", "\xB8\xFF", u"\uFFFD\uFFFD"}),
                         [](const auto& info) { return info.param.name; });

struct EncodeCase {
  const char* name;
  std::u16string utf16;
  std::string gbk;
};

class GbkEncodeTest : public testing::TestWithParam<EncodeCase> {};

TEST_P(GbkEncodeTest, Encodes) { EXPECT_EQ(Utf16ToGbk(GetParam().utf16), GetParam().gbk); }

INSTANTIATE_TEST_SUITE_P(
    Cases, GbkEncodeTest,
    testing::Values(EncodeCase{"Ascii", u"a<b>\r\n", "a<b>\r\n"},
                    EncodeCase{"Chinese", u"高度", "\xB8\xDF\xB6\xC8"},
                    EncodeCase{"Euro", u"€", "\x80"},
                    EncodeCase{"CheckMarkBecomesReference", u"a✓b", "a&#10003;b"},
                    EncodeCase{"EmojiIsOneReference", u"😀", "&#128512;"},
                    EncodeCase{"LoneHighSurrogate",
                               u"a\xD83D"
                               "b",
                               "a&#65533;b"},
                    EncodeCase{"LoneLowSurrogateAtEnd", u"a\xDE00", "a&#65533;"},
                    EncodeCase{"Cyrillic", u"Ж", "\xA7\xA8"},
                    EncodeCase{"Arabic", u"ع", "&#1593;"}),
    [](const auto& info) { return info.param.name; });

TEST(GbkTableTest, EveryDoubleByteCharacterRoundTrips) {
  int mapped = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) {
        continue;
      }
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string text = GbkToUtf16(bytes);
      ASSERT_EQ(text.size(), 1u);
      ASSERT_NE(text[0], u'\uFFFD');
      EXPECT_EQ(Utf16ToGbk(text), bytes) << std::hex << lead << trail;
      ++mapped;
    }
  }
  EXPECT_EQ(mapped, 126 * 190);
}

// The table must agree with the platform's own conversion of code page 936.
TEST(GbkTableTest, AgreesWithPlatformConversion) {
#ifdef _WIN32
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      wchar_t wide[2] = {};
      const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes, 2, wide, 2);
      const std::u16string ours = GbkToUtf16(std::string_view(bytes, 2));
      if (n == 1) {
        ASSERT_EQ(ours, std::u16string(1, static_cast<char16_t>(wide[0])));
      }
    }
  }
#else
  // glibc knows every code that Windows does except the user-defined areas,
  // which Windows maps to the private use area.
  iconv_t cd = iconv_open("UTF-16LE", "CP936");
  // iconv reports failure with this very value.
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));  // NOLINT(performance-no-int-to-ptr)
  int compared = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char out[8] = {};
      char* inPtr = in;
      char* outPtr = out;
      size_t inLeft = 2;
      size_t outLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
          outLeft != sizeof out - 2) {
        continue;
      }
      const auto expected = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                                  static_cast<unsigned char>(out[1]) << 8);
      ASSERT_EQ(GbkToUtf16(std::string_view(in, 2)), std::u16string(1, expected))
          << std::hex << lead << " " << trail;
      ++compared;
    }
  }
  iconv_close(cd);
  EXPECT_GT(compared, 21000);
#endif
}

// Long texts go through the block-wise paths; each piece alone is short and
// goes character by character. Runs of every length put the characters at
// every offset of a block and across block ends.
TEST(GbkLongTextTest, ConvertsLikeItsPieces) {
  const std::string gbkPieces[] = {"\xB8\xDF", "\x80", "\xFF", "\xA3\xB5", "\xAA\xA1"};
  const std::u16string utf16Pieces[] = {u"高", u"€", u"✓", u"😀", u"\xD83D", u"Ж"};
  std::string gbk;
  std::u16string gbkDecoded;
  std::u16string utf16;
  std::string utf16Encoded;
  for (int i = 0; gbk.size() < 20000; ++i) {
    const std::string run(static_cast<size_t>(i % 41), static_cast<char>('a' + i % 26));
    const std::string& piece = gbkPieces[i % std::size(gbkPieces)];
    gbk += run + piece;
    gbkDecoded += GbkToUtf16(run) + GbkToUtf16(piece);

    const std::u16string run16(run.begin(), run.end());
    const std::u16string& piece16 = utf16Pieces[i % std::size(utf16Pieces)];
    utf16 += run16 + piece16 + u"x";  // the x keeps a lone surrogate alone
    utf16Encoded += Utf16ToGbk(run16) + Utf16ToGbk(piece16) + "x";
  }
  EXPECT_EQ(GbkToUtf16(gbk), gbkDecoded);
  EXPECT_EQ(Utf16ToGbk(utf16), utf16Encoded);
  EXPECT_EQ(Utf16ToGbk(GbkToUtf16(std::string(5000, 'q') + "\xB8\xDF")),
            std::string(5000, 'q') + "\xB8\xDF");
}

TEST(Utf8Test, RoundTripsAndReplacesInvalid) {
  EXPECT_EQ(Utf8ToUtf16("a中😀"), u"a中😀");
  EXPECT_EQ(Utf16ToUtf8(u"a中😀"), "a中😀");
  EXPECT_EQ(Utf8ToUtf16("a\xE4\xB8"), u"a\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD");  // overlong
  EXPECT_EQ(Utf8ToGbk("高度"), "\xB8\xDF\xB6\xC8");
  EXPECT_EQ(GbkToUtf8("\xB8\xDF\xB6\xC8"), "高度");
}

}  // namespace
}  // namespace zarvo
