#include "support/http_test_server.hpp"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace zarvo::test {
namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
constexpr int kShutWrite = SD_SEND;
constexpr int kSendFlags = 0;
void CloseNative(NativeSocket s) { closesocket(s); }

// Winsock is started once for the process, by the first server.
struct WinsockUser {
  WinsockUser() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~WinsockUser() { WSACleanup(); }
};
#else
using NativeSocket = int;
constexpr int kShutWrite = SHUT_WR;
#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;  // a client that hung up must not kill the test
#else
constexpr int kSendFlags = 0;
#endif
void CloseNative(NativeSocket s) { close(s); }
#endif

NativeSocket Native(std::intptr_t s) { return static_cast<NativeSocket>(s); }

bool Valid(std::intptr_t s) {
#ifdef _WIN32
  return Native(s) != INVALID_SOCKET;
#else
  return s >= 0;
#endif
}

// Waits until the socket can be read, at most the given time.
bool Readable(NativeSocket s, std::chrono::milliseconds wait) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv{};
  tv.tv_sec = static_cast<long>(wait.count() / 1000);
  tv.tv_usec = static_cast<long>((wait.count() % 1000) * 1000);
  return select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &tv) > 0;
}

bool SendAll(NativeSocket s, const char* data, size_t size) {
  while (size > 0) {
    const int chunk = static_cast<int>(std::min<size_t>(size, 65536));
    const auto sent = send(s, data, chunk, kSendFlags);
    if (sent <= 0) {
      return false;
    }
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

// Looks at the request head, up to its blank line (or what came within 5 s),
// and leaves it unread: a connection closed with bytes unread ends in a reset.
std::string PeekHead(NativeSocket s) {
  std::string head;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (head.find("\r\n\r\n") == std::string::npos && head.find("\n\n") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    if (!Readable(s, std::chrono::milliseconds(100))) {
      continue;
    }
    char buffer[16384];
    const auto got = recv(s, buffer, sizeof buffer, MSG_PEEK);
    if (got <= 0 || static_cast<size_t>(got) == head.size()) {
      if (got <= 0) {
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // no more yet
      continue;
    }
    head.assign(buffer, static_cast<size_t>(got));
  }
  return head;
}

// Reads and drops this many bytes.
void Consume(NativeSocket s, size_t bytes) {
  char buffer[4096];
  while (bytes > 0) {
    const auto got = recv(s, buffer, static_cast<int>(std::min(bytes, sizeof buffer)), 0);
    if (got <= 0) {
      return;
    }
    bytes -= static_cast<size_t>(got);
  }
}

HttpRequest ParseHead(const std::string& head) {
  HttpRequest request;
  size_t start = 0;
  bool first = true;
  while (start < head.size()) {
    size_t end = head.find('\n', start);
    if (end == std::string::npos) {
      end = head.size();
    }
    std::string line = head.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    start = end + 1;
    if (line.empty()) {
      break;
    }
    if (first) {
      request.requestLine = line;
      first = false;
    } else {
      request.headers.push_back(line);
    }
  }
  return request;
}

const char* Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

// The body in chunked transfer coding.
std::string Chunked(const std::string& body, bool badChunkSize) {
  constexpr size_t kChunk = 1000;
  std::string coded;
  char size[32];
  for (size_t at = 0, index = 0; at < body.size(); at += kChunk, ++index) {
    const size_t n = std::min(kChunk, body.size() - at);
    std::snprintf(size, sizeof size, "%zx", n);
    coded += index == 1 && badChunkSize ? std::string("zz") : std::string(size);
    coded += "\r\n";
    coded.append(body, at, n);
    coded += "\r\n";
  }
  coded += "0\r\n\r\n";
  return coded;
}

}  // namespace

std::string HttpRequest::Path() const {
  const size_t from = requestLine.find(' ');
  if (from == std::string::npos) {
    return {};
  }
  const size_t to = requestLine.find(' ', from + 1);
  return requestLine.substr(from + 1, to == std::string::npos ? std::string::npos : to - from - 1);
}

HttpTestServer::HttpTestServer() { Start(0); }

HttpTestServer::HttpTestServer(uint16_t port) { Start(port); }

HttpTestServer::~HttpTestServer() { Stop(); }

void HttpTestServer::Start(uint16_t port) {
#ifdef _WIN32
  static WinsockUser winsock;
#endif
  const NativeSocket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  listener_ = static_cast<Socket>(s);
  if (!Valid(listener_)) {
    throw std::runtime_error("no socket for the test server");
  }
#ifndef _WIN32
  // A port that an earlier test left in TIME_WAIT can be listened on again.
  int yes = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  socklen_t length = sizeof address;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 16) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    CloseNative(s);
    throw std::runtime_error("the test server cannot listen on port " + std::to_string(port));
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

std::string HttpTestServer::Host() const { return "127.0.0.1:" + std::to_string(port_); }

void HttpTestServer::Script(const std::string& path, std::vector<HttpReply> replies) {
  std::vector<std::shared_ptr<const HttpReply>> shared;
  shared.reserve(replies.size());
  for (HttpReply& reply : replies) {
    shared.push_back(std::make_shared<const HttpReply>(std::move(reply)));
  }
  std::lock_guard lock(mutex_);
  script_[path] = std::move(shared);
  served_[path] = 0;
}

std::vector<HttpRequest> HttpTestServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<std::string> HttpTestServer::RequestedPaths() const {
  std::vector<std::string> paths;
  for (const HttpRequest& request : Requests()) {
    paths.push_back(request.Path());
  }
  return paths;
}

bool HttpTestServer::WaitForRequests(size_t count, std::chrono::milliseconds timeOut) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeOut, [&] { return requests_.size() >= count; });
}

void HttpTestServer::Release() {
  {
    std::lock_guard lock(mutex_);
    released_ = true;
  }
  changed_.notify_all();
}

void HttpTestServer::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) {
    thread_.join();
  }
  for (std::thread& handler : handlers_) {
    handler.join();
  }
  handlers_.clear();
  if (Valid(listener_)) {
    CloseNative(Native(listener_));
    listener_ = -1;
  }
}

uint16_t HttpTestServer::ClosedPort() {
  uint16_t port = 0;
  {
    HttpTestServer probe;
    port = probe.Port();
  }
  return port;
}

void HttpTestServer::Serve() {
  const NativeSocket listener = Native(listener_);
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) {
        return;
      }
    }
    if (!Readable(listener, std::chrono::milliseconds(20))) {
      continue;
    }
    const NativeSocket client = accept(listener, nullptr, nullptr);
    if (!Valid(static_cast<Socket>(client))) {
      continue;
    }
    // Each connection has its own thread, so that a delayed answer holds up
    // no other request.
    std::lock_guard lock(mutex_);
    handlers_.emplace_back([this, client] { Handle(static_cast<Socket>(client)); });
  }
}

std::shared_ptr<const HttpReply> HttpTestServer::NextReply(const std::string& path) {
  const auto it = script_.find(path);
  if (it == script_.end() || it->second.empty()) {
    return std::make_shared<const HttpReply>(HttpReply{.status = 404});
  }
  size_t& served = served_[path];
  std::shared_ptr<const HttpReply> reply = it->second[std::min(served, it->second.size() - 1)];
  ++served;
  return reply;
}

bool HttpTestServer::Sleep(std::chrono::milliseconds delay) {
  std::unique_lock lock(mutex_);
  return !changed_.wait_for(lock, delay, [&] { return stopping_; });
}

bool HttpTestServer::Stopping() {
  std::lock_guard lock(mutex_);
  return stopping_;
}

// Sends the body as the reply asks; false once the client is gone.
bool HttpTestServer::SendBody(Socket socket, const HttpReply& reply) {
  const NativeSocket client = Native(socket);
  const std::string coded = reply.chunked ? Chunked(reply.body, reply.badChunkSize) : std::string();
  const std::string& body = reply.chunked ? coded : reply.body;
  const size_t bytes = std::min(body.size(), reply.sendOnly.value_or(body.size()));
  if (reply.bytesPerSecond > 0) {
    const auto gap = std::chrono::microseconds(1'000'000 / reply.bytesPerSecond);
    auto next = std::chrono::steady_clock::now();
    for (size_t i = 0; i < bytes; ++i) {
      next += gap;
      if (!SendAll(client, body.data() + i, 1) ||
          !Sleep(std::chrono::duration_cast<std::chrono::milliseconds>(
              next - std::chrono::steady_clock::now()))) {
        return false;
      }
    }
    return true;
  }
  if (reply.endless && !body.empty()) {
    // Whole blocks of the body, so that a client sees it repeat unchanged.
    std::string block;
    while (block.size() < 65536) {
      block += body;
    }
    while (!Stopping()) {
      if (!SendAll(client, block.data(), block.size())) {
        return false;
      }
    }
    return false;
  }
  return SendAll(client, body.data(), bytes);
}

bool HttpTestServer::AwaitRelease() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return released_ || stopping_; });
  return !stopping_;
}

void HttpTestServer::Handle(Socket socket) {
  const NativeSocket client = Native(socket);
  const std::string head = PeekHead(client);
  HttpRequest request = ParseHead(head);
  std::shared_ptr<const HttpReply> next;
  {
    std::lock_guard lock(mutex_);
    next = NextReply(request.Path());
    requests_.push_back(std::move(request));
  }
  changed_.notify_all();
  const HttpReply& reply = *next;
  if (!reply.reset) {
    Consume(client, head.size());
  }

  bool answer = !reply.hangUp && Sleep(reply.delay) && (!reply.hold || AwaitRelease());
  if (answer) {
    std::string answerHead = std::string(reply.chunked ? "HTTP/1.1 " : "HTTP/1.0 ") +
                             std::to_string(reply.status) + " " + Reason(reply.status) +
                             "\r\nContent-Type: text/plain\r\n";
    if (reply.chunked) {
      answerHead += "Transfer-Encoding: chunked\r\nConnection: close\r\n";
    } else if (reply.lengthText) {
      answerHead += "Content-Length: " + *reply.lengthText + "\r\n";
    } else if (reply.announceLength) {
      answerHead +=
          "Content-Length: " + std::to_string(reply.announcedLength.value_or(reply.body.size())) +
          "\r\n";
    }
    for (const std::string& line : reply.headers) {
      answerHead += line + "\r\n";
    }
    answerHead += "\r\n";
    answer = SendAll(client, answerHead.data(), answerHead.size()) && SendBody(socket, reply);
  }
  if (reply.reset) {
    linger hard{};
    hard.l_onoff = 1;
    hard.l_linger = 0;
    setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
  } else {
    // An orderly close: stop sending, then let the client read to the end
    // before the socket goes, so that nothing sent is lost to a reset.
    shutdown(client, kShutWrite);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    char sink[1024];
    while (std::chrono::steady_clock::now() < deadline &&
           Readable(client, std::chrono::milliseconds(50))) {
      if (recv(client, sink, sizeof sink, 0) <= 0) {
        break;
      }
    }
  }
  CloseNative(client);
}

}  // namespace zarvo::test
