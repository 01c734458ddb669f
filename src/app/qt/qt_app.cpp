#include "app/qt/qt_app.hpp"

#include "platform/posix/http_curl.hpp"

namespace zarvo {

HttpClient& ProcessHttpClient() {
  static auto* client = new CurlHttpClient;  // lives until the process ends
  return *client;
}

Threads& ProcessThreads() {
  static auto* threads = new DetachedThreads;
  return *threads;
}

QtApp::QtApp(QtAppOptions options) : windowThread_(new QtWindowThread) {
  services_ = std::make_unique<Services>(Services{
      .clipboard = options.clipboard ? *options.clipboard : clipboard_,
      .files = files_,
      .shell = options.shell ? *options.shell : shell_,
      .windowThread = *windowThread_,
      .threads = options.threads ? *options.threads : ProcessThreads(),
      .http = options.http ? *options.http : ProcessHttpClient(),
      .programDirectory = ProgramDirectory(),
  });
  window_ = std::make_unique<QtToolWindow>(model_);
  InstallHandlers(model_, *services_);
  window_->StartTimer();
  model_.Raise(std::nullopt, Event::Creation);
}

QtApp::~QtApp() {
  // A worker still waiting for the window thread finds it closed. The object
  // itself is left for the worker, which may still hold it.
  windowThread_->Close();
  window_.reset();
}

void QtApp::Show() {
  window_->show();
  window_->raise();
  window_->activateWindow();
}

}  // namespace zarvo
