// The preview button in the real Qt window hands yl.htm beside the program to
// the desktop's opener, here a recording xdg-open put first on PATH. Runs on
// the X display: the offscreen platform has no opener at all.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "app/qt/qt_app.hpp"
#include "support/fakes.hpp"

namespace zarvo {
namespace {

using enum ControlId;

TEST(QtPreviewTest, PreviewClickOpensPageBesideProgram) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) {
    FAIL() << "no X display: run the tests under xvfb-run";
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  static int argc = 1;
  static char name[] = "preview_test";
  static char* argv[] = {name, nullptr};
  QApplication application(argc, argv);

  QTemporaryDir bin;
  ASSERT_TRUE(bin.isValid());
  const QString record = bin.filePath(QStringLiteral("opened"));
  const QString opener = bin.filePath(QStringLiteral("xdg-open"));
  {
    QFile script(opener);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    // One argument per line; renamed into place so that a reader never sees
    // half of it.
    script.write(
        QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.part' && mv '%1.part' '%1'\n")
            .arg(record)
            .toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);

  test::DeferredThreads threads;
  QtApp app(QtAppOptions{.threads = &threads});
  app.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.window()));
  auto* preview = qobject_cast<QPushButton*>(app.window().Widget(按钮2));
  ASSERT_NE(preview, nullptr);
  ASSERT_EQ(preview->text(), QStringLiteral("实时预览"));

  QTest::mouseClick(preview, Qt::LeftButton);

  QDeadlineTimer deadline(10000);
  while (!QFile::exists(record) && !deadline.hasExpired()) {
    QTest::qWait(20);
  }
  qputenv("PATH", path);
  QFile recorded(record);
  ASSERT_TRUE(recorded.open(QIODevice::ReadOnly)) << "xdg-open was not run";
  const QStringList arguments =
      QString::fromUtf8(recorded.readAll()).split(u'\n', Qt::SkipEmptyParts);
  ASSERT_EQ(arguments.size(), 1) << arguments.join(u' ').toStdString();
  // The opener takes a file URL or a plain path.
  const QUrl url(arguments[0]);
  const QString opened = url.isLocalFile() ? url.toLocalFile() : arguments[0];
  EXPECT_EQ(opened, QApplication::applicationDirPath() + QStringLiteral("/yl.htm"));
}

}  // namespace
}  // namespace zarvo
