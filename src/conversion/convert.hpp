// Wrapping pasted shop code into a module template.
//
// Placeholder tokens of an area template (GBK bytes): the first "高度" takes the
// corrected height (spacing + height), the first "间距" the spacing as typed,
// the next four "高度" the height as typed, the first "偏移量" the offset and
// the first "582064937" the code. The preview template's first "582064937"
// takes the converted output.
#pragma once

#include <string>
#include <string_view>

namespace zarvo {

struct TemplateSet {
  std::string area750Template;  // wraps code for the 750-pixel module area
  std::string area190Template;  // wraps code for the 190-pixel module area
  std::string previewTemplate;  // shop page that shows the converted code
};

// GBK bytes of the placeholder tokens.
inline constexpr std::string_view kHeightToken = "\xB8\xDF\xB6\xC8";          // 高度
inline constexpr std::string_view kSpacingToken = "\xBC\xE4\xBE\xE0";         // 间距
inline constexpr std::string_view kOffsetToken = "\xC6\xAB\xD2\xC6\xC1\xBF";  // 偏移量
inline constexpr std::string_view kCodeToken = "582064937";

// targetArea 0 picks the 750-area template, 1 the 190-area one; any other
// value an empty template (and so an empty output).
std::string ConvertCode(const TemplateSet& templates, int targetArea, std::string_view spacing,
                        std::string_view height, std::string_view offset, std::string_view code);

std::string BuildPreviewPage(std::string_view previewTemplate, std::string_view output);

}  // namespace zarvo
