// RegexObject with any pattern of up to 64 bytes over any subject of up to
// 4 KB: every operation, and every position found is where its text stands.
#include <optional>
#include <string>

#include "fuzz_input.hpp"
#include "height/regex_object.hpp"

namespace {

// Bit 0 of the pair: the option is given; bit 1: its value.
std::optional<bool> Option(unsigned bits) {
  return (bits & 1) != 0 ? std::optional<bool>((bits & 2) != 0) : std::nullopt;
}

void CheckPosition(std::string_view subject, const std::string& text, int position) {
  ZARVO_FUZZ_CHECK(position == -2 ||
                   (position >= 0 && static_cast<size_t>(position) <= subject.size()));
  if (position >= 0) {
    ZARVO_FUZZ_CHECK(subject.substr(static_cast<size_t>(position), text.size()) == text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zarvo::fuzz::Input input(data, size);
  const uint8_t options = input.Byte();
  const std::string_view pattern = input.Text(input.Byte() % 65);
  const std::string_view replacement = input.ShortText();
  const std::string_view subject = input.Text(4096);

  zarvo::RegexObject re;
  re.Create(pattern, subject, Option(options), Option(options >> 2), Option(options >> 4),
            Option(options >> 6));
  (void)re.GetPattern();
  (void)re.ReplaceMatches(replacement);
  const int matches = re.GetMatchCount();
  const int groups = re.GetSubMatchCount();
  ZARVO_FUZZ_CHECK(matches >= 0 && groups >= 0);
  for (int m = 0; m <= matches + 1 && m <= 20; ++m) {
    int position = 0;
    const std::string text = re.GetMatchText(m, &position);
    CheckPosition(subject, text, position);
    for (int g = 0; g <= groups + 1 && g <= 10; ++g) {
      (void)re.GetSubMatchText(m, g, &position);
      ZARVO_FUZZ_CHECK(position >= -2);
    }
  }
  return 0;
}
