// Measures what a large paste costs in the real Qt window: pasting the code
// into the code input box, and the generate click from the press to the
// window having painted its result. Each figure comes with its floor, measured
// in the same run: a bare QPlainTextEdit of the same settings taking the same
// text. Not a test: run it by hand, e.g.
//   QT_QPA_PLATFORM=offscreen build/default/tests/app/qt/qt_paste_measure 10 5
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/qt/qt_app.hpp"
#include "platform/qt/qt_text.hpp"
#include "support/fakes.hpp"
#include "support/gbk_literals.hpp"

namespace zarvo {
namespace {

using enum ControlId;

// Shop code of about this many GBK bytes: nested markup, Chinese product
// names, one line break per element.
QString ShopCode(size_t bytes) {
  std::string gbk;
  gbk.reserve(bytes + 256);
  for (int item = 0; gbk.size() < bytes; ++item) {
    gbk += test::G("<div class=\"item\" style=\"height:" + std::to_string(200 + item % 400) +
                   "px;width:950px\"><a href=\"https://shop.example/item/" + std::to_string(item) +
                   "\"><img src=\"p" + std::to_string(item) +
                   ".jpg\" width=\"950\"></a><p>新款连衣裙 限时特价 ¥" +
                   std::to_string(99 + item % 900) + "</p></div>\r\n");
  }
  return FromGbk(gbk).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

long ResidentMiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long kib = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> kib;
      return kib / 1024;
    }
  }
  return -1;
}

// The event loop until nothing is left to do: the widgets have laid out and
// painted what they were given.
void Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents();
  }
}

double Ms(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e6; }

struct Figures {
  double paste = 0;
  double pasteFloor = 0;
  double click = 0;
  double clickPainted = 0;
  double outputFloor = 0;
};

// A box like the code boxes of the window, alone in a window of its own.
std::unique_ptr<QPlainTextEdit> FloorBox(int width, int height) {
  auto box = std::make_unique<QPlainTextEdit>();
  box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box->resize(width, height);
  box->show();
  Settle();
  return box;
}

int Run(size_t bytes, int repetitions) {
  const QString code = ShopCode(bytes);
  test::DeferredThreads threads;  // no template fetch
  QtApp app(QtAppOptions{.threads = &threads});
  ToolWindow& model = app.model();
  model.SetText(编辑框9, test::G("<div style=\"height:高度px;margin-top:间距px\">582064937</div>"));
  model.SetText(编辑框8, test::G("<html><body>582064937</body></html>"));
  app.Show();
  if (!QTest::qWaitForWindowExposed(&app.window())) {
    std::fputs("the window was not exposed\n", stderr);
    return 1;
  }
  auto* input = static_cast<QPlainTextEdit*>(app.window().Widget(编辑框1));
  QWidget* generate = app.window().Widget(按钮1);
  const long residentAtStart = ResidentMiB();
  long residentAfter = 0;
  std::vector<Figures> runs;
  for (int run = 0; run < repetitions; ++run) {
    Figures f;
    model.SetText(编辑框1, {});
    model.SetText(编辑框3, {});
    Settle();

    // The user's paste: the code on the clipboard, Ctrl+V in the input box.
    QGuiApplication::clipboard()->setText(code);
    input->setFocus();
    QElapsedTimer clock;
    clock.start();
    input->paste();
    Settle();
    f.paste = Ms(clock);

    clock.restart();
    QTest::mouseClick(generate, Qt::LeftButton);
    f.click = Ms(clock);
    Settle();
    f.clickPainted = Ms(clock);
    residentAfter = ResidentMiB();

    const QString output =
        FromGbk(model.Text(编辑框3)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    {
      const std::unique_ptr<QPlainTextEdit> floor = FloorBox(696, 160);
      clock.restart();
      floor->setFocus();
      floor->paste();  // the code is still on the clipboard
      Settle();
      f.pasteFloor = Ms(clock);
    }
    {
      const std::unique_ptr<QPlainTextEdit> floor = FloorBox(592, 100);
      clock.restart();
      floor->setPlainText(output);
      Settle();
      f.outputFloor = Ms(clock);
    }
    std::printf(
        "run %d: paste %.1f ms (floor %.1f), click %.1f ms, painted %.1f ms "
        "(output floor %.1f)\n",
        run + 1, f.paste, f.pasteFloor, f.click, f.clickPainted, f.outputFloor);
    runs.push_back(f);
  }
  // The fastest run of each figure, as a benchmark takes it.
  const auto best = [&](double Figures::*field) {
    double value = runs.front().*field;
    for (const Figures& f : runs) {
      value = std::min(value, f.*field);
    }
    return value;
  };
  const double pasteFloor = best(&Figures::pasteFloor);
  const double outputFloor = best(&Figures::outputFloor);
  std::printf("\n%zu bytes of GBK code, fastest of %d runs, platform %s\n", bytes, repetitions,
              qPrintable(QGuiApplication::platformName()));
  std::printf("%-34s %10s %8s\n", "figure", "ms", "ratio");
  std::printf("%-34s %10.1f %7.2fx\n", "paste into the code input box", best(&Figures::paste),
              best(&Figures::paste) / pasteFloor);
  std::printf("%-34s %10.1f %7.2fx\n", "  floor: bare box pastes the code", pasteFloor, 1.0);
  std::printf("%-34s %10.1f %7.2fx\n", "generate click, handler returned", best(&Figures::click),
              best(&Figures::click) / outputFloor);
  std::printf("%-34s %10.1f %7.2fx\n", "generate click, result painted",
              best(&Figures::clickPainted), best(&Figures::clickPainted) / outputFloor);
  std::printf("%-34s %10.1f %7.2fx\n", "  floor: bare box takes the output", outputFloor, 1.0);
  std::printf("resident memory: %ld MiB at start, %ld MiB after the last generation\n",
              residentAtStart, residentAfter);
  return 0;
}

}  // namespace
}  // namespace zarvo

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  return zarvo::Run(static_cast<size_t>(megabytes * 1024 * 1024), repetitions);
}
