// Binds every action of the tool to its event of the tool window.
#pragma once

#include <filesystem>

#include "app/tool_window.hpp"
#include "platform/services.hpp"

namespace zarvo {

// What the actions reach of the operating system. Owned by the front end; lives
// as long as the window.
struct Services {
  Clipboard& clipboard;
  Files& files;
  Shell& shell;
  WindowThread& windowThread;
  Threads& threads;
  HttpClient& http;
  std::filesystem::path programDirectory;
};

// Registers the handler of every binding in the events table.
void InstallHandlers(ToolWindow& window, Services& services);

}  // namespace zarvo
