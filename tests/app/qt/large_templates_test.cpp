// Templates of the largest size a fetch takes, delivered by a real server on
// the template host through the real fetch of the Qt front end: the window
// thread must keep its pace while they arrive, and the holders get them whole.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

#include "app/qt/qt_app.hpp"
#include "support/gbk_literals.hpp"
#include "support/http_test_server.hpp"
#include "templates/template_fetch.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using namespace std::chrono_literals;

constexpr size_t kTemplateBytes = size_t{16} * 1024 * 1024;

// A template of that size as a shop's would look: markup, Chinese text, CR LF
// line ends and the placeholder tokens, repeated.
std::string LargeTemplate(std::string_view tag) {
  const std::string line =
      test::G("<div class=\"" + std::string(tag) +
              "\" style=\"height:高度px;margin-top:间距px\">店铺装修 582064937</div>\r\n");
  std::string text;
  text.reserve(kTemplateBytes);
  while (text.size() + line.size() <= kTemplateBytes) {
    text += line;
  }
  text.append(kTemplateBytes - text.size(), 'x');
  return text;
}

// The peak resident memory of this process so far, in MiB (Linux).
long PeakMemoryMiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long kib = 0;
  while (status >> key) {
    if (key == "VmHWM:") {
      status >> kib;
      return kib / 1024;
    }
  }
  return -1;
}

TEST(LargeTemplatesTest, WindowThreadKeepsItsPaceWhileLargeTemplatesArrive) {
  const std::string preview = LargeTemplate("preview");
  const std::string area750 = LargeTemplate("a750");
  const std::string area190 = LargeTemplate("a190");
  const auto server = std::make_unique<test::HttpTestServer>();  // on a free port
  server->Script(std::string(kPreviewTemplatePath), {{.body = preview}});
  server->Script(std::string(kArea750TemplatePath), {{.body = area750}});
  server->Script(std::string(kArea190TemplatePath), {{.body = area190}});
  const long memoryBefore = PeakMemoryMiB();

  // A timer of the window thread: how late its ticks come is how long the
  // thread was kept from its events.
  constexpr int kTickMs = 10;
  QElapsedTimer clock;
  qint64 lastTick = 0;
  qint64 worstLateness = 0;
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  ticker.setInterval(kTickMs);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    worstLateness = std::max(worstLateness, now - lastTick - kTickMs);
    lastTick = now;
  });

  // The real services: curl, a detached worker, the window thread.
  QtApp app(QtAppOptions{.templateHost = server->Host()});
  ToolWindow& model = app.model();
  app.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.window()));
  clock.start();
  ticker.start();
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (model.Text(编辑框7).size() != area190.size() &&
         std::chrono::steady_clock::now() < deadline) {
    QTest::qWait(kTickMs);
  }
  ticker.stop();
  const qint64 took = clock.elapsed();

  std::printf(
      "three templates of %zu bytes arrived in %lld ms; window thread late by at most "
      "%lld ms; peak memory %ld MiB before, %ld MiB after\n",
      kTemplateBytes, static_cast<long long>(took), static_cast<long long>(worstLateness),
      memoryBefore, PeakMemoryMiB());
  EXPECT_EQ(model.Text(编辑框8), preview);
  EXPECT_EQ(model.Text(编辑框9), area750);
  EXPECT_EQ(model.Text(编辑框7), area190);
  EXPECT_LT(worstLateness, 1000);  // a generous bound: the figure is printed above
  EXPECT_EQ(server->RequestedPaths().size(), 3u);
}

}  // namespace
}  // namespace zarvo
