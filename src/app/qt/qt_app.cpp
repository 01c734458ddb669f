#include "app/qt/qt_app.hpp"

#include <utility>
#include <vector>

#include "platform/posix/http_curl.hpp"
#include "platform/posix/preview_directory.hpp"

namespace zarvo {

HttpClient& ProcessHttpClient() {
  static auto* client = new CurlHttpClient;  // lives until the process ends
  return *client;
}

namespace {

// A window thread for each window of the run, kept until the process ends: a
// worker may still hold one after its window is gone.
QtWindowThread* NewWindowThread() {
  static auto* all = new std::vector<std::unique_ptr<QtWindowThread>>;
  return all->emplace_back(std::make_unique<QtWindowThread>()).get();
}

}  // namespace

Threads& ProcessThreads() {
  static auto* threads = new DetachedThreads;
  return *threads;
}

QtApp::QtApp(QtAppOptions options) : windowThread_(NewWindowThread()) {
  services_ = std::make_unique<Services>(Services{
      .clipboard = options.clipboard ? *options.clipboard : clipboard_,
      .files = files_,
      .shell = options.shell ? *options.shell : shell_,
      .windowThread = *windowThread_,
      .threads = options.threads ? *options.threads : ProcessThreads(),
      .http = options.http ? *options.http : ProcessHttpClient(),
      .programDirectory = PreviewDirectory(),
      .templateHost = std::move(options.templateHost),
  });
  StartUp(model_, *services_, *this);
}

bool QtApp::CreateView(ToolWindow& model) {
  window_ = std::make_unique<QtToolWindow>(model);
  // The generated code goes to the output box and to the clipboard: converted
  // once, for both.
  clipboard_.TakeConversionsFrom(
      [window = window_.get()](std::string_view gbk) { return window->ShownText(gbk); });
  return true;
}

void QtApp::StartTimer() { window_->StartTimer(); }

QtApp::~QtApp() {
  // A worker still waiting for the window thread finds it closed. The object
  // itself is left for the worker, which may still hold it.
  windowThread_->Close();
  clipboard_.TakeConversionsFrom({});
  window_.reset();
}

void QtApp::Show() {
  window_->show();
  window_->raise();
  window_->activateWindow();
}

}  // namespace zarvo
