// The operating-system services that the Qt front end provides.
#pragma once

#include <QObject>
#include <atomic>

#include "platform/services.hpp"

namespace zarvo {

// The clipboard of the desktop, given the text as Unicode.
class QtClipboard final : public Clipboard {
 public:
  bool SetText(std::string_view gbk) override;
};

// Opens a file with the desktop's opener (xdg-open on Linux).
class QtShell final : public Shell {
 public:
  void OpenWithDefaultProgram(const std::filesystem::path& path) override;
};

// Runs tasks on the thread of the event loop. Once closed it runs nothing
// more, so a worker that outlives the window never touches it.
class QtWindowThread final : public QObject, public WindowThread {
 public:
  void RunAndWait(const std::function<void()>& task) override;
  void Close() { closed_ = true; }

 private:
  std::atomic<bool> closed_{false};
};

class DetachedThreads final : public Threads {
 public:
  void StartDetached(std::function<void()> task) override;
};

}  // namespace zarvo
