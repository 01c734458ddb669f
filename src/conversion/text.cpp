#include "conversion/text.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

namespace zarvo {
namespace {

constexpr bool IsHighByte(unsigned char byte) { return byte >= 0x80; }

constexpr unsigned char FoldAsciiCase(unsigned char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

bool MatchesAt(std::string_view text, size_t pos, std::string_view search, bool matchCase) {
  if (matchCase) {
    return std::memcmp(text.data() + pos, search.data(), search.size()) == 0;
  }
  for (size_t i = 0; i < search.size(); ++i) {
    if (FoldAsciiCase(static_cast<unsigned char>(text[pos + i])) !=
        FoldAsciiCase(static_cast<unsigned char>(search[i]))) {
      return false;
    }
  }
  return true;
}

constexpr char OtherAsciiCase(char c) {
  if (c >= 'A' && c <= 'Z') {
    return static_cast<char>(c + ('a' - 'A'));
  }
  if (c >= 'a' && c <= 'z') {
    return static_cast<char>(c - ('a' - 'A'));
  }
  return c;
}

// Finds the next byte at or after `from` that may begin a match: the first byte
// of `search`, in either case when case is ignored. The positions asked for
// never go back, so the next occurrence of each case is searched for only once
// the scan has passed it: two memchr scans over the text in all, however often
// the two cases alternate.
class CandidateFinder {
 public:
  CandidateFinder(std::string_view text, size_t from, char first, char otherCase)
      : text_(text), first_(first), other_(otherCase) {
    nextFirst_ = text_.find(first_, from);
    nextOther_ = first_ == other_ ? std::string_view::npos : text_.find(other_, from);
  }

  size_t Next(size_t from) {
    if (nextFirst_ != std::string_view::npos && nextFirst_ < from) {
      nextFirst_ = text_.find(first_, from);
    }
    if (nextOther_ != std::string_view::npos && nextOther_ < from) {
      nextOther_ = text_.find(other_, from);
    }
    return std::min(nextFirst_, nextOther_);
  }

 private:
  std::string_view text_;
  char first_;
  char other_;
  size_t nextFirst_;
  size_t nextOther_;
};

// Tracks where characters begin while the scan jumps ahead to candidates.
// `known_` is always a character boundary. Any byte below 0x80 ends a character
// (it is either a single-byte character or the second byte of a pair), so the
// position after it is a boundary; from there on, bytes of 0x80 and above pair
// up. A candidate is a boundary when the run of high bytes before it, counted
// from the last boundary known for certain, has even length.
class BoundaryTracker {
 public:
  BoundaryTracker(std::string_view text, size_t start) : text_(text), known_(start) {}

  bool StartsCharacter(size_t pos) {
    size_t runStart = pos;
    while (runStart > known_ && IsHighByte(static_cast<unsigned char>(text_[runStart - 1]))) {
      --runStart;
    }
    const bool boundary = (pos - runStart) % 2 == 0;
    // Either pos begins a character, or it is the second byte of one and the
    // next byte begins the following character.
    known_ = boundary ? pos : pos + 1;
    return boundary;
  }

  void SetBoundary(size_t pos) { known_ = pos; }

 private:
  std::string_view text_;
  size_t known_;
};

}  // namespace

std::string SubstituteText(std::string_view text, std::string_view search,
                           std::string_view replacement, int start, int count, bool matchCase) {
  const size_t startIndex = start < 1 ? 0 : static_cast<size_t>(start) - 1;
  if (text.empty() || search.empty() || startIndex >= text.size() || count == 0) {
    return std::string(text);
  }

  const char first = search.front();
  const char otherCase = matchCase ? first : OtherAsciiCase(first);
  std::string result;
  result.reserve(text.size());

  BoundaryTracker boundaries(text, startIndex);
  CandidateFinder candidates(text, startIndex, first, otherCase);
  size_t copiedUpTo = 0;  // bytes of `text` already in `result`
  size_t scan = startIndex;
  int replaced = 0;
  while (scan + search.size() <= text.size()) {
    const size_t candidate = candidates.Next(scan);
    if (candidate == std::string_view::npos || candidate + search.size() > text.size()) {
      break;
    }
    if (!boundaries.StartsCharacter(candidate) || !MatchesAt(text, candidate, search, matchCase)) {
      scan = candidate + 1;
      continue;
    }
    // Room for everything up to here and the rest of the text, so that one
    // large replacement (the code set into a template) costs one allocation;
    // growth stays geometric when many replacements follow.
    const size_t needed = result.size() + (candidate - copiedUpTo) + replacement.size() +
                          (text.size() - candidate - search.size());
    if (needed > result.capacity()) {
      result.reserve(std::max(needed, 2 * result.capacity()));
    }
    result.append(text.substr(copiedUpTo, candidate - copiedUpTo));
    result.append(replacement);
    scan = copiedUpTo = candidate + search.size();
    boundaries.SetBoundary(scan);
    if (++replaced == count) {
      break;
    }
  }
  result.append(text.substr(copiedUpTo));
  return result;
}

namespace {

// Full-width signs, digits and letters (and a few look-alikes) become their
// ASCII counterparts, so that a height typed with a Chinese input method reads
// the same as one typed in ASCII.
std::string FoldFullWidth(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (!IsHighByte(lead)) {
      folded.push_back(static_cast<char>(lead));
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) {
      break;  // a lone lead byte at the end ends the text
    }
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      folded.push_back(static_cast<char>(trail - 0x80));
    } else if (lead == 0xA1 && trail == 0xA1) {
      folded.push_back(' ');
    } else if (lead == 0xA1 && trail == 0xAB) {
      folded.push_back('~');
    } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
      folded.push_back('*');
    } else {
      folded.push_back(static_cast<char>(lead));
      folded.push_back(static_cast<char>(trail));
    }
    i += 2;
  }
  return folded;
}

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The power of ten of the first significant digit of a number collected by
// ReadNumber (digits with at most one point, then optionally "e", a sign and
// digits), saturated far beyond the range of a double. A mantissa of zeros is
// zero at any exponent: it counts as the lowest power.
long long DecimalExponent(std::string_view number) {
  constexpr long long kFar = 1'000'000'000'000'000;
  const size_t e = number.find('e');
  const std::string_view mantissa = number.substr(0, e);
  const size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) {
    return -kFar;
  }
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const long long magnitude = first < point ? static_cast<long long>(point - first) - 1
                                            : -static_cast<long long>(first - point);
  long long exponent = 0;
  if (e != std::string_view::npos) {
    size_t i = e + 1;
    const bool negative = i < number.size() && number[i] == '-';
    if (i < number.size() && (number[i] == '-' || number[i] == '+')) {
      ++i;
    }
    for (; i < number.size(); ++i) {
      exponent = std::min(exponent * 10 + (number[i] - '0'), kFar);
    }
    exponent = negative ? -exponent : exponent;
  }
  return magnitude + exponent;
}

}  // namespace

double ReadNumber(std::string_view text) {
  const std::string folded = FoldFullWidth(text);
  std::string_view s = folded;
  size_t i = 0;
  while (i < s.size() && IsSpace(s[i])) {
    ++i;
  }

  // Collect the number in the form std::from_chars reads: sign, mantissa,
  // "e", exponent. from_chars ignores the locale, unlike strtod.
  std::string number;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  bool sawDigit = false;
  bool sawPoint = false;
  for (; i < s.size(); ++i) {
    if (IsDigit(s[i])) {
      sawDigit = true;
      number.push_back(s[i]);
    } else if (s[i] == '.' && !sawPoint) {
      sawPoint = true;
      number.push_back('.');
    } else {
      break;
    }
  }
  if (!sawDigit) {
    return 0.0;
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      exponent.push_back(s[j]);
      ++j;
    }
    if (j < s.size() && IsDigit(s[j])) {
      while (j < s.size() && IsDigit(s[j])) {
        exponent.push_back(s[j]);
        ++j;
      }
      number += exponent;
    }
  }

  double value = 0.0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Too large or too small for a double: like strtod, give the infinity or
    // zero that the value tends to, by where its first significant digit
    // stands. The exponent alone does not tell: 1000...0e-5 can be too large
    // and 0.000...1e+5 too small.
    value = DecimalExponent(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  (void)end;
  return negative ? -value : value;
}

std::string FormatNumber(double number) {
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::general, 13);
  if (error != std::errc{}) {
    return {};
  }
  std::string text(buffer, end);
  // to_chars writes at least two exponent digits, as C99 does; the Windows C
  // runtime that the shop's users know writes three ("1e+013").
  const size_t e = text.find('e');
  if (e != std::string::npos) {
    const size_t digits = text.size() - (e + 2);
    if (digits < 3) {
      text.insert(e + 2, 3 - digits, '0');
    }
  }
  return text;
}

}  // namespace zarvo
