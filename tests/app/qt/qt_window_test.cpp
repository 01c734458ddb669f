// The real Qt window, driven with real input events on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/qt/qt_app.hpp"
#include "platform/qt/qt_text.hpp"
#include "support/fakes.hpp"
#include "support/gbk_literals.hpp"
#include "support/test_files.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using test::G;
using test::ReadFile;

QString ShownText(QWidget* widget) {
  if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
    return box->toPlainText();
  }
  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    return line->text();
  }
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    return label->text();
  }
  if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    return group->title();
  }
  if (auto* button = qobject_cast<QPushButton*>(widget)) {
    return button->text();
  }
  return {};
}

class QtWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<QtApp>(QtAppOptions{.threads = &threads_});
    app_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app_->window()));
  }
  void TearDown() override { app_.reset(); }

  QWidget* W(ControlId id) { return app_->window().Widget(id); }
  template <typename T>
  T* As(ControlId id) {
    return qobject_cast<T*>(W(id));
  }

  test::DeferredThreads threads_;  // no template fetch in these tests
  std::unique_ptr<QtApp> app_;
};

TEST_F(QtWindowTest, WindowIsBuiltFromTheControlTable) {
  QtToolWindow& window = app_->window();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Zarvo750突破工具"));
  EXPECT_EQ(window.frameGeometry().size(), QSize(752, 490));  // outer size, frame included
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_EQ(window.palette().color(QPalette::Window), QColor(255, 255, 255));
  for (const ControlEntry& entry : ControlTable()) {
    QWidget* widget = W(entry.id);
    if (entry.kind == ControlKind::Timer || entry.kind == ControlKind::FileDialog) {
      EXPECT_EQ(widget, nullptr);
      continue;
    }
    SCOPED_TRACE(std::string(entry.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->objectName(), FromUtf8(entry.name));
    EXPECT_EQ(widget->geometry(),
              QRect(entry.place.left, entry.place.top, entry.place.width, entry.place.height));
    QWidget* container = entry.container ? W(*entry.container) : &window;
    EXPECT_EQ(widget->parentWidget(), container);
    EXPECT_EQ(widget->isVisibleTo(&window), entry.visible);
    EXPECT_EQ(ShownText(widget), FromUtf8(entry.text).replace(QStringLiteral("\r\n"), "\n"));
  }
  EXPECT_EQ(As<QComboBox>(组合框3)->currentText(), QStringLiteral("950"));
  EXPECT_EQ(As<QComboBox>(组合框2)->count(), 4);
  const QFont bold = W(按钮1)->font();
  EXPECT_TRUE(bold.bold());
  EXPECT_EQ(bold.pixelSize(), 12);
  EXPECT_FALSE(W(按钮3)->font().bold());
  EXPECT_EQ(W(透明标签生成结果)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST_F(QtWindowTest, GenerateClickFillsOutputClipboardAndPreview) {
  app_->model().SetText(编辑框9, G("<div style=\"height:高度px\">582064937</div>"));
  app_->model().SetText(编辑框8, G("<html>582064937</html>"));
  auto* code = As<QPlainTextEdit>(编辑框1);
  code->setFocus();
  QTest::keyClicks(code, "<b>");
  code->insertPlainText(QStringLiteral("店✓"));  // as a paste would
  QTest::keyClick(code, Qt::Key_Return);
  QTest::keyClicks(code, "</b>");
  const std::filesystem::path preview = PreviewFilePath(ProgramDirectory());
  std::filesystem::remove(preview);

  QTest::mouseClick(W(按钮1), Qt::LeftButton);

  const std::string output = "<div style=\"height:580px\"><b>店&#10003;\r\n</b></div>";
  EXPECT_EQ(GbkToUtf8(app_->model().Text(编辑框3)), output);
  EXPECT_EQ(As<QPlainTextEdit>(编辑框3)->toPlainText(),
            FromUtf8(output).replace(QStringLiteral("\r\n"), "\n"));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), FromUtf8(output));
  EXPECT_EQ(ReadFile(preview), G("<html>" + output + "</html>"));
  EXPECT_TRUE(W(透明标签生成结果)->isVisible());
  EXPECT_EQ(ShownText(W(按钮1)), QStringLiteral("生成并复制"));
  EXPECT_TRUE(W(按钮1)->isEnabled());
  std::filesystem::remove(preview);
}

TEST_F(QtWindowTest, EscapeFromTheCodeBoxClosesTheWindow) {
  auto* code = As<QPlainTextEdit>(编辑框1);
  code->setFocus();
  QTest::keyClicks(code, "typing");
  QTest::keyClick(code, Qt::Key_Escape);
  EXPECT_FALSE(app_->window().isVisible());
}

TEST_F(QtWindowTest, EscapeWithAModifierDoesNotClose) {
  QTest::keyClick(W(编辑框5), Qt::Key_Escape, Qt::ShiftModifier);
  EXPECT_TRUE(app_->window().isVisible());
}

TEST_F(QtWindowTest, EnterInsertsLineBreakAndClicksNoButton) {
  auto* height = As<QLineEdit>(编辑框5);
  height->setFocus();
  QTest::keyClick(height, Qt::Key_Return);
  EXPECT_FALSE(W(透明标签生成结果)->isVisible());  // the generate button was not clicked
  auto* code = As<QPlainTextEdit>(编辑框1);
  code->setFocus();
  QTest::keyClicks(code, "a");
  QTest::keyClick(code, Qt::Key_Return);
  QTest::keyClicks(code, "b");
  EXPECT_EQ(app_->model().Text(编辑框1), "a\r\nb");
  EXPECT_EQ(QApplication::focusWidget(), code);
}

TEST_F(QtWindowTest, DoubleClickEmptiesTheCodeBox) {
  auto* code = As<QPlainTextEdit>(编辑框1);
  QTest::keyClicks(code, "<div>code</div>");
  QTest::mouseDClick(code->viewport(), Qt::LeftButton);
  EXPECT_EQ(code->toPlainText(), QString());
  EXPECT_EQ(app_->model().Text(编辑框1), "");
}

TEST_F(QtWindowTest, TabMovesAmongShownControls) {
  W(编辑框5)->setFocus();
  QWidget* start = QApplication::focusWidget();
  std::vector<QWidget*> visited;
  for (int i = 0; i < 20; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.push_back(QApplication::focusWidget());
  }
  EXPECT_NE(std::find(visited.begin(), visited.end(), start), visited.end());
  EXPECT_NE(std::find(visited.begin(), visited.end(), W(编辑框1)), visited.end());
  for (QWidget* widget : visited) {
    EXPECT_TRUE(widget->isVisible()) << widget->objectName().toStdString();
  }
}

TEST_F(QtWindowTest, ArrowKeyOnClosedSelectorIsAPick) {
  int picks = 0;
  app_->model().On(组合框2, Event::ItemChosen, [&](ToolWindow&) { ++picks; });
  QTest::keyClick(W(组合框2), Qt::Key_Down);
  EXPECT_EQ(picks, 1);
  EXPECT_EQ(app_->model().Selection(组合框2), 1);
}

TEST_F(QtWindowTest, HandlerWritesShowWithoutRaisingEvents) {
  int picks = 0;
  app_->model().On(组合框3, Event::ItemChosen, [&](ToolWindow&) { ++picks; });
  app_->model().SetSelection(组合框3, 0);
  app_->model().SetText(编辑框6, "-574");
  app_->model().SetVisible(编辑框4, true);
  EXPECT_EQ(picks, 0);
  EXPECT_EQ(As<QComboBox>(组合框3)->currentText(), QStringLiteral("全屏"));
  EXPECT_EQ(As<QLineEdit>(编辑框6)->text(), QStringLiteral("-574"));
  EXPECT_TRUE(W(编辑框4)->isVisible());
  // A set text is no user edit: the model keeps its own bytes.
  app_->model().SetText(编辑框9, "a\rb");
  EXPECT_EQ(app_->model().Text(编辑框9), "a\rb");
}

TEST_F(QtWindowTest, ReadButtonTakesTheLargestHeight) {
  auto* code = As<QPlainTextEdit>(编辑框1);
  code->setPlainText(
      QStringLiteral("<div style=\"height:300px\">\n<div style=\"height: 580px\">模块</div>\n"
                     "<img height=450></div>"));
  QTest::mouseClick(W(超级按钮1), Qt::LeftButton);
  EXPECT_EQ(As<QLineEdit>(编辑框5)->text(), QStringLiteral("580"));

  code->setPlainText(QStringLiteral("<p>没有高度</p>"));
  QTest::mouseClick(W(超级按钮1), Qt::LeftButton);
  EXPECT_EQ(As<QLineEdit>(编辑框5)->text(), QString());
  EXPECT_EQ(app_->model().Text(编辑框5), "");
}

// Without a CJK font every Chinese character draws as the same box.
TEST_F(QtWindowTest, ChineseCaptionsRender) {
  const auto render = [](const QString& text) {
    QLabel label(text);
    label.setFont(QApplication::font());
    label.resize(40, 40);
    return label.grab().toImage();
  };
  const QImage a = render(QStringLiteral("中"));
  const QImage b = render(QStringLiteral("文"));
  ASSERT_EQ(a.size(), b.size());
  int differing = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      differing += a.pixel(x, y) != b.pixel(x, y);
    }
  }
  EXPECT_GT(differing, a.width() * a.height() / 50);
}

}  // namespace
}  // namespace zarvo
