// Case folding beyond ASCII for the scripts GBK holds, and the ranges of the
// class escapes.
#include "height/regex/char_class.hpp"

namespace zarvo::regex {
namespace {

std::vector<Range> Complement(const std::vector<Range>& sorted) {
  std::vector<Range> out;
  unsigned next = 0;
  for (const Range& r : sorted) {
    if (r.first > next) {
      out.emplace_back(static_cast<char16_t>(next), static_cast<char16_t>(r.first - 1));
    }
    next = r.second + 1u;
  }
  if (next <= 0xFFFF) {
    out.emplace_back(static_cast<char16_t>(next), char16_t{0xFFFF});
  }
  return out;
}

}  // namespace

char16_t CanonicalBeyondAscii(char16_t c) {
  auto minus = [c](int d) { return static_cast<char16_t>(c - d); };
  if (c < 0x100) {
    if (c == 0xB5) {
      return 0x39C;  // micro sign to capital mu
    }
    if (c == 0xFF) {
      return 0x178;
    }
    if (c >= 0xE0 && c != 0xF7) {
      return minus(0x20);
    }
    return c;
  }
  if (c < 0x180) {
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
      return (c & 1) ? minus(1) : c;
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
      return (c & 1) ? c : minus(1);
    }
    return c;
  }
  if (c >= 0x1CD && c <= 0x1DC) {
    return (c & 1) ? c : minus(1);  // pinyin tone letters
  }
  if (c == 0x1F9) {
    return 0x1F8;
  }
  if (c >= 0x370 && c < 0x400) {
    if (c == 0x3C2) {
      return 0x3A3;  // final sigma
    }
    if ((c >= 0x3B1 && c <= 0x3C1) || (c >= 0x3C3 && c <= 0x3CB)) {
      return minus(0x20);
    }
    if (c == 0x3AC) {
      return 0x386;
    }
    if (c >= 0x3AD && c <= 0x3AF) {
      return minus(0x25);
    }
    if (c == 0x3CC) {
      return 0x38C;
    }
    if (c == 0x3CD || c == 0x3CE) {
      return minus(0x3F);
    }
    return c;
  }
  if (c >= 0x430 && c <= 0x44F) {
    return minus(0x20);
  }
  if (c >= 0x450 && c <= 0x45F) {
    return minus(0x50);
  }
  if (c >= 0xFF41 && c <= 0xFF5A) {
    return minus(0x20);
  }
  return c;
}

const std::vector<std::pair<char16_t, char16_t>>& CaseVariants() {
  static const std::vector<std::pair<char16_t, char16_t>> variants = [] {
    std::vector<std::pair<char16_t, char16_t>> v;  // (canonical, unit)
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
      const auto unit = static_cast<char16_t>(u);
      const char16_t canonical = Canonical(unit);
      if (canonical != unit) {
        v.emplace_back(canonical, unit);
      }
    }
    std::sort(v.begin(), v.end());
    return v;
  }();
  return variants;
}

void Normalise(std::vector<Range>& ranges) {
  std::sort(ranges.begin(), ranges.end());
  std::vector<Range> merged;
  for (const Range& r : ranges) {
    if (!merged.empty() && static_cast<unsigned>(r.first) <= merged.back().second + 1u) {
      merged.back().second = std::max(merged.back().second, r.second);
    } else {
      merged.push_back(r);
    }
  }
  ranges = std::move(merged);
}

std::vector<Range> ClassEscapeRanges(char16_t letter) {
  std::vector<Range> r;
  switch (letter | 0x20) {
    case u'd':
      r = {{u'0', u'9'}};
      break;
    case u's':
      r = {{u'\t', u'\r'}, {u' ', u' '}};  // tab, LF, VT, FF, CR and space
      break;
    default:
      r = {{u'0', u'9'}, {u'A', u'Z'}, {u'_', u'_'}, {u'a', u'z'}};
      break;
  }
  return (letter & 0x20) ? r : Complement(r);
}

}  // namespace zarvo::regex
