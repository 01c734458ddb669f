// Byte-level text operations on GBK text.
//
// Positions count bytes from 1. A byte of 0x80 or above begins a two-byte
// character, and every scan steps over such a character whole, so a match never
// starts on the second byte of a character.
#pragma once

#include <string>
#include <string_view>

namespace zarvo {

// Replaces occurrences of `search` in `text`, scanning from the 1-based byte
// position `start` (below 1 counts as 1), at most `count` times (negative: no
// limit). Without `matchCase`, ASCII letters match either case. Matches do not
// overlap and a replacement is never searched again.
std::string SubstituteText(std::string_view text, std::string_view search,
                           std::string_view replacement = {}, int start = 1, int count = -1,
                           bool matchCase = false);

// Reads the longest leading decimal number of `text` after folding full-width
// digits and signs to ASCII: optional white space, sign, digits with at most one
// point, and an exponent introduced by e, E, d or D. Anything else gives 0.
// Independent of the C locale.
double ReadNumber(std::string_view text);

// Formats like printf's "%.13g", with at least three exponent digits
// ("1e+013"), independent of the C library and the locale.
std::string FormatNumber(double number);

}  // namespace zarvo
