#include "conversion/convert.hpp"

#include "conversion/text.hpp"

namespace zarvo {

std::string ConvertCode(const TemplateSet& templates, int targetArea, std::string_view spacing,
                        std::string_view height, std::string_view offset, std::string_view code) {
  std::string_view areaTemplate;
  if (targetArea == 0) {
    areaTemplate = templates.area750Template;
  } else if (targetArea == 1) {
    areaTemplate = templates.area190Template;
  }
  const double correctedHeight = ReadNumber(spacing) + ReadNumber(height);

  // Each step searches the whole result of the one before, so text inserted by
  // an earlier step can be filled by a later one. The code goes in last and is
  // never searched: tokens in the user's own code stay as they are.
  std::string text =
      SubstituteText(areaTemplate, kHeightToken, FormatNumber(correctedHeight), 1, 1);
  text = SubstituteText(text, kSpacingToken, spacing, 1, 1);
  text = SubstituteText(text, kHeightToken, height, 1, 4);
  text = SubstituteText(text, kOffsetToken, offset, 1, 1);
  return SubstituteText(text, kCodeToken, code, 1, 1);
}

std::string BuildPreviewPage(std::string_view previewTemplate, std::string_view output) {
  return SubstituteText(previewTemplate, kCodeToken, output, 1, 1);
}

}  // namespace zarvo
