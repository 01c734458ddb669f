// The few things the tool asks of the operating system, each behind a small
// interface with one real implementation per platform.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zarvo {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Replaces the clipboard's contents with the GBK text (offered as Unicode
  // text too). The data is prepared before the clipboard is emptied, so a
  // failure leaves the user's clipboard as it was. False when not copied.
  virtual bool SetText(std::string_view gbk) = 0;
};

class Files {
 public:
  virtual ~Files() = default;
  // Creates or truncates the file and writes exactly these bytes. False when
  // the file could not be created or written whole.
  virtual bool WriteFile(const std::filesystem::path& path, std::string_view bytes) = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens the file with the program the desktop associates with its type.
  virtual void OpenWithDefaultProgram(const std::filesystem::path& path) = 0;
};

class WindowThread {
 public:
  virtual ~WindowThread() = default;
  // Runs the task on the window thread and returns once it has run. Called on
  // the window thread itself, it runs the task at once.
  virtual void RunAndWait(const std::function<void()>& task) = 0;
};

class Threads {
 public:
  virtual ~Threads() = default;
  // Starts the task on a new thread that nobody waits for; the process may end
  // while it still runs.
  virtual void StartDetached(std::function<void()> task) = 0;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // GET of one URL. The whole body of a 2xx response; nullopt when the fetch
  // failed: no connection, another status, or a transfer that broke off.
  virtual std::optional<std::string> FetchUrlBody(std::string_view url) = 0;
};

// What the actions reach of the operating system. Owned by the front end; lives
// as long as the window.
struct Services {
  Clipboard& clipboard;
  Files& files;
  Shell& shell;
  WindowThread& windowThread;
  Threads& threads;
  HttpClient& http;
  std::filesystem::path programDirectory;
};

// The directory of an executable: its full path cut at the last separator,
// the separator removed ("C:\tool.exe" gives "C:").
std::filesystem::path DirectoryOfExecutable(const std::filesystem::path& executable);

// The preview page beside the program: the directory, one separator, "yl.htm".
std::filesystem::path PreviewFilePath(const std::filesystem::path& programDirectory);

}  // namespace zarvo
