// DetectModuleHeight over any bytes, against a plain reading of the height
// pattern over the decoded text: the word "height" in any case, an optional
// colon, an optional equals sign, at most one white-space character, then two
// to four ASCII digits; matches do not overlap; the largest of the first ten.
#include <string>
#include <vector>

#include "fuzz_input.hpp"
#include "height/height_detection.hpp"
#include "platform/gbk.hpp"

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
char16_t Fold(char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; }

std::string Plain(std::string_view code) {
  const std::u16string text = zarvo::GbkToUtf16(code);
  const std::u16string_view word = u"height";
  std::vector<std::string> candidates;
  for (size_t i = 0; i < text.size() && candidates.size() < 10;) {
    bool match = text.size() - i >= word.size();
    for (size_t k = 0; match && k < word.size(); ++k) {
      match = Fold(text[i + k]) == word[k];
    }
    if (!match) {
      ++i;
      continue;
    }
    size_t j = i + word.size();
    if (j < text.size() && text[j] == u':') ++j;
    if (j < text.size() && text[j] == u'=') ++j;
    if (j < text.size() && IsSpace(text[j])) ++j;
    std::string digits;
    while (j < text.size() && digits.size() < 4 && IsDigit(text[j])) {
      digits.push_back(static_cast<char>(text[j++]));
    }
    if (digits.size() < 2) {
      ++i;
      continue;
    }
    candidates.push_back(digits);
    i = j;
  }
  if (candidates.empty()) {
    return {};
  }
  std::string best = candidates[0];
  int bestValue = std::stoi(best);
  for (size_t k = 1; k < candidates.size(); ++k) {
    if (std::stoi(candidates[k]) > bestValue) {
      bestValue = std::stoi(candidates[k]);
      best = std::to_string(bestValue);
    }
  }
  return best;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view code(reinterpret_cast<const char*>(data), size);
  const std::string height = zarvo::DetectModuleHeight(code);
  const std::string expected = Plain(code);
  if (height != expected) {
    std::fprintf(stderr, "DetectModuleHeight gave \"%s\", the plain reading \"%s\"\n",
                 height.c_str(), expected.c_str());
  }
  ZARVO_FUZZ_CHECK(height == expected);
  return 0;
}
