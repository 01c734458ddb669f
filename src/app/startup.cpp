#include "app/startup.hpp"

#include "app/handlers.hpp"
#include "app/version.hpp"
#include "templates/template_host.hpp"

namespace zarvo {

bool StartUp(ToolWindow& model, Services& services, FrontEnd& frontEnd) {
  InstallHandlers(model, services);
  if (!frontEnd.CreateView(model)) {
    return false;
  }
  model.Raise(std::nullopt, Event::Creation);
  frontEnd.StartTimer();
  frontEnd.Show();
  return true;
}

int ExitCodeOf(const StartRequest& request) {
  return request.action == StartRequest::Action::Refuse ? 2 : 0;
}

std::string UsageText(std::string_view program) {
  std::string text = "Usage: ";
  text += program;
  text +=
      " [--template-host HOST[:PORT]]\n"
      "Wraps shop code into a module template, copies it and writes the preview page yl.htm.\n"
      "\n"
      "  --template-host HOST[:PORT]  fetch the templates from this server (HOST: a DNS name,\n"
      "                               an IPv4 address or a bracketed IPv6 address; PORT:\n"
      "                               1-65535, default 80); the environment variable\n"
      "                               ZARVO_TEMPLATE_HOST does the same when this is not given\n"
      "  -h, --help                   show this help and exit\n"
      "  -v, --version                show the version and exit\n"
      "\n"
      "Without a reachable template server the built-in templates are used.\n";
  return text;
}

std::string VersionText(std::string_view program) {
  std::string text(program);
  text += ' ';
  text += kVersion;
  text += '\n';
  return text;
}

StartRequest CheckedTemplateHost(std::string_view program,
                                 std::optional<std::string_view> commandLine,
                                 const char* environment) {
  std::string host = ChooseTemplateHost(commandLine, environment);
  if (const std::optional<std::string> error = TemplateHostError(host)) {
    std::string message(program);
    message += commandLine ? ": --template-host: " : ": ZARVO_TEMPLATE_HOST: ";
    message += *error;
    message += '\n';
    return {.action = StartRequest::Action::Refuse, .templateHost = {}, .message = message};
  }
  return {.action = StartRequest::Action::Run, .templateHost = std::move(host), .message = {}};
}

StartRequest ParseCommandLine(std::string_view program, std::span<const std::string> arguments,
                              const char* environment) {
  constexpr std::string_view kHostOption = "--template-host";
  auto refuse = [program](std::string_view what) {
    std::string message(program);
    message += ": ";
    message += what;
    message += "\nTry '";
    message += program;
    message += " --help' for its usage.\n";
    return StartRequest{
        .action = StartRequest::Action::Refuse, .templateHost = {}, .message = message};
  };
  std::optional<std::string> host;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "-h" || argument == "--help") {
      return {.action = StartRequest::Action::ShowHelp,
              .templateHost = {},
              .message = UsageText(program)};
    }
    if (argument == "-v" || argument == "--version") {
      return {.action = StartRequest::Action::ShowVersion,
              .templateHost = {},
              .message = VersionText(program)};
    }
    if (argument == kHostOption) {
      if (i + 1 == arguments.size()) {
        return refuse("--template-host needs a value: HOST[:PORT]");
      }
      host = arguments[++i];
    } else if (argument.starts_with(kHostOption) && argument[kHostOption.size()] == '=') {
      host = argument.substr(kHostOption.size() + 1);
    } else {
      return refuse("unknown option \"" + argument + "\"");
    }
  }
  return CheckedTemplateHost(program, host, environment);
}

}  // namespace zarvo
