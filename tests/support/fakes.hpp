// Stand-ins for what tests cannot have for real: a clipboard that another
// program holds, a shell that must not open a browser, a window thread.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.hpp"

namespace zarvo::test {

// Remembers what was put on it; while `held` is set it refuses like a
// clipboard that another program has open, and keeps its contents.
class RecordingClipboard final : public Clipboard {
 public:
  bool SetText(std::string_view gbk) override {
    ++attempts;
    if (held) {
      return false;
    }
    text = std::string(gbk);
    return true;
  }
  std::optional<std::string> text;
  bool held = false;
  int attempts = 0;
};

class RecordingShell final : public Shell {
 public:
  void OpenWithDefaultProgram(const std::filesystem::path& path) override {
    opened.push_back(path);
  }
  std::vector<std::filesystem::path> opened;
};

// For single-threaded tests: the caller is the window thread.
class InlineWindowThread final : public WindowThread {
 public:
  void RunAndWait(const std::function<void()>& task) override { task(); }
};

// Runs "detached" tasks when the test says so.
class DeferredThreads final : public Threads {
 public:
  void StartDetached(std::function<void()> task) override { tasks.push_back(std::move(task)); }
  std::vector<std::function<void()>> tasks;
};

class NoHttp final : public HttpClient {
 public:
  std::optional<std::string> FetchUrlBody(std::string_view) override { return std::nullopt; }
};

}  // namespace zarvo::test
