#include "platform/gbk.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zarvo {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr char16_t kEuro = u'\u20AC';  // the single byte 0x80 in code page 936
constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLastLead = 0xFE;
constexpr unsigned kFirstTrail = 0x40;
constexpr unsigned kLastTrail = 0xFE;
constexpr size_t kLeadCount = kLastLead - kFirstLead + 1;
constexpr size_t kTrailCount = kLastTrail - kFirstTrail + 1;
constexpr size_t kDoubleByteCount = kLeadCount * kTrailCount;

// The double-byte characters, row by lead byte, column by trail byte.
constexpr std::array<uint16_t, kDoubleByteCount> kDoubleByte = {
#include "platform/gbk_table.inc"
};

constexpr bool IsLead(unsigned byte) { return byte >= kFirstLead && byte <= kLastLead; }
constexpr bool IsTrail(unsigned byte) {
  return byte >= kFirstTrail && byte <= kLastTrail && byte != 0x7F;
}

// Unicode code unit to GBK: 0 for none, a byte below 0x100 for a single byte,
// else lead << 8 | trail.
const std::array<uint16_t, 0x10000>& ReverseTable() {
  static const std::unique_ptr<std::array<uint16_t, 0x10000>> table = [] {
    auto reverse = std::make_unique<std::array<uint16_t, 0x10000>>();
    reverse->fill(0);
    for (unsigned i = 0; i < kDoubleByte.size(); ++i) {
      if (kDoubleByte[i] != 0) {
        const unsigned lead = kFirstLead + i / kTrailCount;
        const unsigned trail = kFirstTrail + i % kTrailCount;
        (*reverse)[kDoubleByte[i]] = static_cast<uint16_t>(lead << 8 | trail);
      }
    }
    (*reverse)[kEuro] = 0x80;
    return reverse;
  }();
  return *table;
}

// Both directions write into a block on the stack and append each full block
// to the result: the result is written once, without the zero fill of a resize
// and without the capacity check of a push_back per character. Runs of ASCII,
// most of any shop code, go sixteen bytes (eight code units) at a time where
// the processor has SSE2 (every x86-64 one).
constexpr size_t kBlock = 4096;
constexpr size_t kSlack = 16;  // a block may be overrun by one step: 16 units at most

// "&#" code point ";", at most 12 bytes.
char* WriteReference(char* dest, uint32_t codePoint) {
  *dest++ = '&';
  *dest++ = '#';
  dest = std::to_chars(dest, dest + 10, codePoint).ptr;
  *dest++ = ';';
  return dest;
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
  std::u16string out;
  out.reserve(gbk.size());
  char16_t block[kBlock + kSlack];
  const auto* bytes = reinterpret_cast<const unsigned char*>(gbk.data());
  const size_t size = gbk.size();
  size_t i = 0;
  while (i < size) {
    char16_t* dest = block;
    while (i < size && dest < block + kBlock) {
#if defined(__SSE2__)
      if (i + 16 <= size) {
        // Widen all sixteen bytes, keep those before the first byte of 0x80
        // or above.
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const auto high = static_cast<unsigned>(_mm_movemask_epi8(chunk));
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest), _mm_unpacklo_epi8(chunk, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + 8), _mm_unpackhi_epi8(chunk, zero));
        // A branch, not arithmetic, for the common whole chunk: then the next
        // load's address does not wait for this load's data.
        if (high == 0) {
          dest += 16;
          i += 16;
          continue;
        }
        if (const auto ascii = static_cast<size_t>(std::countr_zero(high)); ascii > 0) {
          dest += ascii;
          i += ascii;
          continue;
        }
      }
#endif
      const unsigned byte = bytes[i];
      if (byte < 0x80) {
        *dest++ = static_cast<char16_t>(byte);
        ++i;
      } else if (IsLead(byte) && i + 1 < size && IsTrail(bytes[i + 1])) {
        const char16_t unit =
            kDoubleByte[(byte - kFirstLead) * kTrailCount + bytes[i + 1] - kFirstTrail];
        *dest++ = unit != 0 ? unit : kReplacement;
        i += 2;
      } else {
        // 0x80 is the euro sign; anything else here is a lead byte without a
        // valid second byte (the byte after it is decoded on its own) or 0xFF.
        *dest++ = byte == 0x80 ? kEuro : kReplacement;
        ++i;
      }
    }
    out.append(block, static_cast<size_t>(dest - block));
  }
  return out;
}

std::string Utf16ToGbk(std::u16string_view text) {
  const auto& reverse = ReverseTable();
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  char block[kBlock + kSlack];
  const char16_t* units = text.data();
  const size_t size = text.size();
  size_t i = 0;
  while (i < size) {
    char* dest = block;
    while (i < size && dest < block + kBlock) {
#if defined(__SSE2__)
      if (i + 8 <= size) {
        // Narrow all eight code units, keep those before the first one of
        // 0x80 or above.
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
        const __m128i high = _mm_and_si128(chunk, _mm_set1_epi16(static_cast<short>(0xFF80)));
        const auto asciiBits =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dest), _mm_packus_epi16(chunk, chunk));
        // A branch, not arithmetic, for the common whole chunk: then the next
        // load's address does not wait for this load's data.
        if (asciiBits == 0xFFFF) {
          dest += 8;
          i += 8;
          continue;
        }
        if (const auto ascii = static_cast<size_t>(std::countr_one(asciiBits)) / 2; ascii > 0) {
          dest += ascii;
          i += ascii;
          continue;
        }
      }
#endif
      const char16_t unit = units[i++];
      if (unit < 0x80) {
        *dest++ = static_cast<char>(unit);
      } else if (unit >= 0xD800 && unit <= 0xDFFF) {
        if (unit <= 0xDBFF && i < size && units[i] >= 0xDC00 && units[i] <= 0xDFFF) {
          dest = WriteReference(dest, 0x10000 + ((unit - 0xD800u) << 10) + (units[i] - 0xDC00u));
          ++i;
        } else {
          dest = WriteReference(dest, kReplacement);
        }
      } else if (const uint16_t code = reverse[unit]; code == 0) {
        dest = WriteReference(dest, unit);
      } else if (code < 0x100) {
        *dest++ = static_cast<char>(code);
      } else {
        *dest++ = static_cast<char>(code >> 8);
        *dest++ = static_cast<char>(code & 0xFF);
      }
    }
    out.append(block, static_cast<size_t>(dest - block));
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  for (size_t i = 0; i < n;) {
    const unsigned b = s[i];
    uint32_t cp = 0;
    size_t len = 0;
    uint32_t min = 0;
    if (b < 0x80) {
      cp = b, len = 1;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F, len = 2, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F, len = 3, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07, len = 4, min = 0x10000;
    }
    bool valid = len != 0 && i + len <= n;
    for (size_t k = 1; valid && k < len; ++k) {
      valid = (s[i + k] & 0xC0) == 0x80;
      cp = cp << 6 | (s[i + k] & 0x3F);
    }
    valid = valid && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    if (!valid) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | cp >> 6));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | cp >> 12));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | cp >> 18));
      out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::string Utf8ToGbk(std::string_view utf8) { return Utf16ToGbk(Utf8ToUtf16(utf8)); }

std::string GbkToUtf8(std::string_view gbk) { return Utf16ToUtf8(GbkToUtf16(gbk)); }

}  // namespace zarvo
