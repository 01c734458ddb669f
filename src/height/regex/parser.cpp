// The parser of the pattern language: alternatives, terms and quantifiers,
// groups and lookaheads, escapes and classes.
#include "height/regex/parser.hpp"

#include <algorithm>
#include <utility>

namespace zarvo::regex {
namespace {

constexpr int kMaxNesting = 200;  // keeps the parser's recursion small

class Parser {
 public:
  Parser(std::u16string_view pattern, std::vector<Node>& nodes, std::vector<CharClass>& classes)
      : p_(pattern), nodes_(nodes), classes_(classes) {}

  // The root node, or nothing when the pattern is not valid.
  std::optional<int> Parse() {
    totalGroups_ = CountGroups();
    const int root = Disjunction(0);
    if (!ok_ || i_ != p_.size()) {
      return std::nullopt;
    }
    return root;
  }
  int Groups() const { return groups_; }

 private:
  bool AtEnd() const { return i_ >= p_.size(); }
  char16_t Peek(size_t ahead = 0) const { return i_ + ahead < p_.size() ? p_[i_ + ahead] : 0; }
  bool Has(size_t ahead) const { return i_ + ahead < p_.size(); }

  int Add(Node node) {
    nodes_.push_back(std::move(node));
    return static_cast<int>(nodes_.size() - 1);
  }
  int Fail() {
    ok_ = false;
    return 0;
  }

  // Capturing groups in the whole pattern, so that \N can tell a backreference
  // (N not above the count) from an octal escape.
  int CountGroups() const {
    int count = 0;
    bool inClass = false;
    for (size_t k = 0; k < p_.size(); ++k) {
      const char16_t c = p_[k];
      if (c == u'\\') {
        ++k;
      } else if (inClass) {
        inClass = c != u']';
      } else if (c == u'[') {
        inClass = true;
      } else if (c == u'(' && (k + 1 >= p_.size() || p_[k + 1] != u'?')) {
        ++count;
      }
    }
    return count;
  }

  int Disjunction(int depth) {
    if (depth > kMaxNesting) {
      return Fail();
    }
    std::vector<int> alternatives{Alternative(depth)};
    while (ok_ && Peek() == u'|' && Has(0)) {
      ++i_;
      alternatives.push_back(Alternative(depth));
    }
    if (alternatives.size() == 1) {
      return alternatives[0];
    }
    Node node{.kind = Kind::Alternation};
    node.children = std::move(alternatives);
    return Add(std::move(node));
  }

  int Alternative(int depth) {
    Node node{.kind = Kind::Concat};
    while (ok_ && !AtEnd() && Peek() != u'|' && Peek() != u')') {
      node.children.push_back(Term(depth));
    }
    return Add(std::move(node));
  }

  int Term(int depth) {
    const int groupsBefore = groups_;
    bool assertion = false;
    const int atom = Atom(depth, assertion);
    if (!ok_) {
      return 0;
    }
    int min = 0;
    int max = 0;
    if (!Quantifier(min, max)) {
      return atom;
    }
    if (assertion) {
      return Fail();  // nothing to repeat
    }
    bool greedy = true;
    if (Peek() == u'?' && Has(0)) {
      greedy = false;
      ++i_;
    }
    Node node{.kind = Kind::Repeat,
              .min = min,
              .max = max,
              .greedy = greedy,
              .firstGroup = groupsBefore + 1,
              .endGroup = groups_ + 1};
    node.children = {atom};
    return Add(std::move(node));
  }

  // Reads a quantifier at the current place, if there is one.
  bool Quantifier(int& min, int& max) {
    if (AtEnd()) {
      return false;
    }
    switch (Peek()) {
      case u'*':
        ++i_;
        min = 0;
        max = kInfinite;
        return true;
      case u'+':
        ++i_;
        min = 1;
        max = kInfinite;
        return true;
      case u'?':
        ++i_;
        min = 0;
        max = 1;
        return true;
      case u'{': {
        const size_t save = i_;
        if (Braces(min, max)) {
          if (min > max) {
            Fail();
          }
          return true;
        }
        i_ = save;
        return false;
      }
      default:
        return false;
    }
  }

  // {n}, {n,} or {n,m}; false, consuming nothing of note, when the brace
  // does not open one (it is then a literal brace).
  bool Braces(int& min, int& max) {
    ++i_;
    if (!ReadNumber(min)) {
      return false;
    }
    max = min;
    if (Peek() == u',' && Has(0)) {
      ++i_;
      max = kInfinite;
      if (Has(0) && Peek() >= u'0' && Peek() <= u'9') {
        ReadNumber(max);
      }
    }
    if (Peek() != u'}' || !Has(0)) {
      return false;
    }
    ++i_;
    return true;
  }

  bool ReadNumber(int& value) {
    if (!Has(0) || Peek() < u'0' || Peek() > u'9') {
      return false;
    }
    long long v = 0;
    while (Has(0) && Peek() >= u'0' && Peek() <= u'9') {
      v = std::min<long long>(v * 10 + (Peek() - u'0'), kInfinite);
      ++i_;
    }
    value = static_cast<int>(v);
    return true;
  }

  int Atom(int depth, bool& assertion) {
    const char16_t c = Peek();
    switch (c) {
      case u'^':
        ++i_;
        assertion = true;
        return Add({.kind = Kind::Bol});
      case u'$':
        ++i_;
        assertion = true;
        return Add({.kind = Kind::Eol});
      case u'.':
        ++i_;
        return Add({.kind = Kind::Any});
      case u'*':
      case u'+':
      case u'?':
        return Fail();  // nothing to repeat
      case u'{': {
        int min = 0;
        int max = 0;
        const size_t save = i_;
        if (Braces(min, max)) {
          return Fail();
        }
        i_ = save + 1;
        return Add({.kind = Kind::Char, .value = c});
      }
      case u'(':
        return Parenthesis(depth);
      case u'[':
        return Class();
      case u'\\':
        return Escape(assertion);
      default:
        ++i_;
        return Add({.kind = Kind::Char, .value = c});
    }
  }

  int Parenthesis(int depth) {
    ++i_;
    Node node{.kind = Kind::Group};
    if (Peek() == u'?' && Has(0)) {
      const char16_t kind = Peek(1);
      if (kind == u':') {
        node.kind = Kind::Concat;
      } else if (kind == u'=' || kind == u'!') {
        node.kind = Kind::Look;
        node.value = kind == u'!';
      } else {
        return Fail();
      }
      i_ += 2;
    } else {
      node.value = ++groups_;
    }
    node.children = {Disjunction(depth + 1)};
    if (!ok_ || AtEnd() || Peek() != u')') {
      return Fail();
    }
    ++i_;
    return Add(std::move(node));
  }

  int Escape(bool& assertion) {
    ++i_;
    if (AtEnd()) {
      return Fail();  // a lone backslash at the end
    }
    const char16_t c = Peek();
    switch (c) {
      case u'b':
        ++i_;
        assertion = true;
        return Add({.kind = Kind::WordBoundary});
      case u'B':
        ++i_;
        assertion = true;
        return Add({.kind = Kind::NotWordBoundary});
      case u'd':
      case u'D':
      case u's':
      case u'S':
      case u'w':
      case u'W': {
        ++i_;
        CharClass cls;
        cls.ranges = ClassEscapeRanges(c);
        return AddClass(std::move(cls));
      }
      default:
        break;
    }
    if (c >= u'1' && c <= u'9') {
      // \12 is group 12 when there are twelve groups, else group 1 and a 2
      // when there is one; without such a group it is an octal escape.
      const size_t save = i_;
      int number = 0;
      ReadNumber(number);
      if (number <= totalGroups_) {
        return Add({.kind = Kind::Backref, .value = number});
      }
      if (c - u'0' <= totalGroups_) {
        i_ = save + 1;
        return Add({.kind = Kind::Backref, .value = c - u'0'});
      }
      i_ = save;
    }
    return Add({.kind = Kind::Char, .value = CharacterEscape(false)});
  }

  // The escaped character at the current place (after the backslash); \b is
  // a backspace inside a class.
  char16_t CharacterEscape(bool inClass) {
    const char16_t c = Peek();
    ++i_;
    switch (c) {
      case u'f':
        return u'\f';
      case u'n':
        return u'\n';
      case u'r':
        return u'\r';
      case u't':
        return u'\t';
      case u'v':
        return u'\v';
      case u'b':
        return inClass ? u'\b' : c;
      case u'c': {
        const char16_t letter = Peek();
        if (Has(0) && ((letter >= u'a' && letter <= u'z') || (letter >= u'A' && letter <= u'Z'))) {
          ++i_;
          return static_cast<char16_t>(letter % 32);
        }
        --i_;  // "\c" without a letter is a backslash; the c follows on its own
        return u'\\';
      }
      case u'x':
        return Hex(2, c);
      case u'u':
        return Hex(4, c);
      default:
        break;
    }
    if (c >= u'0' && c <= u'7') {  // octal, at most three digits and 0377
      unsigned value = c - u'0';
      for (int k = 0; k < 2 && Has(0) && Peek() >= u'0' && Peek() <= u'7'; ++k) {
        const unsigned next = value * 8 + (Peek() - u'0');
        if (next > 0377) {
          break;
        }
        value = next;
        ++i_;
      }
      return static_cast<char16_t>(value);
    }
    return c;  // any other character stands for itself
  }

  // \xHH or \uHHHH; without exactly that many hex digits, the letter itself.
  char16_t Hex(int digits, char16_t letter) {
    unsigned value = 0;
    for (int k = 0; k < digits; ++k) {
      const char16_t d = Peek(static_cast<size_t>(k));
      int v = -1;
      if (d >= u'0' && d <= u'9') {
        v = d - u'0';
      }
      if (d >= u'a' && d <= u'f') {
        v = d - u'a' + 10;
      }
      if (d >= u'A' && d <= u'F') {
        v = d - u'A' + 10;
      }
      if (v < 0 || !Has(static_cast<size_t>(k))) {
        return letter;
      }
      value = value * 16 + static_cast<unsigned>(v);
    }
    i_ += static_cast<size_t>(digits);
    return static_cast<char16_t>(value);
  }

  int AddClass(CharClass cls) {
    Normalise(cls.ranges);
    classes_.push_back(std::move(cls));
    return Add({.kind = Kind::Class, .value = static_cast<int>(classes_.size() - 1)});
  }

  // One member of a class: a character (returned) or a class escape (its
  // ranges added to `escape`, nothing returned).
  std::optional<char16_t> ClassAtom(std::vector<Range>& escape) {
    const char16_t c = Peek();
    ++i_;
    if (c != u'\\') {
      return c;
    }
    if (AtEnd()) {
      Fail();
      return std::nullopt;
    }
    const char16_t e = Peek();
    if (e == u'd' || e == u'D' || e == u's' || e == u'S' || e == u'w' || e == u'W') {
      ++i_;
      std::vector<Range> r = ClassEscapeRanges(e);
      escape.insert(escape.end(), r.begin(), r.end());
      return std::nullopt;
    }
    return CharacterEscape(true);
  }

  int Class() {
    ++i_;
    CharClass cls;
    if (Peek() == u'^' && Has(0)) {
      cls.negated = true;
      ++i_;
    }
    while (ok_) {
      if (AtEnd()) {
        return Fail();  // unclosed class
      }
      if (Peek() == u']') {
        break;
      }
      const std::optional<char16_t> low = ClassAtom(cls.ranges);
      if (!ok_) {
        return 0;
      }
      if (Peek() == u'-' && Has(1) && Peek(1) != u']') {
        ++i_;
        const std::optional<char16_t> high = ClassAtom(cls.ranges);
        if (!ok_) {
          return 0;
        }
        if (low && high) {
          if (*low > *high) {
            return Fail();
          }
          cls.ranges.emplace_back(*low, *high);
          continue;
        }
        // A range with a class escape at one end: the dash is a dash.
        if (low) {
          cls.ranges.emplace_back(*low, *low);
        }
        if (high) {
          cls.ranges.emplace_back(*high, *high);
        }
        cls.ranges.emplace_back(u'-', u'-');
        continue;
      }
      if (low) {
        cls.ranges.emplace_back(*low, *low);
      }
    }
    ++i_;
    return AddClass(std::move(cls));
  }

  std::u16string_view p_;
  size_t i_ = 0;
  bool ok_ = true;
  int groups_ = 0;
  int totalGroups_ = 0;
  std::vector<Node>& nodes_;
  std::vector<CharClass>& classes_;
};

}  // namespace

std::optional<SyntaxTree> Parse(std::u16string_view pattern, std::vector<CharClass>& classes) {
  SyntaxTree tree;
  Parser parser(pattern, tree.nodes, classes);
  const std::optional<int> root = parser.Parse();
  if (!root) {
    return std::nullopt;
  }
  tree.root = *root;
  tree.groups = parser.Groups();
  return tree;
}

}  // namespace zarvo::regex
