// HTTP/1.0 GET on Winsock, reading the answer itself. Neither WinINet nor
// WinHTTP (as Wine has them) tells a chunked body that the server cut off
// before its last chunk, or one with a chunk size that is no number, from a
// body that arrived whole: both hand the partial bytes over as a success. And
// WinINet waits to fill its buffer whatever the time. Reading the answer here
// gives the Windows build the rules of the Linux one: every wait bounded by the
// fetch's time limit, no redirects, the body cut at its announced length, and
// a broken transfer a failed fetch.
#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2.h before windows.h
#include <winhttp.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/http_limits.hpp"
#include "platform/win32/win32_services.hpp"

namespace zarvo {
namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr ULONGLONG kConnectTimeoutMs = 10'000;
constexpr size_t kLargestHead = size_t{64} * 1024;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

std::string Trim(std::string_view text) {
  const size_t from = text.find_first_not_of(" \t");
  if (from == std::string_view::npos) {
    return {};
  }
  const size_t to = text.find_last_not_of(" \t\r");
  return std::string(text.substr(from, to - from + 1));
}

// A plain decimal number; nullopt for anything else or one too large to be a
// length.
std::optional<unsigned long long> Decimal(std::string_view text) {
  if (text.empty() || text.size() > 18) {
    return std::nullopt;
  }
  unsigned long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}

struct Url {
  std::string host;  // as written, for the Host header
  std::string name;  // to resolve
  std::string port = "80";
  std::string path = "/";
  std::string credentials;  // "user:password", or empty
};

std::optional<Url> ParseUrl(std::string_view url) {
  constexpr std::string_view kScheme = "http://";
  if (!StartsWithNoCase(url, kScheme)) {
    return std::nullopt;
  }
  url.remove_prefix(kScheme.size());
  Url parsed;
  const size_t pathAt = std::min(url.find_first_of("/?#"), url.size());
  std::string_view authority = url.substr(0, pathAt);
  std::string_view rest = url.substr(pathAt);
  rest = rest.substr(0, std::min(rest.find('#'), rest.size()));
  if (!rest.empty()) {
    parsed.path = rest.front() == '?' ? "/" + std::string(rest) : std::string(rest);
  }
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
    parsed.credentials = std::string(authority.substr(0, at));
    authority.remove_prefix(at + 1);
  }
  parsed.host = std::string(authority);
  parsed.name = parsed.host;
  if (const size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
    parsed.name = std::string(authority.substr(0, colon));
    parsed.port = std::string(authority.substr(colon + 1));
    if (!Decimal(parsed.port) || *Decimal(parsed.port) == 0 || *Decimal(parsed.port) > 65535) {
      return std::nullopt;
    }
    if (parsed.port == "80") {
      parsed.host = parsed.name;
    }
  }
  if (parsed.name.empty() || parsed.name.find_first_of(" \t\r\n") != std::string::npos ||
      parsed.path.find_first_of(" \t\r\n") != std::string::npos) {
    return std::nullopt;
  }
  return parsed;
}

std::string Base64(std::string_view bytes) {
  constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) {
      value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    }
    if (i + 2 < bytes.size()) {
      value |= static_cast<unsigned char>(bytes[i + 2]);
    }
    out += kDigits[(value >> 18) & 63];
    out += kDigits[(value >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(value >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[value & 63] : '=';
  }
  return out;
}

std::string Narrow(const wchar_t* text) {
  std::string out;
  for (; text != nullptr && *text != 0; ++text) {
    out += *text < 128 ? static_cast<char>(*text) : '?';
  }
  return out;
}

// The browser's static proxy for HTTP ("host:port"), unless the host is to be
// reached directly; empty for a direct connection.
std::string ProxyFor(const std::string& name) {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG browser{};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&browser)) {
    return {};
  }
  std::string proxy = Narrow(browser.lpszProxy);
  const std::string bypass = Narrow(browser.lpszProxyBypass);
  for (wchar_t* text : {browser.lpszAutoConfigUrl, browser.lpszProxy, browser.lpszProxyBypass}) {
    if (text != nullptr) {
      GlobalFree(text);
    }
  }
  // "http=host:port;https=…" names one proxy per scheme.
  if (proxy.find('=') != std::string::npos) {
    std::string chosen;
    size_t from = 0;
    while (from <= proxy.size()) {
      const size_t to = std::min(proxy.find(';', from), proxy.size());
      const std::string entry = Trim(std::string_view(proxy).substr(from, to - from));
      if (StartsWithNoCase(entry, "http=")) {
        chosen = entry.substr(5);
      }
      from = to + 1;
    }
    proxy = chosen;
  }
  size_t from = 0;
  while (!proxy.empty() && from <= bypass.size()) {
    const size_t to = std::min(bypass.find_first_of(";, ", from), bypass.size());
    const std::string entry = Trim(std::string_view(bypass).substr(from, to - from));
    const bool local = entry == "<local>" && name.find('.') == std::string::npos;
    if (local || (!entry.empty() && _stricmp(entry.c_str(), name.c_str()) == 0)) {
      proxy.clear();
    }
    from = to + 1;
  }
  return proxy;
}

// One connection with its deadline. Every wait ends by the deadline.
class Connection {
 public:
  explicit Connection(ULONGLONG deadline) : deadline_(deadline) {}
  ~Connection() {
    if (socket_ != INVALID_SOCKET) {
      closesocket(socket_);
    }
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Open(const std::string& name, const std::string& port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), port.c_str(), &hints, &found) != 0) {
      return false;
    }
    const ULONGLONG connectBy = std::min(deadline_, GetTickCount64() + kConnectTimeoutMs);
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
      if (TryConnect(*address, connectBy)) {
        break;
      }
    }
    freeaddrinfo(found);
    return socket_ != INVALID_SOCKET;
  }

  bool SendAll(std::string_view bytes) {
    while (!bytes.empty()) {
      if (!Wait(false, deadline_)) {
        return false;
      }
      const int sent = send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0);
      if (sent == SOCKET_ERROR) {
        if (WSAGetLastError() == WSAEWOULDBLOCK) {
          continue;
        }
        return false;
      }
      bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
  }

  // Reads more bytes into `pending`; false on an error, a reset or the time
  // being up. At the orderly end of the stream, sets `ended`.
  bool Receive() {
    char buffer[16 * 1024];
    for (;;) {
      if (!Wait(true, deadline_)) {
        return false;
      }
      const int got = recv(socket_, buffer, sizeof buffer, 0);
      if (got == SOCKET_ERROR) {
        if (WSAGetLastError() == WSAEWOULDBLOCK) {
          continue;
        }
        return false;
      }
      if (got == 0) {
        ended = true;
      } else {
        pending.append(buffer, static_cast<size_t>(got));
      }
      return true;
    }
  }

  // Bytes received and not yet taken.
  std::string pending;
  bool ended = false;

 private:
  bool TryConnect(const addrinfo& address, ULONGLONG connectBy) {
    SOCKET s = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s == INVALID_SOCKET) {
      return false;
    }
    u_long nonBlocking = 1;
    socket_ = s;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) == 0 &&
        (connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0 ||
         WSAGetLastError() == WSAEWOULDBLOCK) &&
        Wait(false, connectBy)) {
      int error = 0;
      int size = sizeof error;
      if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
          error == 0) {
        return true;
      }
    }
    closesocket(s);
    socket_ = INVALID_SOCKET;
    return false;
  }

  // Waits until the socket can be read (or written), at most until `by`;
  // a failed connect shows as an exception.
  bool Wait(bool read, ULONGLONG by) const {
    const ULONGLONG now = GetTickCount64();
    if (now >= by) {
      return false;
    }
    const ULONGLONG left = by - now;
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket_, &ready);
    FD_SET(socket_, &failed);
    timeval wait{};
    wait.tv_sec = static_cast<long>(left / 1000);
    wait.tv_usec = static_cast<long>((left % 1000) * 1000);
    const int count = select(0, read ? &ready : nullptr, read ? nullptr : &ready, &failed, &wait);
    return count > 0 && FD_ISSET(socket_, &ready);
  }

  ULONGLONG deadline_;
  SOCKET socket_ = INVALID_SOCKET;
};

// Takes one line (without its line end) from the connection; false when the
// stream ends first, breaks, or the line grows past `longest`.
bool TakeLine(Connection& connection, std::string& line, size_t longest) {
  for (;;) {
    const size_t end = connection.pending.find('\n');
    if (end != std::string::npos) {
      line = connection.pending.substr(0, end);
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
      }
      connection.pending.erase(0, end + 1);
      return true;
    }
    if (connection.pending.size() > longest || connection.ended || !connection.Receive()) {
      return false;
    }
  }
}

// Takes exactly `count` bytes and appends them to the body.
bool TakeBytes(Connection& connection, unsigned long long count, std::string& body) {
  while (count > 0) {
    if (connection.pending.empty() && (connection.ended || !connection.Receive())) {
      return false;
    }
    const size_t take =
        static_cast<size_t>(std::min<unsigned long long>(count, connection.pending.size()));
    if (!AppendWithinLimit(body, connection.pending.data(), take)) {
      return false;
    }
    connection.pending.erase(0, take);
    count -= take;
  }
  return true;
}

struct Head {
  int status = 0;
  bool chunked = false;
  bool lengthGiven = false;
  unsigned long long length = 0;
};

std::optional<Head> TakeHead(Connection& connection) {
  std::string line;
  if (!TakeLine(connection, line, kLargestHead) || !StartsWithNoCase(line, "HTTP/")) {
    return std::nullopt;
  }
  const size_t space = line.find(' ');
  const std::optional<unsigned long long> status =
      space == std::string::npos ? std::nullopt : Decimal(line.substr(space + 1, 3));
  if (!status) {
    return std::nullopt;
  }
  Head head;
  head.status = static_cast<int>(*status);
  size_t headBytes = line.size();
  for (;;) {
    if (!TakeLine(connection, line, kLargestHead) ||
        (headBytes += line.size() + 2) > kLargestHead) {
      return std::nullopt;
    }
    if (line.empty()) {
      return head;
    }
    const size_t colon = line.find(':');
    if (colon == std::string::npos) {
      continue;
    }
    const std::string name = Trim(std::string_view(line).substr(0, colon));
    const std::string value = Trim(std::string_view(line).substr(colon + 1));
    if (_stricmp(name.c_str(), "Content-Length") == 0) {
      // A length that is no number, or two that differ, leaves the body's
      // end unknown: no template can be taken from it.
      const std::optional<unsigned long long> length = Decimal(value);
      if (!length || (head.lengthGiven && head.length != *length)) {
        return std::nullopt;
      }
      head.lengthGiven = true;
      head.length = *length;
    } else if (_stricmp(name.c_str(), "Transfer-Encoding") == 0) {
      std::string lower = value;
      std::transform(lower.begin(), lower.end(), lower.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (lower.find("chunked") == std::string::npos) {
        return std::nullopt;  // a coding this client cannot read
      }
      head.chunked = true;
    }
  }
}

// The chunked body up to its last chunk and the trailer after it.
bool TakeChunkedBody(Connection& connection, std::string& body) {
  std::string line;
  for (;;) {
    if (!TakeLine(connection, line, 1024)) {
      return false;
    }
    const std::string size = Trim(std::string_view(line).substr(0, line.find(';')));
    if (size.empty() || size.size() > 15 ||
        size.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      return false;
    }
    const unsigned long long bytes = std::stoull(size, nullptr, 16);
    if (bytes == 0) {
      break;
    }
    if (!TakeBytes(connection, bytes, body) || !TakeLine(connection, line, 2) || !line.empty()) {
      return false;
    }
  }
  do {
    if (!TakeLine(connection, line, kLargestHead)) {
      return false;
    }
  } while (!line.empty());
  return true;
}

// Without a length the body ends where the server closes the connection in
// order; a reset fails in Receive.
bool TakeToEnd(Connection& connection, std::string& body) {
  for (;;) {
    if (!AppendWithinLimit(body, connection.pending.data(), connection.pending.size())) {
      return false;
    }
    connection.pending.clear();
    if (connection.ended) {
      return true;
    }
    if (!connection.Receive()) {
      return false;
    }
  }
}

}  // namespace

Win32HttpClient::~Win32HttpClient() {
  if (started_) {
    WSACleanup();
  }
}

std::optional<std::string> Win32HttpClient::FetchUrlBody(std::string_view url) {
  if (!started_) {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!started_) {
      return std::nullopt;  // the next fetch tries again
    }
  }
  const std::optional<Url> target = ParseUrl(url);
  if (!target) {
    return std::nullopt;
  }
  const ULONGLONG deadline = GetTickCount64() + kFetchTimeLimit.count();

  // The system's static proxy applies, as for the browser.
  const std::string proxy = ProxyFor(target->name);
  std::string connectName = target->name;
  std::string connectPort = target->port;
  std::string requestTarget = target->path;
  if (!proxy.empty()) {
    const size_t colon = proxy.rfind(':');
    connectName = proxy.substr(0, colon);
    connectPort = colon == std::string::npos ? "80" : proxy.substr(colon + 1);
    requestTarget = "http://" + target->host + target->path;
  }
  Connection connection(deadline);
  if (!connection.Open(connectName, connectPort)) {
    return std::nullopt;
  }
  std::string request = "GET " + requestTarget + " HTTP/1.0\r\nHost: " + target->host +
                        "\r\nUser-Agent: " + kUserAgent + "\r\nAccept: */*\r\nPragma: no-cache\r\n";
  if (!target->credentials.empty()) {
    request += "Authorization: Basic " + Base64(target->credentials) + "\r\n";
  }
  request += "\r\n";
  if (!connection.SendAll(request)) {
    return std::nullopt;
  }

  const std::optional<Head> head = TakeHead(connection);
  // An error page is not a template, nor is a redirect: it is not followed.
  // A length above the largest template fails before any of the body is read.
  if (!head || head->status < 200 || head->status > 299 ||
      (!head->chunked && head->lengthGiven && head->length > kLargestTemplateBytes)) {
    return std::nullopt;
  }
  std::string body;
  // Bytes past the announced length are not part of the body.
  const bool whole = head->chunked       ? TakeChunkedBody(connection, body)
                     : head->lengthGiven ? TakeBytes(connection, head->length, body)
                                         : TakeToEnd(connection, body);
  if (!whole) {
    return std::nullopt;
  }
  return body;
}

}  // namespace zarvo
