// Binds every action of the tool to its event of the tool window.
#pragma once

#include "app/tool_window.hpp"
#include "platform/services.hpp"

namespace zarvo {

// Registers the handler of every binding in the events table.
void InstallHandlers(ToolWindow& window, Services& services);

}  // namespace zarvo
