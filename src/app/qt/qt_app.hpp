// The Qt front end as a whole: the model, the real services and the window.
#pragma once

#include <memory>

#include "app/handlers.hpp"
#include "app/qt/qt_services.hpp"
#include "app/qt/qt_tool_window.hpp"
#include "app/tool_window.hpp"
#include "platform/platform.hpp"

namespace zarvo {

// Services a test may put in place of the real ones; empty means real.
struct QtAppOptions {
  Clipboard* clipboard = nullptr;
  Shell* shell = nullptr;
  Threads* threads = nullptr;
  HttpClient* http = nullptr;
};

class QtApp {
 public:
  // Builds the window from the control table, binds the handlers, starts the
  // status timer and raises the creation event; the window is not shown yet.
  explicit QtApp(QtAppOptions options = {});
  ~QtApp();
  QtApp(const QtApp&) = delete;
  QtApp& operator=(const QtApp&) = delete;

  void Show();
  ToolWindow& model() { return model_; }
  QtToolWindow& window() { return *window_; }

 private:
  ToolWindow model_;
  QtClipboard clipboard_;
  NativeFiles files_;
  QtShell shell_;
  // The fetch worker may outlive this object: what it touches lives as long
  // as the process.
  QtWindowThread* windowThread_;
  std::unique_ptr<Services> services_;
  std::unique_ptr<QtToolWindow> window_;
};

// The HTTP client of this platform, one for the whole run.
HttpClient& ProcessHttpClient();
Threads& ProcessThreads();

}  // namespace zarvo
