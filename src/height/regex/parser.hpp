// The parser: a pattern becomes a syntax tree of nodes, kept in one vector
// and linked by index, with its character classes beside it.
#pragma once

#include <climits>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "height/regex/char_class.hpp"

namespace zarvo::regex {

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

struct SyntaxTree {
  std::vector<Node> nodes;
  int root = 0;
  int groups = 0;  // capturing groups
};

// The tree of `pattern`, its classes appended to `classes`; nothing when the
// pattern is not valid.
std::optional<SyntaxTree> Parse(std::u16string_view pattern, std::vector<CharClass>& classes);

}  // namespace zarvo::regex
