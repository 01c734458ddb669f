#include "app/handlers.hpp"

#include "conversion/code_input.hpp"
#include "conversion/generate_action.hpp"
#include "conversion/presets.hpp"
#include "conversion/status_actions.hpp"
#include "height/height_detection.hpp"
#include "templates/template_fetch.hpp"

namespace zarvo {

void InstallHandlers(ToolWindow& window, Services& services) {
  // One line per subsystem; each registers the handlers of its own events.
  RegisterCodeInputClearing(window);
  RegisterPresets(window);
  RegisterGenerateAction(window, services);
  RegisterStatusActions(window, services);
  RegisterTemplateFetch(window, services);
  RegisterHeightDetection(window);
}

}  // namespace zarvo
