// Reads a fuzz input as a few small fields followed by texts. The layout is
// ours (see make_corpus.cpp, which writes the seeds in it): fixed-size fields
// first, each text after a one- or two-byte length, the last text is the rest.
// A short input reads as zeros and empty texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace zarvo::fuzz {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  uint8_t Byte() {
    if (rest_.empty()) {
      return 0;
    }
    const auto byte = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return byte;
  }
  uint16_t Word() { return static_cast<uint16_t>(Byte() | Byte() << 8); }

  std::string_view Text(size_t length) {
    const std::string_view text = rest_.substr(0, length);
    rest_.remove_prefix(text.size());
    return text;
  }
  std::string_view ShortText() { return Text(Byte()); }  // length in one byte
  std::string_view LongText() { return Text(Word()); }   // length in two bytes
  std::string_view Rest() { return Text(rest_.size()); }

 private:
  std::string_view rest_;
};

// A property that does not hold: abort, so that libFuzzer keeps the input.
#define ZARVO_FUZZ_CHECK(condition)                                                      \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

}  // namespace zarvo::fuzz
