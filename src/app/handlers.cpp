#include "app/handlers.hpp"

#include "conversion/generate_action.hpp"

namespace zarvo {

void InstallHandlers(ToolWindow& window, Services& services) {
  // One line per subsystem; each registers the handlers of its own events.
  RegisterGenerateAction(window, services);
}

}  // namespace zarvo
