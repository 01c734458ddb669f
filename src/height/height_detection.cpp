#include "height/height_detection.hpp"

#include <algorithm>
#include <array>

#include "app/tool_window.hpp"
#include "height/regex_engine.hpp"
#include "platform/gbk.hpp"

namespace zarvo {
namespace {

constexpr size_t kCandidates = 10;
constexpr std::string_view kWord = "height";
// The longest match: the word, a colon, an equals sign, a space, four digits.
constexpr size_t kLongestMatch = 13;

const regex::Regex& HeightRegex() {
  static const std::unique_ptr<regex::Regex> compiled =
      regex::Regex::Compile(GbkToUtf16(kHeightPattern), {.ignoreCase = true, .multiline = true});
  return *compiled;
}

bool IsWordAt(std::string_view code, size_t i) {
  if (code.size() - i < kWord.size()) {
    return false;
  }
  for (size_t k = 0; k < kWord.size(); ++k) {
    if ((code[i + k] | 0x20) != kWord[k]) {
      return false;
    }
  }
  return true;
}

// Finds where characters begin, as the codec pairs the bytes, while the scan
// jumps from one "h" to the next. A byte below 0x40 can be no second byte, so
// a character always begins after it; from the last such byte (or the last
// place known to begin a character) the bytes are paired forward. Each check
// only looks at bytes after the one before, so a whole scan stays linear.
class CharacterStarts {
 public:
  explicit CharacterStarts(std::string_view code) : code_(code) {}

  bool At(size_t pos) {
    size_t from = pos;
    while (from > known_ && static_cast<unsigned char>(code_[from - 1]) >= 0x40) {
      --from;
    }
    while (from < pos) {
      from += PairsWithNext(from) ? 2 : 1;
    }
    const bool starts = from == pos;
    known_ = starts ? pos : pos + 1;
    return starts;
  }

  void Known(size_t pos) { known_ = pos; }

 private:
  bool PairsWithNext(size_t i) const {
    const auto lead = static_cast<unsigned char>(code_[i]);
    if (lead < 0x81 || lead > 0xFE || i + 1 >= code_.size()) {
      return false;
    }
    const auto trail = static_cast<unsigned char>(code_[i + 1]);
    return trail >= 0x40 && trail != 0x7F && trail != 0xFF;
  }

  std::string_view code_;
  size_t known_ = 0;
};

// The next "h" or "H" at or after `from`; npos when there is none. Each letter
// case is found with one fast pass, remembered until the scan passes it.
class NextH {
 public:
  explicit NextH(std::string_view code) : code_(code) {}

  size_t From(size_t from) {
    if (lower_ != std::string_view::npos && lower_ < from) {
      lower_ = code_.find('h', from);
    }
    if (upper_ != std::string_view::npos && upper_ < from) {
      upper_ = code_.find('H', from);
    }
    return std::min(lower_, upper_);
  }

 private:
  std::string_view code_;
  size_t lower_ = 0;
  size_t upper_ = 0;
};

// The digits of the first ten heights, left to right. A match can only begin
// with the word "height" in ASCII letters (no other letter folds to them), and
// the rest of it is ASCII, so the engine is run on a short window at each
// place the word stands rather than over the whole code: the result is the
// same, and a long code without the word costs one quick pass.
std::array<std::string, kCandidates> FindCandidates(std::string_view code) {
  std::array<std::string, kCandidates> candidates;
  size_t found = 0;
  std::u16string window;
  std::vector<int> spans;
  CharacterStarts starts(code);
  NextH nextH(code);
  for (size_t i = nextH.From(0); i != std::string_view::npos && found < kCandidates;
       i = nextH.From(i)) {
    // The second byte of a double-byte character may look like an "h".
    if (!starts.At(i) || !IsWordAt(code, i)) {
      ++i;
      continue;
    }
    window.clear();
    for (size_t k = i; k < code.size() && k - i < kLongestMatch; ++k) {
      const auto c = static_cast<unsigned char>(code[k]);
      if (c >= 0x80) {
        break;  // no such character can take part in a match
      }
      window.push_back(static_cast<char16_t>(c));
    }
    if (HeightRegex().Search(window, 0, true, spans) == regex::SearchResult::Found) {
      const auto start = static_cast<size_t>(spans[2]);
      const auto end = static_cast<size_t>(spans[3]);
      candidates[found++] = std::string(code.substr(i + start, end - start));
      i += static_cast<size_t>(spans[1]);
    } else {
      i += kWord.size();
    }
    starts.Known(i);  // the scan stepped over ASCII only
  }
  return candidates;
}

int ValueOf(std::string_view digits) {
  int value = 0;
  for (char d : digits) {
    value = value * 10 + (d - '0');
  }
  return value;
}

}  // namespace

std::string DetectModuleHeight(std::string_view code) {
  const std::array<std::string, kCandidates> candidates = FindCandidates(code);
  std::string best = candidates[0];
  int bestValue = ValueOf(best);
  for (size_t k = 1; k < kCandidates; ++k) {
    const int value = ValueOf(candidates[k]);
    // Only a greater value wins, so a tie keeps the earlier height as written.
    if (value > bestValue) {
      bestValue = value;
      best = std::to_string(value);
    }
  }
  return best;
}

void RegisterHeightDetection(ToolWindow& window) {
  window.On(kReadHeightButton, Event::Click, [](ToolWindow& w) {
    w.SetText(kModuleHeightBox, DetectModuleHeight(w.Text(kCodeInputBox)));
  });
}

}  // namespace zarvo
