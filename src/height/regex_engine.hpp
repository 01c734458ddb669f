// A backtracking regular expression engine over UTF-16 code units, with the
// pattern language of ECMAScript 3 (the one of the classic script engines):
// alternation, greedy and lazy quantifiers, capturing and non-capturing
// groups, lookahead, backreferences, classes and the escapes \d \s \w \b.
//
// Why our own: the tool must behave the same on every build, and the C++
// library engines differ there (what \s and \d take follows the C runtime's
// wide character tables) and recurse once per character, which overflows a
// 1 MB window thread stack on a long line. This one keeps its backtracking
// state on the heap and gives up, reporting a failure, when a search takes
// more steps or memory than any reasonable pattern needs.
//
// Fixed character sets, whatever the locale: \s is space, tab, LF, CR, FF and
// VT; \d is 0-9; \w is A-Z, a-z, 0-9 and _. The dot takes anything but a line
// terminator (LF, CR, U+2028, U+2029). Ignoring case folds the letters of
// the scripts GBK holds (Latin, Greek, Cyrillic, full-width Latin).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace zarvo::regex {

struct Options {
  bool ignoreCase = false;
  bool multiline = false;
};

enum class SearchResult : uint8_t { Found, NotFound, Failed };

class Program;

class Regex {
 public:
  // Null when the pattern is not valid.
  static std::unique_ptr<Regex> Compile(std::u16string_view pattern, Options options);
  ~Regex();

  // Capturing groups of the pattern.
  int GroupCount() const;

  // The leftmost match that starts at or after `start` (only at `start` when
  // `anchored`). On Found, `spans` holds 2 * (GroupCount() + 1) code unit
  // offsets: start and end of the whole match, then of each group, -1 for a
  // group that took no part. Failed: the step or memory budget ran out.
  SearchResult Search(std::u16string_view subject, size_t start, bool anchored,
                      std::vector<int>& spans) const;

 private:
  explicit Regex(std::unique_ptr<Program> program);
  static std::unique_ptr<Regex> CompileProgram(std::u16string_view pattern, Options options);
  SearchResult SearchFrom(std::u16string_view subject, size_t start, bool anchored,
                          std::vector<int>& spans) const;
  std::unique_ptr<Program> program_;
};

}  // namespace zarvo::regex
