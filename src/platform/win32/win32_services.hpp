// The Windows implementations of the tool's operating-system services. All of
// them speak the wide (UTF-16) API and convert GBK at this edge.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/services.hpp"

namespace zarvo {

// The clipboard, offered as CF_TEXT (the GBK bytes and their terminating zero)
// and as CF_UNICODETEXT (the same text decoded), so that a program on a system
// whose code page is not 936 still gets the right characters.
class Win32Clipboard final : public Clipboard {
 public:
  // The owner window becomes the clipboard's owner while the text is set.
  explicit Win32Clipboard(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  bool SetText(std::string_view gbk) override;

 private:
  HWND owner_;
};

// Opens a file with the program associated with its type, through the shell.
class Win32Shell final : public Shell {
 public:
  void OpenWithDefaultProgram(const std::filesystem::path& path) override;
};

// Threads made with CreateThread. Nobody waits for them: when the process ends
// they end with it.
class Win32Threads final : public Threads {
 public:
  void StartDetached(std::function<void()> task) override;
};

// Hands tasks to the thread of one window with SendMessage, so the caller waits
// until the window thread has run the task. Once the window is gone, tasks are
// dropped: nothing may touch a window that no longer exists.
class SendMessageWindowThread final : public WindowThread {
 public:
  SendMessageWindowThread() = default;
  ~SendMessageWindowThread() override;
  SendMessageWindowThread(const SendMessageWindowThread&) = delete;
  SendMessageWindowThread& operator=(const SendMessageWindowThread&) = delete;

  // Call on the window's own thread, before any other thread hands a task.
  void Attach(HWND window);
  void RunAndWait(const std::function<void()>& task) override;

 private:
  HWND window_ = nullptr;
};

// HTTP GET over WinINet. The client handle is opened by the first fetch and
// kept for the life of the object.
class WinInetHttpClient final : public HttpClient {
 public:
  WinInetHttpClient() = default;
  ~WinInetHttpClient() override;
  WinInetHttpClient(const WinInetHttpClient&) = delete;
  WinInetHttpClient& operator=(const WinInetHttpClient&) = delete;

  std::optional<std::string> FetchUrlBody(std::string_view url) override;

 private:
  HINTERNET session_ = nullptr;
};

}  // namespace zarvo
