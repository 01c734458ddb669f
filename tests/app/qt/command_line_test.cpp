// The real zarvo750 started with command lines, as a process: what it accepts,
// what it refuses with which message, and the exit codes. Without a display
// an accepted host gets as far as the display check (exit 1), so no window
// is opened here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/version.hpp"
#include "support/test_files.hpp"

namespace zarvo {
namespace {

struct ProgramRun {
  int code = -1;
  std::string output;  // standard output and error together
};

std::string Quoted(const std::string& argument) {
  std::string quoted = "'";
  for (const char c : argument) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

ProgramRun Start(const std::vector<std::string>& arguments, const std::string& environment = {}) {
  std::string command =
      "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
      "-u ZARVO_TEMPLATE_HOST " +
      environment + " " + Quoted(ZARVO750_PROGRAM);
  for (const std::string& argument : arguments) {
    command += " " + Quoted(argument);
  }
  std::string output = test::CommandOutput(command + " 2>&1; echo \"#$?\"");
  const size_t mark = output.rfind('#');
  ProgramRun run;
  run.code = std::stoi(output.substr(mark + 1));
  run.output = output.substr(0, mark);
  return run;
}

constexpr std::string_view kNoDisplay = "no graphical display";
constexpr std::string_view kForm = "HOST[:PORT]";

struct CommandLineCase {
  const char* name;
  std::vector<std::string> arguments;
  int code;
  std::vector<std::string> says;  // parts of the message, in any order
};

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, ExitCodeAndMessage) {
  const CommandLineCase& c = GetParam();
  const ProgramRun run = Start(c.arguments);
  EXPECT_EQ(run.code, c.code) << run.output;
  for (const std::string& part : c.says) {
    EXPECT_NE(run.output.find(part), std::string::npos) << "\"" << part << "\" in " << run.output;
  }
  if (c.code == 1) {  // accepted: no complaint about the host
    EXPECT_EQ(run.output.find("invalid"), std::string::npos) << run.output;
  }
}

const std::string kHost = "--template-host";
const std::string kInvalid = "invalid template host";

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineTest,
    testing::Values(
        CommandLineCase{"Name", {kHost, "templates.example"}, 1, {std::string(kNoDisplay)}},
        CommandLineCase{"Ipv4", {kHost, "192.0.2.7:8080"}, 1, {std::string(kNoDisplay)}},
        CommandLineCase{"Ipv6", {kHost, "[::1]:8080"}, 1, {std::string(kNoDisplay)}},
        CommandLineCase{"NoPort", {kHost, "127.0.0.1"}, 1, {std::string(kNoDisplay)}},
        CommandLineCase{"EqualsForm", {kHost + "=x.example"}, 1, {std::string(kNoDisplay)}},
        CommandLineCase{"Scheme", {kHost, "http://x"}, 2, {kInvalid, "\"http://x\"", "scheme"}},
        CommandLineCase{"Space", {kHost, "a b"}, 2, {kInvalid, "\"a b\"", "spaces"}},
        CommandLineCase{"PortZero", {kHost, "x:0"}, 2, {kInvalid, "\"x:0\"", "port"}},
        CommandLineCase{"PortTooLarge", {kHost, "x:65536"}, 2, {kInvalid, "\"x:65536\"", "port"}},
        CommandLineCase{"UserName", {kHost, "user@x"}, 2, {kInvalid, "\"user@x\"", "user name"}},
        CommandLineCase{"Path", {kHost, "x/path"}, 2, {kInvalid, "\"x/path\"", "path"}},
        CommandLineCase{"Empty", {kHost, ""}, 2, {kInvalid, "\"\"", "empty"}},
        CommandLineCase{"MissingValue", {kHost}, 2, {"--template-host", "--help"}},
        CommandLineCase{"UnknownOption", {"--colour"}, 2, {"colour", "--help"}},
        CommandLineCase{"Help", {"--help"}, 0, {"Usage: zarvo750", "--template-host HOST[:PORT]"}},
        CommandLineCase{"Version", {"--version"}, 0, {"zarvo750 " + std::string(kVersion)}}),
    [](const auto& info) { return info.param.name; });

TEST(CommandLineTest, RefusalsSayTheForm) {
  for (const std::string value : {"http://x", "x:0", ""}) {
    EXPECT_NE(Start({kHost, value}).output.find(kForm), std::string::npos) << value;
  }
}

TEST(CommandLineTest, EnvironmentIsCheckedAndTheCommandLineWins) {
  const ProgramRun refused = Start({}, "ZARVO_TEMPLATE_HOST='x/path'");
  EXPECT_EQ(refused.code, 2);
  EXPECT_NE(refused.output.find("ZARVO_TEMPLATE_HOST"), std::string::npos) << refused.output;
  EXPECT_NE(refused.output.find("\"x/path\""), std::string::npos) << refused.output;

  const ProgramRun overridden = Start({kHost, "127.0.0.1:9"}, "ZARVO_TEMPLATE_HOST='x/path'");
  EXPECT_EQ(overridden.code, 1) << overridden.output;
  EXPECT_NE(overridden.output.find(kNoDisplay), std::string::npos) << overridden.output;
}

}  // namespace
}  // namespace zarvo
