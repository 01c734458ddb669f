// ConvertCode and BuildPreviewPage with any template, settings and code.
#include <string>

#include "conversion/convert.hpp"
#include "fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zarvo::fuzz::Input input(data, size);
  const auto targetArea = static_cast<int8_t>(input.Byte());
  const std::string_view spacing = input.ShortText();
  const std::string_view height = input.ShortText();
  const std::string_view offset = input.ShortText();
  const std::string_view areaTemplate = input.LongText();
  const std::string_view code = input.Rest();

  const zarvo::TemplateSet templates{std::string(areaTemplate), std::string(areaTemplate), {}};
  const std::string output =
      zarvo::ConvertCode(templates, targetArea, spacing, height, offset, code);
  if (targetArea != 0 && targetArea != 1) {
    ZARVO_FUZZ_CHECK(output.empty());
  }
  // A template without any token comes out as it went in.
  const bool tokenFree = areaTemplate.find(zarvo::kHeightToken) == std::string_view::npos &&
                         areaTemplate.find(zarvo::kSpacingToken) == std::string_view::npos &&
                         areaTemplate.find(zarvo::kOffsetToken) == std::string_view::npos &&
                         areaTemplate.find(zarvo::kCodeToken) == std::string_view::npos;
  if ((targetArea == 0 || targetArea == 1) && tokenFree) {
    ZARVO_FUZZ_CHECK(output == areaTemplate);
  }
  ZARVO_FUZZ_CHECK(zarvo::BuildPreviewPage(output, {}).size() <= output.size());
  return 0;
}
