#include "templates/builtin_templates.hpp"

#include <cstddef>
#include <string>

// The bytes of the sample files, in a source file that the build generates.
namespace zarvo::embedded {
extern const unsigned char kPreviewTemplate[];
extern const std::size_t kPreviewTemplateSize;
extern const unsigned char kArea750Template[];
extern const std::size_t kArea750TemplateSize;
extern const unsigned char kArea190Template[];
extern const std::size_t kArea190TemplateSize;
}  // namespace zarvo::embedded

namespace zarvo {
namespace {

std::string Text(const unsigned char* bytes, std::size_t size) {
  return {reinterpret_cast<const char*>(bytes), size};
}

}  // namespace

const TemplateSet& BuiltinTemplates() {
  using namespace embedded;
  static const TemplateSet templates{
      .area750Template = Text(kArea750Template, kArea750TemplateSize),
      .area190Template = Text(kArea190Template, kArea190TemplateSize),
      .previewTemplate = Text(kPreviewTemplate, kPreviewTemplateSize),
  };
  return templates;
}

}  // namespace zarvo
