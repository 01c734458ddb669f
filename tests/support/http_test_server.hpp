// A small HTTP/1.0 server on 127.0.0.1 that a test starts and scripts: per
// path a list of answers, each with its status, body, announced length, and
// the ways a real server goes wrong (answering late, hanging up, breaking off
// mid-body). It records every request as received. POSIX sockets, or Winsock
// on Windows.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zarvo::test {

struct HttpReply {
  int status = 200;
  std::string body{};
  // Content-Length: the body's size unless set; absent when announceLength is
  // false. An announced length above the body's size makes a short body.
  bool announceLength = true;
  std::optional<size_t> announcedLength{};
  // Ends the connection after this many body bytes.
  std::optional<size_t> sendOnly{};
  // Ends the connection with a reset instead of an orderly close.
  bool reset = false;
  // Closes the connection after reading the request, answering nothing.
  bool hangUp = false;
  // The Content-Length value as sent, in place of the number (say "-1");
  // wins over announcedLength.
  std::optional<std::string> lengthText{};
  // Further header lines, each without its line end (say a Location).
  std::vector<std::string> headers{};
  // The body in chunked transfer coding, 1000 bytes a chunk and a last chunk,
  // under an HTTP/1.1 status line; sendOnly then counts the coded bytes.
  bool chunked = false;
  // With chunked: the second chunk's size line is no hexadecimal number.
  bool badChunkSize = false;
  // Sends the body over and over until the client hangs up.
  bool endless = false;
  // Sends the body one byte at a time at this rate; 0 sends it at once.
  int bytesPerSecond = 0;
  // Waits this long before answering (cut short when the server stops).
  std::chrono::milliseconds delay{0};
  // Waits for Release() before answering (or gives up when the server stops).
  bool hold = false;
};

struct HttpRequest {
  std::string requestLine;           // "GET /path HTTP/1.0"
  std::vector<std::string> headers;  // each header line, without its line end
  std::string Path() const;
};

class HttpTestServer {
 public:
  // Listens on a free port of 127.0.0.1.
  HttpTestServer();
  // Listens on this port; throws std::runtime_error when it is taken.
  explicit HttpTestServer(uint16_t port);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  uint16_t Port() const { return port_; }
  std::string Host() const;  // "127.0.0.1:<port>"

  // The answers to a path, one per request in order; the last one repeats. A
  // path without answers gets a 404 with an empty body.
  void Script(const std::string& path, std::vector<HttpReply> replies);

  std::vector<HttpRequest> Requests() const;
  std::vector<std::string> RequestedPaths() const;

  // Waits until this many requests have arrived; false on time-out.
  bool WaitForRequests(size_t count, std::chrono::milliseconds timeOut);

  // Lets the answers that hold go out.
  void Release();

  // Stops listening; an answer being delayed or held is given up.
  void Stop();

  // A port of 127.0.0.1 on which nothing listens (as far as can be known).
  static uint16_t ClosedPort();

 private:
  using Socket = std::intptr_t;

  void Start(uint16_t port);
  void Serve();
  void Handle(Socket client);
  std::shared_ptr<const HttpReply> NextReply(const std::string& path);
  bool Sleep(std::chrono::milliseconds delay);  // false when stopped
  bool AwaitRelease();                          // false when stopped
  bool Stopping();
  bool SendBody(std::intptr_t client, const HttpReply& reply);

  Socket listener_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
  std::vector<std::thread> handlers_;  // one per connection; guarded by mutex_
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
  bool released_ = false;
  // Shared with the connections that send them, so that a large body is never copied.
  std::map<std::string, std::vector<std::shared_ptr<const HttpReply>>> script_;
  std::map<std::string, size_t> served_;
  std::vector<HttpRequest> requests_;
};

}  // namespace zarvo::test
