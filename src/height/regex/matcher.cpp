// The matcher: runs a program over a subject by backtracking, with its
// state on the heap and within a budget of steps and memory, and
// Regex::Search, which tries one start after another.
#include <algorithm>
#include <climits>
#include <new>

#include "height/regex/program.hpp"
#include "height/regex_engine.hpp"

namespace zarvo::regex {
namespace {

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
      if (in.op == Op::Match) {
        caps_[0] = start;
        caps_[1] = pos;
        return SearchResult::Found;
      }
      if (!Execute(in, pc, pos) && !Backtrack(pc, pos)) {
        return SearchResult::NotFound;
      }
    }
  }

  const std::vector<int>& Spans() const { return caps_; }

 private:
  // Carries out one instruction other than Match and moves on; false when it
  // fails at `pos` and matching goes back to the latest choice.
  bool Execute(const Inst& in, int& pc, int& pos) {
    switch (in.op) {
      case Op::Char:
      case Op::Any:
      case Op::Class:
        if (pos < n_ && prog_.MatchesOne(in, s_[static_cast<size_t>(pos)])) {
          ++pos, ++pc;
          return true;
        }
        return false;
      case Op::Bol:
      case Op::Eol:
      case Op::WordBoundary:
      case Op::NotWordBoundary:
        ++pc;
        return Assertion(in.op, pos);
      case Op::Split:
        Push({EntryKind::Choice, in.b, pos, 0});
        pc = in.a;
        return true;
      case Op::Jump:
        pc = in.a;
        return true;
      case Op::GroupOpen:
        Push({EntryKind::RestoreOpen, in.a, Open(in.a), 0});
        Open(in.a) = pos;
        ++pc;
        return true;
      case Op::GroupClose:
        SetCapture(in.a, Open(in.a), pos);
        ++pc;
        return true;
      case Op::Backref:
        ++pc;
        return Backref(in.a, pos);
      case Op::LoopInit:
        Push({EntryKind::RestoreCount, in.a, Count(in.a), 0});
        Count(in.a) = 0;
        ++pc;
        return true;
      case Op::Loop:
        Loop(in, pc, pos);
        return true;
      case Op::IterStart:
        StartRound(in, pos);
        ++pc;
        return true;
      case Op::IterEnd:
        return EndRound(in, pc, pos);
      case Op::Star:
        return Star(in, pc, pos);
      case Op::LookStart:
        looks_.push_back(stack_.size());
        Push({EntryKind::Barrier, in.a, pos, in.flag ? 1 : 0});
        ++pc;
        return true;
      case Op::LookEnd:
        return EndLookahead(pc, pos);
      case Op::Match:
        break;  // TryAt ends there
    }
    return false;
  }

  bool Assertion(Op op, int pos) const {
    switch (op) {
      case Op::Bol:
        return pos == 0 || (prog_.multiline && IsLineTerminator(s_[static_cast<size_t>(pos - 1)]));
      case Op::Eol:
        return pos == n_ || (prog_.multiline && IsLineTerminator(s_[static_cast<size_t>(pos)]));
      default: {
        const bool before = pos > 0 && IsWordChar(s_[static_cast<size_t>(pos - 1)]);
        const bool after = pos < n_ && IsWordChar(s_[static_cast<size_t>(pos)]);
        return (before != after) == (op == Op::WordBoundary);
      }
    }
  }

  // Before a round of a repetition: a required round is entered, a round past
  // the most is not, and a round in between is a choice, greedy or lazy.
  void Loop(const Inst& in, int& pc, int pos) {
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
  }

  // A round begins: where it starts, and the groups inside cleared.
  void StartRound(const Inst& in, int pos) {
    Push({EntryKind::RestoreIter, in.a, Iter(in.a), 0});
    Iter(in.a) = pos;
    for (int g = in.b; g < in.c; ++g) {
      SetCapture(g, -1, -1);
    }
  }

  // A round ends: counted, and back to the loop's head.
  bool EndRound(const Inst& in, int& pc, int pos) {
    const int count = Count(in.a);
    // A round past the required ones that consumed nothing ends the
    // repetition as a failure, so that x** cannot loop for ever.
    if (count >= in.b && pos == Iter(in.a)) {
      return false;
    }
    if (count < in.b || in.c != kInfinite) {
      Push({EntryKind::RestoreCount, in.a, count, 0});
      Count(in.a) = count + 1;
    }
    pc = in.d;
    return true;
  }

  bool EndLookahead(int& pc, int& pos) {
    const size_t barrier = looks_.back();
    looks_.pop_back();
    const Entry b = stack_[barrier];
    if (b.c != 0) {  // negative: its inside matched, so the lookahead fails
      Unwind(barrier);
      stack_.pop_back();  // the barrier
      return false;
    }
    // Found: no way back into the lookahead, but the groups it set are
    // undone when matching backtracks over it.
    size_t w = barrier;
    for (size_t r = barrier + 1; r < stack_.size(); ++r) {
      if (IsRestore(stack_[r].kind)) {
        stack_[w++] = stack_[r];
      }
    }
    stack_.resize(w);
    pc = b.a;
    pos = b.b;
    return true;
  }

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
    for (size_t k = 0; k < static_cast<size_t>(len); ++k) {
      char16_t x = s_[static_cast<size_t>(start) + k];
      char16_t y = s_[static_cast<size_t>(pos) + k];
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
    const Inst& unit = prog_.code[static_cast<size_t>(pc) + 1];
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
