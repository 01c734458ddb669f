// Every confirmed pick on a real selector applies its preset: in the opened
// list by mouse or Enter, also of the item already shown, and with the wheel on
// the closed selector.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include "app/qt/qt_app.hpp"
#include "platform/gbk.hpp"
#include "support/fakes.hpp"

namespace zarvo {
namespace {

using enum ControlId;

class QtSelectorPicksTest : public testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<QtApp>(QtAppOptions{.threads = &threads_});
    app_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app_->window()));
  }

  QComboBox* Box(ControlId id) { return qobject_cast<QComboBox*>(app_->window().Widget(id)); }
  QLineEdit* Line(ControlId id) { return qobject_cast<QLineEdit*>(app_->window().Widget(id)); }
  std::string ModelText(ControlId id) { return GbkToUtf8(app_->model().Text(id)); }

  // Opens the list and waits until it takes input.
  QAbstractItemView* OpenList(QComboBox* box) {
    box->showPopup();
    QAbstractItemView* view = box->view();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    return view;
  }

  test::DeferredThreads threads_;
  std::unique_ptr<QtApp> app_;
};

TEST_F(QtSelectorPicksTest, EnterOnShownItemInOpenListAppliesPresetAgain) {
  QLineEdit* offset = Line(编辑框6);
  offset->setFocus();
  offset->selectAll();
  QTest::keyClicks(offset, "-123");
  ASSERT_EQ(ModelText(编辑框6), "-123");

  QComboBox* width = Box(组合框3);
  ASSERT_EQ(width->currentIndex(), 1);  // "950"
  QAbstractItemView* view = OpenList(width);
  QTest::keyClick(view, Qt::Key_Return);

  EXPECT_FALSE(view->isVisible());
  EXPECT_EQ(ModelText(编辑框6), "-200");
  EXPECT_EQ(offset->text(), QStringLiteral("-200"));
}

TEST_F(QtSelectorPicksTest, ClickInOpenListAppliesPresetAndShowsIt) {
  QComboBox* area = Box(组合框1);
  QAbstractItemView* view = OpenList(area);
  const QPoint item = view->visualRect(view->model()->index(1, 0)).center();  // "190区"
  QTest::mouseMove(view->viewport(), item);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item);

  EXPECT_EQ(app_->model().Selection(组合框1), 1);
  EXPECT_EQ(ModelText(编辑框6), "-94");
  EXPECT_EQ(Line(编辑框6)->text(), QStringLiteral("-94"));
  EXPECT_FALSE(Box(组合框3)->isEnabled());
  EXPECT_EQ(Box(组合框3)->currentText(), QStringLiteral("全屏"));
}

TEST_F(QtSelectorPicksTest, WheelOnClosedSelectorIsAPick) {
  QComboBox* spacing = Box(组合框2);
  spacing->setFocus();
  const QPoint centre = spacing->rect().center();
  QWheelEvent down(centre, spacing->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(spacing, &down);

  EXPECT_EQ(app_->model().Selection(组合框2), 1);
  EXPECT_EQ(ModelText(编辑框4), "-10");
  EXPECT_FALSE(app_->window().Widget(编辑框4)->isVisible());
}

}  // namespace
}  // namespace zarvo
