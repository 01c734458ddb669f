// The real program on the X display: closing its window while the fetch
// worker waits on a slow template server ends the process at once, with
// exit code 0.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "support/http_test_server.hpp"
#include "support/test_files.hpp"
#include "templates/template_fetch.hpp"
#include "templates/template_host_port.hpp"

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

TEST(FetchExitTest, ClosingWhileTheWorkerWaitsExitsAtOnceWithZero) {
  const std::optional<uint16_t> port = test::LocalTemplatePort();
  if (!port) {
    GTEST_SKIP() << "the built-in template host is not on 127.0.0.1";
  }
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run the tests under xvfb-run";
  const std::unique_ptr<HttpTestServer> listening = test::ListenOnTemplatePort(*port);
  HttpTestServer& server = *listening;
  server.Script(std::string(kPreviewTemplatePath), {{.body = "page"}});
  server.Script(std::string(kArea750TemplatePath), {{.body = "t750", .hold = true}});

  char program[] = ZARVO750_PROGRAM;
  char* argv[] = {program, nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, program, nullptr, nullptr, argv, environ), 0);

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

}  // namespace
}  // namespace zarvo
