// The Win32 front end as a whole: the model, the real services, the window and
// the message loop.
#pragma once

#include <windows.h>

#include "app/win32/win32_tool_window.hpp"

namespace zarvo {

// Takes and dispatches the thread's messages until the quit message, applying
// the window's keyboard rules; returns the quit code.
int RunMessageLoop(Win32ToolWindow& window);

// The whole program: starts the tool with its services and this window, then
// runs the message loop.
int RunZarvo750(HINSTANCE instance);

}  // namespace zarvo
