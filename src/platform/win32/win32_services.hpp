// The Windows implementations of the tool's operating-system services. All of
// them speak the wide (UTF-16) API and convert GBK at this edge.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/services.hpp"

namespace zarvo {

// The clipboard, offered as CF_TEXT (the GBK bytes and their terminating zero)
// with CF_LOCALE saying they are code page 936, so that the system gives a
// program that asks for CF_UNICODETEXT the right characters also on a system
// whose code page is not 936.
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

// HTTP/1.0 GET over Winsock, opened by the first fetch and kept for the life of
// the object. No redirects, no cookies, the browser's static proxy; the body is
// cut at its announced length, and one that breaks off, is above the largest
// template size or has not arrived within the fetch's time limit fails.
class Win32HttpClient final : public HttpClient {
 public:
  Win32HttpClient() = default;
  ~Win32HttpClient() override;
  Win32HttpClient(const Win32HttpClient&) = delete;
  Win32HttpClient& operator=(const Win32HttpClient&) = delete;

  std::optional<std::string> FetchUrlBody(std::string_view url) override;

 private:
  bool started_ = false;  // Winsock
};

}  // namespace zarvo
