// ReadNumber over any bytes (where the C library reads the same text, the
// same value), and FormatNumber of any double: the text is what
// printf's "%.13g" gives (with three exponent digits), and reading it back
// gives the same value to 13 significant digits.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "conversion/text.hpp"
#include "fuzz_input.hpp"

namespace {

// "%.13g" of the C library (the fuzzer runs in the C locale), with the
// exponent widened to three digits.
std::string Printf13g(double number) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.13g", number);
  std::string text = buffer;
  const size_t e = text.find('e');
  if (e != std::string::npos && text.size() - (e + 2) < 3) {
    text.insert(e + 2, 3 - (text.size() - (e + 2)), '0');
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double read = zarvo::ReadNumber(text);
  ZARVO_FUZZ_CHECK(!std::isnan(read));
  // Plain ASCII without the letters that strtod reads further (hex, inf, nan)
  // or less far (the exponent letter d): the C library's reading in the C
  // locale is the same.
  if (text.find_first_of("xXiInNdD") == std::string_view::npos &&
      std::all_of(text.begin(), text.end(), [](char c) { return c > 0; })) {
    const std::string copy(text);
    ZARVO_FUZZ_CHECK(read == std::strtod(copy.c_str(), nullptr));
  }

  if (size >= sizeof(double)) {
    double number;
    std::memcpy(&number, data, sizeof number);
    if (std::isfinite(number)) {
      const std::string formatted = zarvo::FormatNumber(number);
      ZARVO_FUZZ_CHECK(formatted == Printf13g(number));
      const double back = zarvo::ReadNumber(formatted);
      ZARVO_FUZZ_CHECK(zarvo::FormatNumber(back) == formatted);
      ZARVO_FUZZ_CHECK(std::fabs(back - number) <= std::fabs(number) * 5e-13);
    }
  }
  return 0;
}
