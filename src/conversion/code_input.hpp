// The code input box: a double-click empties it, the quickest way to paste the
// next code.
#pragma once

#include "app/tool_window.hpp"

namespace zarvo {

// Binds the double-click of the code input box (编辑框1) to emptying it.
void RegisterCodeInputClearing(ToolWindow& window);

}  // namespace zarvo
