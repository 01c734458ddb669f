// Characters as the engine sees them: line terminators, word characters, the
// case folding of a case-blind match, and character classes as sorted ranges.
#pragma once

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace zarvo::regex {

inline bool IsLineTerminator(char16_t c) {
  return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

inline bool IsWordChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_';
}

// Canonical below, for the units from U+0080 on.
char16_t CanonicalBeyondAscii(char16_t c);

// The upper case form a case-blind comparison compares. A letter whose upper
// case form is ASCII while it is not (dotless i, long s) keeps its own form,
// so that no foreign letter matches an ASCII one.
inline char16_t Canonical(char16_t c) {
  if (c < 0x80) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  }
  return CanonicalBeyondAscii(c);
}

// Every unit whose canonical form is not itself, sorted by that form: the
// other members of a unit's case class.
const std::vector<std::pair<char16_t, char16_t>>& CaseVariants();

using Range = std::pair<char16_t, char16_t>;

struct CharClass {
  std::vector<Range> ranges;  // sorted, merged
  bool negated = false;

  bool ContainsExactly(char16_t c) const {
    auto it = std::upper_bound(ranges.begin(), ranges.end(), c,
                               [](char16_t v, const Range& r) { return v < r.first; });
    return it != ranges.begin() && c <= std::prev(it)->second;
  }
  bool Contains(char16_t c, bool ignoreCase) const {
    bool in = ContainsExactly(c);
    if (!in && ignoreCase) {
      const char16_t canonical = Canonical(c);
      in = ContainsExactly(canonical);
      const auto& variants = CaseVariants();
      auto it = std::lower_bound(variants.begin(), variants.end(),
                                 std::make_pair(canonical, char16_t{0}));
      for (; !in && it != variants.end() && it->first == canonical; ++it) {
        in = ContainsExactly(it->second);
      }
    }
    return in != negated;
  }
};

// Sorts the ranges and merges those that touch or overlap.
void Normalise(std::vector<Range>& ranges);

// The ranges of \d, \s, \w (lower-case letter) and their complements (upper).
std::vector<Range> ClassEscapeRanges(char16_t letter);

}  // namespace zarvo::regex
