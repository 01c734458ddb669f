// The Qt front end as a whole: the model, the real services and the window.
#pragma once

#include <memory>

#include "app/qt/qt_tool_window.hpp"
#include "app/startup.hpp"
#include "app/tool_window.hpp"
#include "platform/platform.hpp"
#include "platform/qt/qt_services.hpp"

namespace zarvo {

// Services a test may put in place of the real ones; empty means real.
struct QtAppOptions {
  Clipboard* clipboard = nullptr;
  Shell* shell = nullptr;
  Threads* threads = nullptr;
  HttpClient* http = nullptr;
};

class QtApp final : public FrontEnd {
 public:
  // Starts the tool: binds the handlers, builds the window from the control
  // table, raises the creation event, starts the status timer and shows the
  // window.
  explicit QtApp(QtAppOptions options = {});
  ~QtApp() override;
  QtApp(const QtApp&) = delete;
  QtApp& operator=(const QtApp&) = delete;

  // Shows the window and makes it the active one.
  void Show() override;
  ToolWindow& model() { return model_; }
  QtToolWindow& window() { return *window_; }

  bool CreateView(ToolWindow& model) override;
  void StartTimer() override;

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
