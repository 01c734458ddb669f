#include "platform/qt/qt_services.hpp"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QThread>
#include <QUrl>
#include <thread>

#include "platform/qt/qt_text.hpp"

namespace zarvo {

bool QtClipboard::SetText(std::string_view gbk) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) {
    return false;
  }
  const QString text = FromGbk(gbk);
  clipboard->setText(text, QClipboard::Clipboard);
  // Qt reports no failure; a clipboard that did not take the text reads back
  // something else.
  return clipboard->text(QClipboard::Clipboard) == text;
}

void QtShell::OpenWithDefaultProgram(const std::filesystem::path& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())));
}

void QtWindowThread::RunAndWait(const std::function<void()>& task) {
  if (closed_) {
    return;
  }
  if (QThread::currentThread() == thread()) {
    task();
    return;
  }
  QMetaObject::invokeMethod(
      this,
      [this, &task] {
        if (!closed_) {
          task();
        }
      },
      Qt::BlockingQueuedConnection);
}

void DetachedThreads::StartDetached(std::function<void()> task) {
  std::thread(std::move(task)).detach();
}

}  // namespace zarvo
