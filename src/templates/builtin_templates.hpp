// The sample templates of samples/template-server, compiled into the program,
// for when the template server cannot be reached.
#pragma once

#include "conversion/convert.hpp"

namespace zarvo {

// The three templates as the sample server serves them, byte for byte; built
// once, on the first call.
const TemplateSet& BuiltinTemplates();

}  // namespace zarvo
