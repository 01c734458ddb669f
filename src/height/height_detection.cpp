#include "height/height_detection.hpp"

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
  if (code.size() - i < kWord.size()) return false;
  for (size_t k = 0; k < kWord.size(); ++k) {
    if ((code[i + k] | 0x20) != kWord[k]) return false;
  }
  return true;
}

// The digits of the first ten heights, left to right. A match can only begin
// with the word "height" in ASCII letters (no other letter folds to them), and
// the rest of it is ASCII, so the engine is run on a short window at each
// place the word stands rather than over the whole code: the result is the
// same, and a long code without the word costs one pass.
std::array<std::string, kCandidates> FindCandidates(std::string_view code) {
  std::array<std::string, kCandidates> candidates;
  size_t found = 0;
  std::u16string window;
  std::vector<int> spans;
  for (size_t i = 0; i < code.size() && found < kCandidates;) {
    const auto byte = static_cast<unsigned char>(code[i]);
    if (byte >= 0x80) {
      // A double-byte character is stepped over whole, as the codec reads
      // it: its second byte may look like an ASCII letter.
      const bool pair = byte >= 0x81 && byte <= 0xFE && i + 1 < code.size() &&
                        static_cast<unsigned char>(code[i + 1]) >= 0x40 &&
                        static_cast<unsigned char>(code[i + 1]) != 0x7F &&
                        static_cast<unsigned char>(code[i + 1]) != 0xFF;
      i += pair ? 2 : 1;
      continue;
    }
    if ((byte | 0x20) != 'h' || !IsWordAt(code, i)) {
      ++i;
      continue;
    }
    window.clear();
    for (size_t k = i; k < code.size() && k - i < kLongestMatch; ++k) {
      const auto c = static_cast<unsigned char>(code[k]);
      if (c >= 0x80) break;  // no such character can take part in a match
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
  }
  return candidates;
}

int ValueOf(std::string_view digits) {
  int value = 0;
  for (char d : digits) value = value * 10 + (d - '0');
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
  window.On(ControlId::超级按钮1, Event::Click, [](ToolWindow& w) {
    w.SetText(ControlId::编辑框5, DetectModuleHeight(w.Text(ControlId::编辑框1)));
  });
}

}  // namespace zarvo
