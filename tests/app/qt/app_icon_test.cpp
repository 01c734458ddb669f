// The window shows the icon that the Linux package installs, at both sizes.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "app/qt/qt_app.hpp"
#include "support/fakes.hpp"

namespace zarvo {
namespace {

TEST(QtAppIconTest, WindowIconIsThePackagedImages) {
  test::DeferredThreads threads;  // no template fetch
  QtApp app(QtAppOptions{.threads = &threads});
  const QIcon icon = app.window().windowIcon();
  ASSERT_EQ(icon.availableSizes(), (QList<QSize>{{48, 48}, {256, 256}}));
  for (const int size : {48, 256}) {
    SCOPED_TRACE(size);
    const QImage packaged(QStringLiteral(ZARVO_ICON_DIR "/zarvo750-%1.png").arg(size));
    ASSERT_FALSE(packaged.isNull());
    EXPECT_EQ(
        icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
        packaged.convertToFormat(QImage::Format_ARGB32_Premultiplied));
  }
}

}  // namespace
}  // namespace zarvo
