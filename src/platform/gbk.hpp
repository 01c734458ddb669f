// GBK (code page 936, as Windows defines it) to and from UTF-16.
//
// Every text inside the tool is GBK bytes; the toolkits, the clipboard and the
// file system speak Unicode. These conversions sit at that edge.
#pragma once

#include <string>
#include <string_view>

namespace zarvo {

// Never fails: a byte sequence that is not GBK decodes to U+FFFD.
std::u16string GbkToUtf16(std::string_view gbk);

// A character that GBK cannot hold becomes an HTML numeric character reference
// ("✓" becomes "&#10003;"), which a browser shows as the same character; a
// lone surrogate becomes "&#65533;".
std::string Utf16ToGbk(std::u16string_view text);

// UTF-8 conversions for texts written in our UTF-8 sources and for logs.
// Invalid UTF-8 decodes to U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);
std::string Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);

}  // namespace zarvo
