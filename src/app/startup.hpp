// The start of the tool, the same for every front end: the model, the
// handlers, the view, the creation event, the status timer, then the window
// is shown.
#pragma once

#include "app/tool_window.hpp"
#include "platform/services.hpp"

namespace zarvo {

// What a front end supplies to the start.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // Builds the window over the model, not shown yet, and makes it the model's
  // view. False when no window could be made.
  virtual bool CreateView(ToolWindow& model) = 0;
  // Starts the status timer (时钟1), which then ticks for as long as the window
  // exists.
  virtual void StartTimer() = 0;
  virtual void Show() = 0;
};

// Binds the handlers to the model, has the front end build its view, raises
// the creation event (which starts the template fetch), starts the timer and
// shows the window. False, with nothing shown, when the view could not be
// made.
bool StartUp(ToolWindow& model, Services& services, FrontEnd& frontEnd);

}  // namespace zarvo
