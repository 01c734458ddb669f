// The presets of the three conversion selectors. Picking an item writes its
// row of preset values into the window, field by field in a fixed order; an
// index without a row changes nothing.
#pragma once

#include "app/tool_window.hpp"

namespace zarvo {

// Binds the item-chosen events of the target area (组合框1), code width
// (组合框3) and spacing (组合框2) selectors to their presets.
void RegisterPresets(ToolWindow& window);

}  // namespace zarvo
