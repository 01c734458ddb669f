// The GBK codec. Decoding any bytes gives what decoding it character by
// character gives. Encoding valid UTF-16 and decoding the result gives the
// same text, each character that GBK cannot hold standing as its reference.
#include <string>

#include "fuzz_input.hpp"
#include "platform/gbk.hpp"

namespace {

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// One character at a time: every piece is short.
std::u16string DecodePieces(std::string_view gbk) {
  std::u16string out;
  for (size_t i = 0; i < gbk.size();) {
    const auto lead = static_cast<unsigned char>(gbk[i]);
    const bool pair = lead >= 0x81 && lead <= 0xFE && i + 1 < gbk.size() &&
                      static_cast<unsigned char>(gbk[i + 1]) >= 0x40 &&
                      static_cast<unsigned char>(gbk[i + 1]) <= 0xFE &&
                      static_cast<unsigned char>(gbk[i + 1]) != 0x7F;
    const size_t length = pair ? 2 : 1;
    out += zarvo::GbkToUtf16(gbk.substr(i, length));
    i += length;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string decoded = zarvo::GbkToUtf16(bytes);
  ZARVO_FUZZ_CHECK(decoded.size() <= bytes.size());
  ZARVO_FUZZ_CHECK(decoded == DecodePieces(bytes));

  // The same bytes as UTF-16 code units, lone surrogates dropped.
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (IsHighSurrogate(unit) && i + 3 < size) {
      const auto next = static_cast<char16_t>(data[i + 2] | data[i + 3] << 8);
      if (IsLowSurrogate(next)) {
        text += unit;
        text += next;
        i += 2;
      }
      continue;
    }
    if (!IsHighSurrogate(unit) && !IsLowSurrogate(unit)) {
      text += unit;
    }
  }

  std::u16string expected;
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t length = IsHighSurrogate(text[i]) ? 2 : 1;
    const std::u16string_view character(text.data() + i, length);
    const std::string encoded = zarvo::Utf16ToGbk(character);
    if (encoded.size() > 2 && encoded.starts_with("&#")) {
      const uint32_t codePoint =
          length == 2 ? 0x10000 + ((character[0] - 0xD800u) << 10) + (character[1] - 0xDC00u)
                      : character[0];
      ZARVO_FUZZ_CHECK(encoded == "&#" + std::to_string(codePoint) + ";");
      expected += zarvo::Utf8ToUtf16(encoded);
    } else {
      ZARVO_FUZZ_CHECK(zarvo::GbkToUtf16(encoded) == character);
      expected += character;
    }
    i += length - 1;
  }
  ZARVO_FUZZ_CHECK(zarvo::GbkToUtf16(zarvo::Utf16ToGbk(text)) == expected);
  return 0;
}
