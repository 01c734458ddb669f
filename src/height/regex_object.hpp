// One regular expression over one GBK text: the matches and their group
// captures as GBK texts, addressed by 1-based numbers.
//
// The pattern language is the ECMAScript one of regex_engine.hpp; the engine
// sees the subject as UTF-16 code units. Nothing here raises or reports an
// error: a pattern that is not valid, or a first search that runs out of
// budget, leaves no match list, and every text is then empty and every count
// 0.
//
// Two budgets bound the work: each search has its steps and its memory for
// backtracking (regex_engine.hpp), and the match list may hold at most
// 256 MiB of match and group spans (8 bytes for each match and 8 more for
// each group, in blocks counted whole). When a later search runs out of its budget, or
// its match would take the list past 256 MiB, the list ends there: it keeps
// the matches found before, the counts and texts are those of that shorter
// list, and ReplaceMatches gives empty text.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo {

namespace regex {
class MatchList;
class Regex;
}  // namespace regex

class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  // Compiles `pattern` and runs it over `subject`; replaces everything an
  // earlier call left. Defaults: case ignored, multiline on, global on (every
  // match, left to right, without overlap), and no quote token: when
  // `quoteToken` is true every "#引号" in the pattern stands for a double
  // quote. True when there is a match list, even an empty one.
  bool Create(std::string_view pattern, std::string_view subject,
              std::optional<bool> caseSensitive = {}, std::optional<bool> multiline = {},
              std::optional<bool> global = {}, std::optional<bool> quoteToken = {});

  // The pattern as compiled (quote token replaced); empty before Create.
  std::string GetPattern() const;
  // The subject with the matches replaced; $&, $`, $', $$, $1..$99 as in
  // ECMAScript. Empty when there is no match list.
  std::string ReplaceMatches(std::string_view replacement) const;
  int GetMatchCount() const;
  // Empty for a match that does not exist. `position` receives the 0-based
  // byte offset of the match in the subject, -2 when there is no such match.
  std::string GetMatchText(int matchIndex, int* position = nullptr) const;
  // Empty also for a group that took no part; `position` then receives the
  // offset of the match, and -2 when there is no such match or group.
  std::string GetSubMatchText(int matchIndex, int subMatchIndex, int* position = nullptr) const;
  // The number of groups of the pattern when there is a match, else 0.
  int GetSubMatchCount() const;

 private:
  // Finds matches until there are `count` of them or no more.
  void FindMatches(size_t count) const;
  const int* Spans(int matchIndex) const;
  int ByteOffset(int unitOffset) const;
  std::string Slice(int unitStart, int unitEnd) const;

  bool created_ = false;
  std::string pattern_;
  std::unique_ptr<regex::Regex> regex_;  // null: no match list
  bool global_ = true;
  std::string subject_;
  std::u16string subject16_;

  // Found lazily: most callers read only the first few matches.
  std::unique_ptr<regex::MatchList> matches_;  // null: no match list
  mutable bool exhausted_ = false;
  mutable bool searchFailed_ = false;
  mutable size_t nextStart_ = 0;
  // The last unit offset turned into a byte offset, to walk on from there.
  mutable int cachedUnit_ = 0;
  mutable int cachedByte_ = 0;
};

}  // namespace zarvo
