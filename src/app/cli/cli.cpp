#include "app/cli/cli.hpp"

#include <functional>
#include <map>
#include <stdexcept>

#include "app/tool_window.hpp"
#include "app/version.hpp"
#include "conversion/convert.hpp"
#include "conversion/text.hpp"
#include "height/height_detection.hpp"
#include "platform/gbk.hpp"
#include "templates/builtin_templates.hpp"
#include "templates/template_fetch.hpp"
#include "templates/template_host.hpp"

namespace zarvo {
namespace {

using enum ControlId;

constexpr std::string_view kProgram = "zarvo750-cli";

// A refusal of the command line or of a file: its one-line message.
struct CliError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

enum class Command : uint8_t { Convert, Height, Placeholder, Fetch };

const std::map<std::string_view, Command> kCommands = {
    {"convert", Command::Convert},
    {"height", Command::Height},
    {"placeholder", Command::Placeholder},
    {"fetch", Command::Fetch},
};

struct OptionRule {
  std::vector<Command> commands;  // empty: every command
};

const std::map<std::string_view, OptionRule> kValueOptions = {
    {"--area", {{Command::Convert}}},
    {"--width", {{Command::Convert}}},
    {"--spacing", {{Command::Convert}}},
    {"--height", {{Command::Convert, Command::Placeholder}}},
    {"--offset", {{Command::Convert}}},
    {"--template", {{Command::Convert}}},
    {"--preview", {{Command::Convert}}},
    {"--output", {{Command::Convert}}},
    {"--template-host", {}},
    {"--encoding", {}},
};

struct CommandLine {
  std::optional<Command> command;
  std::string commandName;
  std::map<std::string, std::string> options;  // by long name
  std::vector<std::string> operands;
  bool help = false;
  bool version = false;

  std::optional<std::string> Option(const std::string& name) const {
    const auto it = options.find(name);
    return it == options.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
};

CommandLine Parse(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument == "-" || argument.size() < 2 || argument[0] != '-') {
      if (!line.command && line.commandName.empty()) {
        const auto it = kCommands.find(argument);
        if (it == kCommands.end()) {
          throw CliError("unknown command " + Quoted(argument) +
                         " (convert, height, placeholder or fetch)");
        }
        line.command = it->second;
        line.commandName = argument;
      } else {
        line.operands.push_back(argument);
      }
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "--help") {
      line.help = true;
      continue;
    }
    if (argument == "--version") {
      line.version = true;
      continue;
    }
    std::string name = argument == "-o" ? "--output" : argument;
    std::optional<std::string> value;
    if (const size_t equals = name.find('=');
        name.starts_with("--") && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    if (!kValueOptions.contains(name)) {
      throw CliError("unknown option " + Quoted(argument));
    }
    if (!value) {
      if (i + 1 >= arguments.size()) {
        throw CliError("the option " + name + " needs a value");
      }
      value = arguments[++i];
    }
    line.options[name] = *value;
  }
  if (line.help || line.version) {
    return line;
  }
  if (!line.command) {
    throw CliError("no command given (convert, height, placeholder or fetch)");
  }
  for (const auto& [name, value] : line.options) {
    const std::vector<Command>& commands = kValueOptions.at(name).commands;
    if (!commands.empty() &&
        std::find(commands.begin(), commands.end(), *line.command) == commands.end()) {
      throw CliError("the option " + name + " does not go with the command " + line.commandName);
    }
  }
  return line;
}

// The value of an option that takes one of a few words.
std::string OneOf(const CommandLine& line, const std::string& name,
                  const std::vector<std::string_view>& words, std::string_view fallback) {
  const std::optional<std::string> value = line.Option(name);
  if (!value) {
    return std::string(fallback);
  }
  if (std::find(words.begin(), words.end(), *value) == words.end()) {
    std::string allowed;
    for (std::string_view word : words) {
      allowed += allowed.empty() ? "" : " or ";
      allowed += word;
    }
    throw CliError("invalid value " + Quoted(*value) + " for " + name + " (" + allowed + ")");
  }
  return *value;
}

// Texts typed on the command line arrive as UTF-8 (the terminal's, or the wide
// command line of Windows) and go into the conversion as GBK; bytes that are
// not UTF-8 are taken as GBK already.
std::string TypedText(std::string_view argument) {
  return InvalidUtf8Offset(argument) ? std::string(argument) : Utf8ToGbk(argument);
}

class Session {
 public:
  Session(const CommandLine& line, CliSystem& system) : line_(line), system_(system) {
    utf8_ = OneOf(line, "--encoding", {"gbk", "utf-8"}, "gbk") == "utf-8";
    host_ = ChooseTemplateHost(line.Option("--template-host"),
                               EnvironmentHost() ? EnvironmentHost()->c_str() : nullptr);
    if (const std::optional<std::string> error = TemplateHostError(host_)) {
      throw CliError(*error);
    }
  }

  int Run() {
    switch (*line_.command) {
      case Command::Convert:
        return Convert();
      case Command::Height:
        return Height();
      case Command::Placeholder:
        return Placeholder();
      case Command::Fetch:
        return Fetch();
    }
    return kExitError;
  }

 private:
  const std::optional<std::string>& EnvironmentHost() {
    if (!environmentRead_) {
      environmentHost_ = system_.Environment("ZARVO_TEMPLATE_HOST");
      environmentRead_ = true;
    }
    return environmentHost_;
  }

  // The one input file of convert and height.
  std::string InputOperand() {
    if (line_.operands.size() > 1) {
      throw CliError("more than one input file: " + Quoted(line_.operands[1]));
    }
    return line_.operands.empty() ? "-" : line_.operands[0];
  }

  // Text read from a file (or "-", standard input), as GBK.
  std::string ReadText(const std::string& path, std::string_view what) {
    std::string error;
    const std::optional<std::string> bytes =
        path == "-" ? system_.ReadStandardInput(error) : system_.ReadFile(path, error);
    const std::string shown =
        path == "-" ? "standard input" : "the " + std::string(what) + " " + Quoted(path);
    if (!bytes) {
      throw CliError("cannot read " + shown + ": " + error);
    }
    if (!utf8_) {
      return *bytes;
    }
    if (const std::optional<size_t> offset = InvalidUtf8Offset(*bytes)) {
      throw CliError(shown + " is not valid UTF-8 at byte " + std::to_string(*offset));
    }
    // An editor's byte order mark is no part of the code.
    std::string_view text = *bytes;
    if (text.starts_with("\xEF\xBB\xBF")) {
      text.remove_prefix(3);
    }
    return Utf8ToGbk(text);
  }

  std::string Encoded(std::string_view gbk) const {
    return utf8_ ? GbkToUtf8(gbk) : std::string(gbk);
  }

  // The files of one command are all written, or none of them is changed.
  struct Output {
    std::string path;
    std::string bytes;
  };
  void WriteAll(const std::vector<Output>& outputs) {
    std::vector<std::string> temporaries;
    auto dropTemporaries = [&] {
      for (const std::string& temporary : temporaries) {
        system_.Remove(temporary);
      }
    };
    for (const Output& output : outputs) {
      std::string error;
      const std::optional<std::string> temporary =
          system_.WriteTemporary(output.path, output.bytes, error);
      if (!temporary) {
        dropTemporaries();
        throw CliError("cannot write " + Quoted(output.path) + ": " + error);
      }
      temporaries.push_back(*temporary);
    }
    for (size_t i = 0; i < outputs.size(); ++i) {
      std::string error;
      if (!system_.Replace(temporaries[i], outputs[i].path, error)) {
        temporaries.erase(temporaries.begin(), temporaries.begin() + static_cast<long>(i));
        dropTemporaries();
        throw CliError("cannot write " + Quoted(outputs[i].path) + ": " + error);
      }
    }
  }

  void Print(std::string_view bytes) {
    if (!system_.WriteStandardOutput(bytes)) {
      throw CliError("cannot write to standard output");
    }
  }

  // The three holders after the fetch the window makes when it opens.
  struct Fetched {
    std::string previewTemplate;
    std::string area750Template;
    std::string area190Template;
  };
  Fetched FetchAll() {
    // The fetcher hands every holder access to the window thread; here the
    // one thread is both.
    struct InlineThread final : WindowThread {
      void RunAndWait(const std::function<void()>& task) override { task(); }
    } thread;
    ToolWindow window;
    FetchTemplates(window, thread, system_.Http(), host_);
    return {window.Text(编辑框8), window.Text(编辑框9), window.Text(编辑框7)};
  }

  std::string FetchOne(std::string_view path) {
    const std::optional<std::string> body = system_.Http().FetchUrlBody(TemplateUrl(host_, path));
    return body ? TemplateText(*body) : std::string();
  }

  // A template that did not arrive gives way to the built-in one, and the
  // user learns which.
  std::string OrBuiltin(std::string fetched, std::string_view name, std::string_view path,
                        const std::string& builtin) {
    if (!fetched.empty()) {
      return fetched;
    }
    system_.WriteError(std::string(kProgram) + ": could not fetch the " + std::string(name) +
                       " from " + TemplateUrl(host_, path) + "; using the built-in one");
    return builtin;
  }

  int Convert() {
    const std::string area = OneOf(line_, "--area", {"750", "190"}, "750");
    const std::string width =
        OneOf(line_, "--width", {"full", "950"}, area == "190" ? "full" : "950");
    if (area == "190" && width == "950") {
      throw CliError("--width 950 does not go with --area 190, which takes full-width code only");
    }
    const int targetArea = area == "750" ? 0 : 1;
    const std::string code = ReadText(InputOperand(), "input file");

    const std::optional<std::string> templateFile = line_.Option("--template");
    const std::optional<std::string> previewFile = line_.Option("--preview");
    std::string areaTemplate;
    if (templateFile) {
      areaTemplate = ReadText(*templateFile, "template file");
      if (areaTemplate.empty()) {
        // An empty template would make an empty module and call it done.
        throw CliError("the template file " + Quoted(*templateFile) + " is empty");
      }
    }

    const TemplateSet& builtin = BuiltinTemplates();
    std::string previewTemplate;
    if (!templateFile) {
      Fetched fetched = FetchAll();
      areaTemplate = targetArea == 0
                         ? OrBuiltin(std::move(fetched.area750Template), "750-area template",
                                     kArea750TemplatePath, builtin.area750Template)
                         : OrBuiltin(std::move(fetched.area190Template), "190-area template",
                                     kArea190TemplatePath, builtin.area190Template);
      previewTemplate = std::move(fetched.previewTemplate);
    } else if (previewFile) {
      previewTemplate = FetchOne(kPreviewTemplatePath);
    }
    if (previewFile) {
      previewTemplate = OrBuiltin(std::move(previewTemplate), "preview template",
                                  kPreviewTemplatePath, builtin.previewTemplate);
    }

    TemplateSet templates;
    (targetArea == 0 ? templates.area750Template : templates.area190Template) = areaTemplate;
    const std::optional<std::string> heightOption = line_.Option("--height");
    std::string height = Utf8ToGbk("580");
    if (heightOption == "auto") {
      height = DetectModuleHeight(code);
      if (height.empty()) {
        system_.WriteError(std::string(kProgram) +
                           ": no height found in the code; the module height is left empty");
      }
    } else if (heightOption) {
      height = TypedText(*heightOption);
    }
    const std::string defaultOffset = area == "190" ? "-94" : width == "full" ? "-574" : "-200";
    const std::string offset = TypedText(line_.Option("--offset").value_or(defaultOffset));
    const std::string spacing = TypedText(line_.Option("--spacing").value_or("0"));

    const std::string output = ConvertCode(templates, targetArea, spacing, height, offset, code);
    std::vector<Output> files;
    if (const std::optional<std::string> outputFile = line_.Option("--output")) {
      files.push_back({*outputFile, Encoded(output)});
    }
    if (previewFile) {
      files.push_back({*previewFile, Encoded(BuildPreviewPage(previewTemplate, output))});
    }
    WriteAll(files);
    if (!line_.Option("--output")) {
      Print(Encoded(output));
    }
    return kExitOk;
  }

  int Height() {
    const std::string height = DetectModuleHeight(ReadText(InputOperand(), "input file"));
    if (height.empty()) {
      return kExitNotFound;
    }
    Print(Encoded(height) + "\n");
    return kExitOk;
  }

  int Placeholder() {
    if (!line_.operands.empty()) {
      throw CliError("placeholder takes no file: " + Quoted(line_.operands[0]));
    }
    ToolWindow window;
    const std::string height = TypedText(line_.Option("--height").value_or("580"));
    // The placeholder box's own table, as the placeholder button fills it.
    Print(Encoded(SubstituteText(window.Text(编辑框10), kHeightToken, height, 1, 1, false)) + "\n");
    return kExitOk;
  }

  int Fetch() {
    if (line_.operands.size() != 1) {
      throw CliError(line_.operands.empty()
                         ? "fetch needs the directory to fetch into"
                         : "fetch takes one directory, not " + Quoted(line_.operands[1]));
    }
    const std::string& directory = line_.operands[0];
    const Fetched fetched = FetchAll();
    const struct {
      std::string_view path;
      const std::string& text;
    } templates[] = {
        {kPreviewTemplatePath, fetched.previewTemplate},
        {kArea750TemplatePath, fetched.area750Template},
        {kArea190TemplatePath, fetched.area190Template},
    };
    std::vector<Output> files;
    for (const auto& t : templates) {
      if (t.text.empty()) {
        system_.WriteError(std::string(kProgram) + ": could not fetch " +
                           TemplateUrl(host_, t.path));
        continue;
      }
      const std::string path = directory + std::string(t.path);
      std::string error;
      const std::string parent = path.substr(0, path.rfind('/'));
      if (!system_.CreateDirectories(parent, error)) {
        throw CliError("cannot create the directory " + Quoted(parent) + ": " + error);
      }
      files.push_back({path, Encoded(t.text)});
    }
    WriteAll(files);
    return files.size() == std::size(templates) ? kExitOk : kExitNotFound;
  }

  const CommandLine& line_;
  CliSystem& system_;
  bool utf8_ = false;
  std::string host_;
  bool environmentRead_ = false;
  std::optional<std::string> environmentHost_;
};

}  // namespace

std::optional<size_t> InvalidUtf8Offset(std::string_view text) {
  const auto byte = [&text](size_t at) { return static_cast<unsigned char>(text[at]); };
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = byte(i);
    size_t length = 0;
    unsigned char low = 0x80;  // the range of the byte after the lead byte
    unsigned char high = 0xBF;
    if (lead < 0x80) {
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
      high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      low = lead == 0xF0 ? 0x90 : 0x80;
      high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
      return i;
    }
    for (size_t k = 1; k < length; ++k) {
      if (i + k >= text.size()) {
        return i;
      }
      const unsigned char next = byte(i + k);
      if (k == 1 ? (next < low || next > high) : (next < 0x80 || next > 0xBF)) {
        return i;
      }
    }
    i += length;
  }
  return std::nullopt;
}

int RunCli(const std::vector<std::string>& arguments, CliSystem& system) {
  try {
    const CommandLine line = Parse(arguments);
    if (line.help) {
      return system.WriteStandardOutput(kUsage) ? kExitOk : kExitError;
    }
    if (line.version) {
      return system.WriteStandardOutput(std::string(kVersion) + "\n") ? kExitOk : kExitError;
    }
    return Session(line, system).Run();
  } catch (const CliError& error) {
    system.WriteError(std::string(kProgram) + ": " + error.what());
    return kExitError;
  }
}

}  // namespace zarvo
