// SubstituteText over any bytes, any start and count, against a plain byte
// loop that follows the rules one character at a time.
#include <string>

#include "conversion/text.hpp"
#include "fuzz_input.hpp"

namespace {

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string Plain(std::string_view text, std::string_view search, std::string_view replacement,
                  int start, int count, bool matchCase) {
  const size_t from = start < 1 ? 0 : static_cast<size_t>(start) - 1;
  if (text.empty() || search.empty() || from >= text.size() || count == 0) {
    return std::string(text);
  }
  std::string out(text.substr(0, from));
  size_t i = from;
  int done = 0;
  while (i + search.size() <= text.size()) {
    bool match = true;
    for (size_t k = 0; k < search.size() && match; ++k) {
      match = matchCase ? text[i + k] == search[k] : Fold(text[i + k]) == Fold(search[k]);
    }
    if (match) {
      out += replacement;
      i += search.size();
      if (++done == count) {
        break;
      }
      continue;
    }
    const size_t step = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
    out += text.substr(i, step);
    i += step;
  }
  if (i < text.size()) {
    out += text.substr(i);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zarvo::fuzz::Input input(data, size);
  const bool matchCase = (input.Byte() & 1) != 0;
  const auto start = static_cast<int16_t>(input.Word());
  const auto count = static_cast<int8_t>(input.Byte());
  const std::string_view search = input.ShortText();
  const std::string_view replacement = input.ShortText();
  const std::string_view text = input.Rest();

  const std::string result =
      zarvo::SubstituteText(text, search, replacement, start, count, matchCase);
  ZARVO_FUZZ_CHECK(result == Plain(text, search, replacement, start, count, matchCase));
  return 0;
}
