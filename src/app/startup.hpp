// The start of the tool, the same for every front end: the model, the
// handlers, the view, the creation event, the status timer, then the window
// is shown.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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

// What the command line of a window program asks for.
struct StartRequest {
  enum class Action : uint8_t { Run, ShowHelp, ShowVersion, Refuse };
  Action action = Action::Run;
  std::string templateHost;  // Run: the checked host to fetch from
  std::string message;       // the others: what to tell the user (UTF-8)
};

// The exit code of a program that does not run its window: 0 after the help
// or the version, 2 after a refusal.
int ExitCodeOf(const StartRequest& request);

std::string UsageText(std::string_view program);
std::string VersionText(std::string_view program);

// The template host of this run: the command line's value if given, else the
// environment's (ZARVO_TEMPLATE_HOST, null when not set), else the build
// setting; a value in the wrong form is refused with a message that names it,
// where it came from and the form it takes.
StartRequest CheckedTemplateHost(std::string_view program,
                                 std::optional<std::string_view> commandLine,
                                 const char* environment);

// The whole command line, for a front end without a parser of its own: the
// arguments after the program's name (UTF-8). Knows --template-host HOST[:PORT]
// (also --template-host=HOST[:PORT]), -h/--help and -v/--version; anything
// else is refused.
StartRequest ParseCommandLine(std::string_view program, std::span<const std::string> arguments,
                              const char* environment);

}  // namespace zarvo
