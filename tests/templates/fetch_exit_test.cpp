// The real program on the X display, pointed at a test server on a free port
// by its command line or its environment: it fetches from there, and closing
// its window while the fetch worker waits on the slow server ends the process
// at once, with exit code 0.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/http_test_server.hpp"
#include "support/test_files.hpp"
#include "templates/template_fetch.hpp"

namespace zarvo {
namespace {

using namespace std::chrono_literals;
using test::HttpTestServer;

// Waits for the process to end; its wait status, or nothing on time-out.
std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds timeOut) {
  const auto deadline = std::chrono::steady_clock::now() + timeOut;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      return status;
    }
    std::this_thread::sleep_for(20ms);
  }
  return std::nullopt;
}

class FetchExitTest : public testing::TestWithParam<bool> {};  // host in the environment?

TEST_P(FetchExitTest, ClosingWhileTheWorkerWaitsExitsAtOnceWithZero) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run the tests under xvfb-run";
  HttpTestServer server;
  server.Script(std::string(kPreviewTemplatePath), {{.body = "page"}});
  server.Script(std::string(kArea750TemplatePath), {{.body = "t750", .hold = true}});

  std::string program = ZARVO750_PROGRAM;
  std::string option = "--template-host";
  std::string host = server.Host();
  std::vector<char*> argv = {program.data()};
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    if (!std::string_view(*e).starts_with("ZARVO_TEMPLATE_HOST=")) {
      environment.emplace_back(*e);
    }
  }
  if (GetParam()) {
    environment.push_back("ZARVO_TEMPLATE_HOST=" + host);
  } else {
    argv.push_back(option.data());
    argv.push_back(host.data());
  }
  argv.push_back(nullptr);
  std::vector<char*> envp;
  envp.reserve(environment.size() + 1);
  for (std::string& e : environment) {
    envp.push_back(e.data());
  }
  envp.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);

  // Once the 750-area template is asked for, the worker waits on the server.
  const bool waiting = server.WaitForRequests(2, 20s);
  const std::string window = test::CommandOutput(
      "xdotool search --sync --onlyvisible --name '^Zarvo750突破工具$' 2>/dev/null | head -n 1");
  if (waiting && !window.empty()) {
    const std::string id = window.substr(0, window.find('\n'));
    test::CommandOutput("xdotool windowfocus --sync " + id + " 2>/dev/null; xdotool key Escape");
  }
  // The server never answers; a program that waited for its worker would
  // still be running when this time is up.
  const std::optional<int> status = WaitForExit(pid, 10s);
  if (!status) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }

  ASSERT_TRUE(waiting) << "the program did not ask for the 750-area template";
  ASSERT_FALSE(window.empty()) << "the tool window did not appear";
  ASSERT_TRUE(status.has_value()) << "the program did not end when its window closed";
  ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  EXPECT_EQ(server.Requests().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Host, FetchExitTest, testing::Values(false, true), [](const auto& info) {
  return info.param ? "FromTheEnvironment" : "FromTheCommandLine";
});

}  // namespace
}  // namespace zarvo
