// The compiled form of a pattern: a program of instructions for the
// backtracking matcher, with the classes and counts it needs.
#pragma once

#include <cstdint>
#include <vector>

#include "height/regex/char_class.hpp"
#include "height/regex/parser.hpp"  // kInfinite

namespace zarvo::regex {

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

}  // namespace zarvo::regex
