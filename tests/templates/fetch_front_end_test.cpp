// The template fetch in the real Qt front end against a real server on a free
// port, given as the start-up's template host: the window stays usable while
// the fetch waits, and generates with the built-in templates until the
// fetched ones arrive.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "app/qt/qt_app.hpp"
#include "conversion/convert.hpp"
#include "conversion/generate_action.hpp"
#include "platform/posix/http_curl.hpp"
#include "support/gbk_literals.hpp"
#include "support/http_test_server.hpp"
#include "templates/builtin_templates.hpp"
#include "templates/template_fetch.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using namespace std::chrono_literals;
using test::G;
using test::HttpTestServer;

// Runs the event loop until the condition holds; false on time-out.
bool ProcessEventsUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeOut) {
  const auto deadline = std::chrono::steady_clock::now() + timeOut;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    QTest::qWait(10);
  }
  return true;
}

TEST(FetchFrontEndTest, GenerateWorksWhileTheFetchWaitsAndLateTemplatesArrive) {
  HttpTestServer server;
  server.Script(std::string(kPreviewTemplatePath), {{.body = "<p>582064937</p>"}});
  server.Script(std::string(kArea750TemplatePath), {{.body = "[750:582064937]", .hold = true}});
  server.Script(std::string(kArea190TemplatePath), {{.body = "[190:582064937]"}});
  CurlHttpClient http;  // outlives the worker, which ends before the test does
  QtApp app(QtAppOptions{.http = &http, .templateHost = server.Host()});
  ToolWindow& model = app.model();
  app.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.window()));
  model.SetText(编辑框1, "code");

  // The worker now waits for the 750-area template.
  ASSERT_TRUE(ProcessEventsUntil([&] { return server.Requests().size() == 2; }, 10s));
  EXPECT_EQ(model.Text(编辑框8), "<p>582064937</p>");

  QTest::mouseClick(app.window().Widget(按钮1), Qt::LeftButton);
  EXPECT_TRUE(model.Visible(透明标签生成结果));
  // No 750-area template yet: the built-in one stands in, the holder stays empty.
  EXPECT_EQ(model.Text(编辑框3), ConvertCode(BuiltinTemplates(), 0, model.Text(编辑框4),
                                             model.Text(编辑框5), model.Text(编辑框6), "code"));
  EXPECT_EQ(model.Text(透明标签生成结果), G(kBuiltinTemplatesUsed));
  EXPECT_EQ(model.Text(编辑框9), "");
  EXPECT_EQ(model.Text(按钮1), G("生成并复制"));
  EXPECT_TRUE(app.window().Widget(按钮1)->isEnabled());
  EXPECT_EQ(server.Requests().size(), 2u);  // the fetch is still waiting

  server.Release();
  ASSERT_TRUE(ProcessEventsUntil([&] { return !model.Text(编辑框7).empty(); }, 10s));
  EXPECT_EQ(model.Text(编辑框9), "[750:582064937]");
  QTest::mouseClick(app.window().Widget(按钮1), Qt::LeftButton);
  EXPECT_EQ(model.Text(编辑框3), "[750:code]");
  EXPECT_EQ(model.Text(透明标签生成结果), G(kGeneratedAndCopied));
  EXPECT_EQ(server.Requests().size(), 3u);
}

}  // namespace
}  // namespace zarvo
