// The fetcher's order, retry rule and holder writes, over a scripted HTTP
// client: no network here.
#include "templates/template_fetch.hpp"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "support/fakes.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using Answer = std::optional<std::string>;  // nullopt: the fetch failed

const Answer kFailed = std::nullopt;
constexpr std::string_view kHost = "tpl.example:81";
constexpr std::string_view P = kPreviewTemplatePath;
constexpr std::string_view A750 = kArea750TemplatePath;
constexpr std::string_view A190 = kArea190TemplatePath;

// Answers each URL from its own list, in order; records every URL asked for.
class ScriptedHttp final : public HttpClient {
 public:
  explicit ScriptedHttp(std::string_view host = kHost) : host_(host) {}
  void Script(std::string_view path, std::vector<Answer> answers) {
    script_[TemplateUrl(host_, path)] = {answers.begin(), answers.end()};
  }
  std::optional<std::string> FetchUrlBody(std::string_view url) override {
    urls.emplace_back(url);
    std::deque<Answer>& answers = script_[std::string(url)];
    if (answers.empty()) {
      ADD_FAILURE() << "unscripted fetch of " << url;
      return std::nullopt;
    }
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::vector<std::string> urls;

 private:
  std::string host_;
  std::map<std::string, std::deque<Answer>> script_;
};

struct FetchCase {
  const char* name;
  std::vector<Answer> preview, area750, area190;  // one answer per fetch
  std::vector<std::string_view> expectedPaths;
  std::string preview8, area9, area7;  // the holders afterwards
};

class FetchTemplatesTest : public testing::TestWithParam<FetchCase> {};

TEST_P(FetchTemplatesTest, FetchesInOrderAndFillsHolders) {
  const FetchCase& c = GetParam();
  ScriptedHttp http;
  http.Script(P, c.preview);
  http.Script(A750, c.area750);
  http.Script(A190, c.area190);
  ToolWindow window;
  // Stale texts show any holder that a fetch should have replaced and did not.
  for (ControlId holder : {编辑框8, 编辑框9, 编辑框7}) {
    window.SetText(holder, "stale");
  }
  test::InlineWindowThread windowThread;

  FetchTemplates(window, windowThread, http, kHost);

  std::vector<std::string> expectedUrls;
  for (std::string_view path : c.expectedPaths) {
    expectedUrls.push_back(TemplateUrl(kHost, path));
  }
  EXPECT_EQ(http.urls, expectedUrls);
  EXPECT_EQ(window.Text(编辑框8), c.preview8);
  EXPECT_EQ(window.Text(编辑框9), c.area9);
  EXPECT_EQ(window.Text(编辑框7), c.area7);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchTemplatesTest,
    testing::Values(
        FetchCase{
            "AllArrive", {"page"}, {"t750"}, {"t190"}, {P, A750, A190}, "page", "t750", "t190"},
        FetchCase{"AllFailFiveFetchesAllEmpty",
                  {kFailed},
                  {kFailed, kFailed},
                  {kFailed, kFailed},
                  {P, A750, A190, A750, A190},
                  "",
                  "",
                  ""},
        FetchCase{"Area190FailsNoRetry",
                  {"page"},
                  {"t750"},
                  {kFailed},
                  {P, A750, A190},
                  "page",
                  "t750",
                  ""},
        FetchCase{"FailedRetryKeepsFirstRound190",
                  {"page"},
                  {kFailed, "t750"},
                  {"t190", kFailed},
                  {P, A750, A190, A750, A190},
                  "page",
                  "t750",
                  "t190"},
        FetchCase{"RetryAnswerReplaces190",
                  {"page"},
                  {kFailed, "t750"},
                  {"old190", "new190"},
                  {P, A750, A190, A750, A190},
                  "page",
                  "t750",
                  "new190"},
        // An empty body replaces in the first round, and for the 750 area asks
        // for the second; an empty retry keeps what the first round brought.
        FetchCase{"EmptyBodies",
                  {""},
                  {"", "t750"},
                  {"t190", ""},
                  {P, A750, A190, A750, A190},
                  "",
                  "t750",
                  "t190"},
        FetchCase{"BothRoundsOf750Fail",
                  {"page"},
                  {kFailed, kFailed},
                  {kFailed, "late190"},
                  {P, A750, A190, A750, A190},
                  "page",
                  "",
                  "late190"},
        FetchCase{"CutAtFirstZeroByte",
                  {"page\0tail"s},
                  {"0123456789\0rest\0"s},
                  {"\0t190"s, "t190"},
                  {P, A750, A190},
                  "page",
                  "0123456789",
                  ""},
        FetchCase{"ZeroByteFirstCountsAsEmpty",
                  {"page"},
                  {"\0t750"s, "t750"},
                  {"t190", "t190b"},
                  {P, A750, A190, A750, A190},
                  "page",
                  "t750",
                  "t190b"}),
    [](const auto& info) { return info.param.name; });

TEST(TemplateUrlTest, HostThenFixedPath) {
  EXPECT_EQ(TemplateUrl("127.0.0.1:8750", kPreviewTemplatePath),
            "http://127.0.0.1:8750/zarvoxz/yl/jsb.txt");
  EXPECT_EQ(TemplateUrl("templates.example", kArea190TemplatePath),
            "http://templates.example/zarvorjkaikai/tasfdg74/gjx/750tpgj/190.txt");
}

// Runs handed-over tasks on the thread that calls Serve, like a message loop.
class QueuedWindowThread final : public WindowThread {
 public:
  void RunAndWait(const std::function<void()>& task) override {
    if (std::this_thread::get_id() == owner_) {
      task();
      return;
    }
    std::unique_lock lock(mutex_);
    const size_t ticket = ++queued_;
    tasks_.push_back(&task);
    changed_.notify_all();
    changed_.wait(lock, [&] { return done_ >= ticket; });
  }
  // Serves hand-overs until `finished` is true.
  void Serve(const bool& finished) {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return !tasks_.empty() || finished; });
      if (tasks_.empty()) {
        return;
      }
      const std::function<void()>* task = tasks_.front();
      tasks_.pop_front();
      lock.unlock();
      (*task)();
      lock.lock();
      ++done_;
      changed_.notify_all();
    }
  }
  void Finish(bool& finished) {
    std::lock_guard lock(mutex_);
    finished = true;
    changed_.notify_all();
  }

 private:
  const std::thread::id owner_ = std::this_thread::get_id();
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<const std::function<void()>*> tasks_;
  size_t queued_ = 0;
  size_t done_ = 0;
};

// A front end's view: notes on which thread the window is touched. It marks
// the 750-area holder as edited after each write, so that the worker's read
// of it reaches the view as well.
class ThreadCheckingView final : public WindowView {
 public:
  explicit ThreadCheckingView(ToolWindow& window) : window_(window) {}
  void FieldChanged(ControlId id, Field) override {
    threads.push_back(std::this_thread::get_id());
    shown[id] = window_.Text(id);
    if (id == 编辑框9) {
      window_.MarkEditedByUser(编辑框9);
    }
  }
  std::string EditedText(ControlId id) override {
    threads.push_back(std::this_thread::get_id());
    ++reads;
    return shown[id];
  }
  std::vector<std::thread::id> threads;
  std::map<ControlId, std::string> shown;
  int reads = 0;

 private:
  ToolWindow& window_;
};

TEST(FetchTemplatesThreadTest, TouchesWindowOnlyOnWindowThread) {
  ScriptedHttp http;
  http.Script(P, {"page"});
  http.Script(A750, {kFailed, "t750"});
  http.Script(A190, {"t190", "t190b"});
  ToolWindow window;
  ThreadCheckingView view(window);
  window.SetView(&view);
  QueuedWindowThread windowThread;
  bool finished = false;

  std::thread worker([&] {
    FetchTemplates(window, windowThread, http, kHost);
    windowThread.Finish(finished);
  });
  windowThread.Serve(finished);
  worker.join();

  EXPECT_EQ(view.reads, 1);  // the one read of the 750-area holder
  EXPECT_EQ(view.threads.size(), 6u);
  for (std::thread::id id : view.threads) {
    EXPECT_EQ(id, std::this_thread::get_id());
  }
  EXPECT_EQ(view.shown[编辑框8], "page");
  EXPECT_EQ(view.shown[编辑框9], "t750");
  EXPECT_EQ(view.shown[编辑框7], "t190b");
}

TEST(StartTemplateFetchTest, CreationEventStartsWorkerAndReturns) {
  ToolWindow window;
  test::RecordingClipboard clipboard;
  test::RecordingShell shell;
  test::InlineWindowThread windowThread;
  test::DeferredThreads threads;
  ScriptedHttp http(TemplateHost());
  http.Script(P, {"page"});
  http.Script(A750, {"t750"});
  http.Script(A190, {"t190"});
  struct NoFiles final : Files {
    bool WriteFile(const std::filesystem::path&, std::string_view) override { return false; }
  } files;
  Services services{clipboard, files, shell, windowThread, threads, http, {}};
  RegisterTemplateFetch(window, services);

  window.Raise(std::nullopt, Event::Creation);
  EXPECT_TRUE(http.urls.empty());  // nothing fetched on the window thread
  ASSERT_EQ(threads.tasks.size(), 1u);

  threads.tasks[0]();
  EXPECT_EQ(http.urls.front(), TemplateUrl(TemplateHost(), kPreviewTemplatePath));
  EXPECT_EQ(window.Text(编辑框9), "t750");
}

}  // namespace
}  // namespace zarvo
