#include "app/handlers.hpp"

namespace zarvo {

void InstallHandlers(ToolWindow& window, Services& services) {
  // One line per subsystem; each registers the handlers of its own events.
  (void)window;
  (void)services;
}

}  // namespace zarvo
