#include "height/regex_engine.hpp"

#include <algorithm>
#include <array>
#include <climits>
#include <new>
#include <optional>
#include <utility>

namespace zarvo::regex {
namespace {

// ---------------------------------------------------------------------------
// Characters

bool IsLineTerminator(char16_t c) { return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029; }

bool IsWordChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_';
}

// The upper case form a case-blind comparison compares. A letter whose upper
// case form is ASCII while it is not (dotless i, long s) keeps its own form,
// so that no foreign letter matches an ASCII one.
char16_t Canonical(char16_t c) {
  if (c < 0x80) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  }
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

// Every unit whose canonical form is not itself, sorted by that form: the
// other members of a unit's case class.
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

// The ranges of \d, \s, \w (lower-case letter) and their complements (upper).
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

// ---------------------------------------------------------------------------
// Syntax tree

enum class Kind : uint8_t {
  Empty,
  Char,
  Any,
  Class,
  Bol,
  Eol,
  WordBoundary,
  NotWordBoundary,
  Backref,
  Group,
  Look,
  Concat,
  Alternation,
  Repeat,
};

constexpr int kInfinite = INT_MAX;

struct Node {
  Kind kind = Kind::Empty;
  int value = 0;       // Char: unit; Class: index; Backref/Group: group; Look: negative
  int min = 0;         // Repeat
  int max = 0;         // Repeat
  bool greedy = true;  // Repeat
  int firstGroup = 0;  // Repeat: the groups inside, [firstGroup, endGroup)
  int endGroup = 0;
  std::vector<int> children = {};
};

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

// ---------------------------------------------------------------------------
// Program

enum class Op : uint8_t {
  Char,   // a: unit (canonical when ignoring case)
  Any,    // not a line terminator
  Class,  // a: class
  Bol,
  Eol,
  WordBoundary,
  NotWordBoundary,
  Split,       // go a, on failure b
  Jump,        // go a
  GroupOpen,   // a: group
  GroupClose,  // a: group
  Backref,     // a: group
  LoopInit,    // a: loop
  Loop,        // a: loop, b: min, c: max, d: exit; the body follows; flag: greedy
  IterStart,   // a: loop, b..c: groups to clear
  IterEnd,     // a: loop, b: min, c: max, d: loop head
  Star,        // b: min, c: max, flag: greedy; repeats the single-unit matcher that follows
  LookStart,   // a: where to go on after the lookahead, flag: negative
  LookEnd,
  Match,
};

struct Inst {
  Op op;
  bool flag = false;
  int a = 0;
  int b = 0;
  int c = 0;
  int d = 0;
};

}  // namespace

class Program {
 public:
  std::vector<Inst> code;
  std::vector<CharClass> classes;
  int groups = 0;
  int loops = 0;
  bool ignoreCase = false;
  bool multiline = false;
  std::vector<char16_t> firstUnits;  // when the pattern must begin with one unit: its case forms

  bool MatchesOne(const Inst& in, char16_t c) const {
    switch (in.op) {
      case Op::Char:
        return (ignoreCase ? Canonical(c) : c) == in.a;
      case Op::Any:
        return !IsLineTerminator(c);
      default:
        return classes[static_cast<size_t>(in.a)].Contains(c, ignoreCase);
    }
  }
};

namespace {

class Compiler {
 public:
  Compiler(const std::vector<Node>& nodes, Program& program) : nodes_(nodes), prog_(program) {}

  void Emit(int index) {
    const Node& n = nodes_[static_cast<size_t>(index)];
    switch (n.kind) {
      case Kind::Empty:
        break;
      case Kind::Char:
        Add({.op = Op::Char,
             .a = prog_.ignoreCase ? Canonical(static_cast<char16_t>(n.value)) : n.value});
        break;
      case Kind::Any:
        Add({.op = Op::Any});
        break;
      case Kind::Class:
        Add({.op = Op::Class, .a = n.value});
        break;
      case Kind::Bol:
        Add({.op = Op::Bol});
        break;
      case Kind::Eol:
        Add({.op = Op::Eol});
        break;
      case Kind::WordBoundary:
        Add({.op = Op::WordBoundary});
        break;
      case Kind::NotWordBoundary:
        Add({.op = Op::NotWordBoundary});
        break;
      case Kind::Backref:
        Add({.op = Op::Backref, .a = n.value});
        break;
      case Kind::Group:
        Add({.op = Op::GroupOpen, .a = n.value});
        Emit(n.children[0]);
        Add({.op = Op::GroupClose, .a = n.value});
        break;
      case Kind::Look: {
        const int start = Add({.op = Op::LookStart, .flag = n.value != 0});
        Emit(n.children[0]);
        Add({.op = Op::LookEnd});
        At(start).a = Here();
        break;
      }
      case Kind::Concat:
        for (int child : n.children) {
          Emit(child);
        }
        break;
      case Kind::Alternation: {
        std::vector<int> jumps;
        for (size_t k = 0; k < n.children.size(); ++k) {
          int split = -1;
          if (k + 1 < n.children.size()) {
            split = Add({.op = Op::Split});
          }
          if (split >= 0) {
            At(split).a = Here();
          }
          Emit(n.children[k]);
          if (k + 1 < n.children.size()) {
            jumps.push_back(Add({.op = Op::Jump}));
            At(split).b = Here();
          }
        }
        for (int j : jumps) {
          At(j).a = Here();
        }
        break;
      }
      case Kind::Repeat:
        EmitRepeat(n);
        break;
    }
  }

 private:
  void EmitRepeat(const Node& n) {
    if (n.max == 0) {
      return;  // x{0} matches the empty text, and its groups stay unset
    }
    const Node& child = nodes_[static_cast<size_t>(n.children[0])];
    if (child.kind == Kind::Char || child.kind == Kind::Any || child.kind == Kind::Class) {
      // One unit per round and no groups: backtracking needs only a count.
      Add({.op = Op::Star, .flag = n.greedy, .b = n.min, .c = n.max});
      Emit(n.children[0]);
      return;
    }
    const int loop = prog_.loops++;
    Add({.op = Op::LoopInit, .a = loop});
    const int head = Add({.op = Op::Loop, .flag = n.greedy, .a = loop, .b = n.min, .c = n.max});
    Add({.op = Op::IterStart, .a = loop, .b = n.firstGroup, .c = n.endGroup});
    Emit(n.children[0]);
    Add({.op = Op::IterEnd, .a = loop, .b = n.min, .c = n.max, .d = head});
    At(head).d = Here();
  }

  int Add(Inst in) {
    prog_.code.push_back(in);
    return Here() - 1;
  }
  int Here() const { return static_cast<int>(prog_.code.size()); }
  Inst& At(int pc) { return prog_.code[static_cast<size_t>(pc)]; }

  const std::vector<Node>& nodes_;
  Program& prog_;
};

// ---------------------------------------------------------------------------
// Matching

// Budgets of one search: a pattern that needs more is one that backtracks
// without end (say (a|aa)*c over a run of a), and the search then fails
// instead of holding the tool. Steps grow with the subject, so that a plain
// pattern can always scan a long text; the backtracking entries (16 bytes
// each) are capped at 128 MB.
constexpr long long kBaseSteps = 10'000'000;
constexpr long long kStepsPerUnit = 64;
constexpr size_t kEntryLimit = 8'000'000;

enum class EntryKind : uint8_t {
  Choice,          // a: pc, b: pos
  StarBack,        // a: pc after the star, b: fewest end, c: current end
  LazyBack,        // a: pc after the star, b: current end, c: rounds still allowed
  Barrier,         // a: pc after the lookahead, b: pos, c: negative
  RestoreOpen,     // a: group, b: old start
  RestoreCapture,  // a: group, b: old start, c: old end
  RestoreCount,    // a: loop, b: old count
  RestoreIter,     // a: loop, b: old start of the round
};

struct Entry {
  EntryKind kind;
  int a;
  int b;
  int c;
};

bool IsRestore(EntryKind k) { return k >= EntryKind::RestoreOpen; }

// The matcher's working memory, kept per thread from one search to the next:
// a run of many short searches then allocates nothing.
struct Scratch {
  std::vector<int> caps;
  std::vector<int> open;
  std::vector<int> counts;
  std::vector<int> iters;
  std::vector<Entry> stack;
  std::vector<size_t> looks;
};

class Matcher {
 public:
  Matcher(const Program& prog, std::u16string_view s, Scratch& scratch)
      : stepLimit_(kBaseSteps + kStepsPerUnit * static_cast<long long>(s.size())),
        prog_(prog),
        s_(s),
        n_(static_cast<int>(s.size())),
        caps_(scratch.caps),
        open_(scratch.open),
        counts_(scratch.counts),
        iters_(scratch.iters),
        stack_(scratch.stack),
        looks_(scratch.looks) {
    const size_t groups = static_cast<size_t>(prog.groups) + 1;
    caps_.assign(groups * 2, -1);
    open_.assign(groups, -1);
    counts_.assign(static_cast<size_t>(prog.loops), 0);
    iters_.assign(static_cast<size_t>(prog.loops), -1);
  }

  // Tries a match that starts at `start`; on Found the spans are in caps_.
  SearchResult TryAt(int start) {
    std::fill(caps_.begin(), caps_.end(), -1);
    stack_.clear();
    looks_.clear();
    int pc = 0;
    int pos = start;
    for (;;) {
      if (++steps_ > stepLimit_ || stack_.size() > kEntryLimit) {
        return SearchResult::Failed;
      }
      const Inst& in = prog_.code[static_cast<size_t>(pc)];
      bool ok = true;
      switch (in.op) {
        case Op::Char:
        case Op::Any:
        case Op::Class:
          ok = pos < n_ && prog_.MatchesOne(in, s_[static_cast<size_t>(pos)]);
          if (ok) {
            ++pos, ++pc;
          }
          break;
        case Op::Bol:
          ok = pos == 0 || (prog_.multiline && IsLineTerminator(s_[static_cast<size_t>(pos - 1)]));
          ++pc;
          break;
        case Op::Eol:
          ok = pos == n_ || (prog_.multiline && IsLineTerminator(s_[static_cast<size_t>(pos)]));
          ++pc;
          break;
        case Op::WordBoundary:
        case Op::NotWordBoundary: {
          const bool before = pos > 0 && IsWordChar(s_[static_cast<size_t>(pos - 1)]);
          const bool after = pos < n_ && IsWordChar(s_[static_cast<size_t>(pos)]);
          ok = (before != after) == (in.op == Op::WordBoundary);
          ++pc;
          break;
        }
        case Op::Split:
          Push({EntryKind::Choice, in.b, pos, 0});
          pc = in.a;
          break;
        case Op::Jump:
          pc = in.a;
          break;
        case Op::GroupOpen:
          Push({EntryKind::RestoreOpen, in.a, Open(in.a), 0});
          Open(in.a) = pos;
          ++pc;
          break;
        case Op::GroupClose:
          SetCapture(in.a, Open(in.a), pos);
          ++pc;
          break;
        case Op::Backref:
          ok = Backref(in.a, pos);
          ++pc;
          break;
        case Op::LoopInit:
          Push({EntryKind::RestoreCount, in.a, Count(in.a), 0});
          Count(in.a) = 0;
          ++pc;
          break;
        case Op::Loop: {
          const int count = Count(in.a);
          if (count < in.b) {
            ++pc;
          } else if (count >= in.c) {
            pc = in.d;
          } else if (in.flag) {
            Push({EntryKind::Choice, in.d, pos, 0});
            ++pc;
          } else {
            Push({EntryKind::Choice, pc + 1, pos, 0});
            pc = in.d;
          }
          break;
        }
        case Op::IterStart:
          Push({EntryKind::RestoreIter, in.a, Iter(in.a), 0});
          Iter(in.a) = pos;
          for (int g = in.b; g < in.c; ++g) {
            SetCapture(g, -1, -1);
          }
          ++pc;
          break;
        case Op::IterEnd: {
          const int count = Count(in.a);
          // A round past the required ones that consumed nothing ends the
          // repetition as a failure, so that x** cannot loop for ever.
          if (count >= in.b && pos == Iter(in.a)) {
            ok = false;
            break;
          }
          if (count < in.b || in.c != kInfinite) {
            Push({EntryKind::RestoreCount, in.a, count, 0});
            Count(in.a) = count + 1;
          }
          pc = in.d;
          break;
        }
        case Op::Star:
          ok = Star(in, pc, pos);
          break;
        case Op::LookStart:
          looks_.push_back(stack_.size());
          Push({EntryKind::Barrier, in.a, pos, in.flag ? 1 : 0});
          ++pc;
          break;
        case Op::LookEnd: {
          const size_t barrier = looks_.back();
          looks_.pop_back();
          const Entry b = stack_[barrier];
          if (b.c == 0) {
            // Found: no way back into the lookahead, but the groups it set
            // are undone when matching backtracks over it.
            size_t w = barrier;
            for (size_t r = barrier + 1; r < stack_.size(); ++r) {
              if (IsRestore(stack_[r].kind)) {
                stack_[w++] = stack_[r];
              }
            }
            stack_.resize(w);
            pc = b.a;
            pos = b.b;
          } else {
            Unwind(barrier);
            stack_.pop_back();  // the barrier
            ok = false;
          }
          break;
        }
        case Op::Match:
          caps_[0] = start;
          caps_[1] = pos;
          return SearchResult::Found;
      }
      if (!ok && !Backtrack(pc, pos)) {
        return SearchResult::NotFound;
      }
    }
  }

  const std::vector<int>& Spans() const { return caps_; }

 private:
  int& Open(int g) { return open_[static_cast<size_t>(g)]; }
  int& Count(int l) { return counts_[static_cast<size_t>(l)]; }
  int& Iter(int l) { return iters_[static_cast<size_t>(l)]; }
  void Push(Entry e) { stack_.push_back(e); }

  void SetCapture(int g, int start, int end) {
    int& s = caps_[static_cast<size_t>(g) * 2];
    int& e = caps_[static_cast<size_t>(g) * 2 + 1];
    if (s == start && e == end) {
      return;
    }
    Push({EntryKind::RestoreCapture, g, s, e});
    s = start;
    e = end;
  }

  bool Backref(int g, int& pos) {
    const int start = caps_[static_cast<size_t>(g) * 2];
    const int end = caps_[static_cast<size_t>(g) * 2 + 1];
    if (start < 0) {
      return true;  // a group that took no part matches the empty text
    }
    const int len = end - start;
    if (len > n_ - pos) {
      return false;
    }
    for (int k = 0; k < len; ++k) {
      char16_t x = s_[static_cast<size_t>(start + k)];
      char16_t y = s_[static_cast<size_t>(pos + k)];
      if (prog_.ignoreCase) {
        x = Canonical(x), y = Canonical(y);
      }
      if (x != y) {
        return false;
      }
    }
    pos += len;
    return true;
  }

  bool Star(const Inst& in, int& pc, int& pos) {
    const Inst& unit = prog_.code[static_cast<size_t>(pc + 1)];
    int p = pos;
    const int fewest = in.b;
    if (in.flag) {
      int count = 0;
      while (count < in.c && p < n_ && prog_.MatchesOne(unit, s_[static_cast<size_t>(p)])) {
        ++p, ++count;
        if ((count & 1023) == 0 && (steps_ += 1024) > stepLimit_) {
          return false;
        }
      }
      if (count < fewest) {
        return false;
      }
      if (count > fewest) {
        Push({EntryKind::StarBack, pc + 2, pos + fewest, p});
      }
    } else {
      for (int k = 0; k < fewest; ++k, ++p) {
        if (p >= n_ || !prog_.MatchesOne(unit, s_[static_cast<size_t>(p)])) {
          return false;
        }
      }
      if (in.c > fewest) {
        Push({EntryKind::LazyBack, pc + 2, p, in.c == kInfinite ? kInfinite : in.c - fewest});
      }
    }
    pos = p;
    pc += 2;
    return true;
  }

  // Undoes the entries above `size`, dropping their choices.
  void Unwind(size_t size) {
    while (stack_.size() > size + 1) {
      Undo(stack_.back());
      stack_.pop_back();
    }
  }

  void Undo(const Entry& e) {
    switch (e.kind) {
      case EntryKind::RestoreOpen:
        Open(e.a) = e.b;
        break;
      case EntryKind::RestoreCapture:
        caps_[static_cast<size_t>(e.a) * 2] = e.b;
        caps_[static_cast<size_t>(e.a) * 2 + 1] = e.c;
        break;
      case EntryKind::RestoreCount:
        Count(e.a) = e.b;
        break;
      case EntryKind::RestoreIter:
        Iter(e.a) = e.b;
        break;
      case EntryKind::Barrier:
        looks_.pop_back();
        break;
      default:
        break;
    }
  }

  // Resumes at the latest choice; false when none is left.
  bool Backtrack(int& pc, int& pos) {
    while (!stack_.empty()) {
      ++steps_;
      Entry& e = stack_.back();
      switch (e.kind) {
        case EntryKind::Choice:
          pc = e.a;
          pos = e.b;
          stack_.pop_back();
          return true;
        case EntryKind::StarBack:
          pc = e.a;
          pos = --e.c;
          if (e.c == e.b) {
            stack_.pop_back();
          }
          return true;
        case EntryKind::LazyBack: {
          const Inst& unit = prog_.code[static_cast<size_t>(e.a - 1)];
          if (e.b < n_ && prog_.MatchesOne(unit, s_[static_cast<size_t>(e.b)])) {
            pc = e.a;
            pos = ++e.b;
            if (e.c != kInfinite && --e.c == 0) {
              stack_.pop_back();
            }
            return true;
          }
          stack_.pop_back();
          break;
        }
        case EntryKind::Barrier:
          if (e.c != 0) {  // a negative lookahead whose inside failed: go on after it
            pc = e.a;
            pos = e.b;
            looks_.pop_back();
            stack_.pop_back();
            return true;
          }
          Undo(e);
          stack_.pop_back();
          break;
        default:
          Undo(e);
          stack_.pop_back();
          break;
      }
    }
    return false;
  }

  const long long stepLimit_;
  long long steps_ = 0;
  const Program& prog_;
  std::u16string_view s_;
  int n_;
  std::vector<int>& caps_;
  std::vector<int>& open_;
  std::vector<int>& counts_;
  std::vector<int>& iters_;
  std::vector<Entry>& stack_;
  std::vector<size_t>& looks_;
};

}  // namespace

Regex::Regex(std::unique_ptr<Program> program) : program_(std::move(program)) {}
Regex::~Regex() = default;

std::unique_ptr<Regex> Regex::Compile(std::u16string_view pattern, Options options) {
  try {
    return CompileProgram(pattern, options);
  } catch (const std::bad_alloc&) {
    return nullptr;  // a pattern too large for memory is no valid pattern
  }
}

std::unique_ptr<Regex> Regex::CompileProgram(std::u16string_view pattern, Options options) {
  std::vector<Node> nodes;
  auto program = std::make_unique<Program>();
  Parser parser(pattern, nodes, program->classes);
  const std::optional<int> root = parser.Parse();
  if (!root) {
    return nullptr;
  }
  program->groups = parser.Groups();
  program->ignoreCase = options.ignoreCase;
  program->multiline = options.multiline;
  Compiler(nodes, *program).Emit(*root);
  program->code.push_back({.op = Op::Match});
  const Inst& first = program->code.front();
  if (first.op == Op::Char) {
    const auto unit = static_cast<char16_t>(first.a);
    program->firstUnits.push_back(unit);
    if (options.ignoreCase) {
      for (const auto& [canonical, variant] : CaseVariants()) {
        if (canonical == unit) {
          program->firstUnits.push_back(variant);
        }
      }
    }
  }
  return std::unique_ptr<Regex>(new Regex(std::move(program)));
}

int Regex::GroupCount() const { return program_->groups; }

SearchResult Regex::Search(std::u16string_view subject, size_t start, bool anchored,
                           std::vector<int>& spans) const {
  try {
    return SearchFrom(subject, start, anchored, spans);
  } catch (const std::bad_alloc&) {
    return SearchResult::Failed;  // out of memory for the backtracking state
  }
}

SearchResult Regex::SearchFrom(std::u16string_view subject, size_t start, bool anchored,
                               std::vector<int>& spans) const {
  if (start > subject.size()) {
    return SearchResult::NotFound;
  }
  if (subject.size() >= static_cast<size_t>(INT_MAX)) {
    return SearchResult::Failed;
  }
  thread_local Scratch scratch;
  if (scratch.stack.capacity() > (1u << 16)) {
    scratch = Scratch{};  // give back a big stack
  }
  Matcher matcher(*program_, subject, scratch);
  const auto& first = program_->firstUnits;
  // A pattern that begins with an unbounded repetition of one unit (.*x):
  // when it fails at some place, it fails at every next place that the unit
  // could have been repeated over, so those are not tried.
  const Inst& lead = program_->code.front();
  const bool leadingStar = lead.op == Op::Star && lead.c == kInfinite;
  for (size_t at = start; at <= subject.size(); ++at) {
    if (!first.empty()) {
      // Skip to the next place where the first unit can match.
      while (at < subject.size() &&
             std::find(first.begin(), first.end(), subject[at]) == first.end()) {
        if (anchored) {
          return SearchResult::NotFound;
        }
        ++at;
      }
      if (at == subject.size()) {
        return SearchResult::NotFound;
      }
    }
    const SearchResult result = matcher.TryAt(static_cast<int>(at));
    if (result == SearchResult::Found) {
      spans = matcher.Spans();
      return result;
    }
    if (result == SearchResult::Failed || anchored) {
      return result;
    }
    if (leadingStar) {
      const Inst& unit = program_->code[1];
      while (at < subject.size() && program_->MatchesOne(unit, subject[at])) {
        ++at;
      }
    }
  }
  return SearchResult::NotFound;
}

}  // namespace zarvo::regex
