#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gbk.hpp"
#include "platform/win32/win32_services.hpp"

namespace zarvo {
namespace {

constexpr wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr DWORD kConnectTimeoutMs = 10'000;
// A hung server must not hold a template holder hostage: the whole transfer
// gets this long, and no single read waits longer.
constexpr ULONGLONG kTransferTimeoutMs = 60'000;
constexpr DWORD kDefaultChunk = 10'240;
constexpr DWORD kLargestChunk = 102'400;

// Closes a WinINet handle when the fetch leaves the scope that opened it.
class Handle {
 public:
  explicit Handle(HINTERNET handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != nullptr) {
      InternetCloseHandle(handle_);
    }
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

// The announced body length, or -1 when the header is missing or no positive
// decimal number that fits its 32-byte buffer.
long long ContentLength(HINTERNET request) {
  char buffer[32] = {};
  DWORD size = sizeof buffer;
  if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, buffer, &size, nullptr) ||
      size >= sizeof buffer) {
    return -1;
  }
  char* end = nullptr;
  const long long value = std::strtoll(buffer, &end, 10);
  if (end == buffer || *end != '\0' || value <= 0) {
    return -1;
  }
  return value;
}

DWORD ChunkSize(long long contentLength) {
  if (contentLength <= 0) {
    return kDefaultChunk;
  }
  return contentLength + 1 > kLargestChunk ? kLargestChunk : static_cast<DWORD>(contentLength + 1);
}

struct CrackedUrl {
  std::wstring host, path, user, password;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
};

std::optional<CrackedUrl> Crack(std::string_view url) {
  const std::u16string wideUrl = GbkToUtf16(url);
  std::wstring given(wideUrl.begin(), wideUrl.end());
  std::wstring canonical(given.size() * 3 + 16, L'\0');
  DWORD length = static_cast<DWORD>(canonical.size());
  if (InternetCanonicalizeUrlW(given.c_str(), canonical.data(), &length, ICU_NO_ENCODE)) {
    canonical.resize(length);
  } else {
    canonical = given;
  }
  std::vector<wchar_t> host(canonical.size() + 1), path(canonical.size() + 1),
      extra(canonical.size() + 1), user(canonical.size() + 1), password(canonical.size() + 1);
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host.data();
  parts.dwHostNameLength = static_cast<DWORD>(host.size());
  parts.lpszUrlPath = path.data();
  parts.dwUrlPathLength = static_cast<DWORD>(path.size());
  parts.lpszExtraInfo = extra.data();
  parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
  parts.lpszUserName = user.data();
  parts.dwUserNameLength = static_cast<DWORD>(user.size());
  parts.lpszPassword = password.data();
  parts.dwPasswordLength = static_cast<DWORD>(password.size());
  if (!InternetCrackUrlW(canonical.c_str(), static_cast<DWORD>(canonical.size()), 0, &parts) ||
      parts.dwHostNameLength == 0) {
    return std::nullopt;
  }
  CrackedUrl cracked;
  cracked.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  cracked.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  cracked.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (cracked.path.empty()) {
    cracked.path = L"/";
  }
  cracked.user.assign(parts.lpszUserName, parts.dwUserNameLength);
  cracked.password.assign(parts.lpszPassword, parts.dwPasswordLength);
  cracked.port = parts.nPort;
  return cracked;
}

}  // namespace

WinInetHttpClient::~WinInetHttpClient() {
  if (session_ != nullptr) {
    InternetCloseHandle(session_);
  }
}

std::optional<std::string> WinInetHttpClient::FetchUrlBody(std::string_view url) {
  if (session_ == nullptr) {
    session_ = InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (session_ == nullptr) {
      return std::nullopt;  // the next fetch tries again
    }
  }
  const std::optional<CrackedUrl> target = Crack(url);
  if (!target) {
    return std::nullopt;
  }
  const ULONGLONG started = GetTickCount64();

  Handle connection(InternetConnectW(session_, target->host.c_str(), target->port,
                                     target->user.empty() ? nullptr : target->user.c_str(),
                                     target->password.empty() ? nullptr : target->password.c_str(),
                                     INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) {
    return std::nullopt;
  }
  // The system's proxy settings apply, as for the browser; no proxy
  // credentials.
  INTERNET_PROXY_INFO proxy{};
  proxy.dwAccessType = INTERNET_OPEN_TYPE_PRECONFIG;
  InternetSetOptionW(session_, INTERNET_OPTION_PROXY, &proxy, sizeof proxy);
  wchar_t none[] = L"";
  InternetSetOptionW(connection.get(), INTERNET_OPTION_PROXY_USERNAME, none, 0);
  InternetSetOptionW(connection.get(), INTERNET_OPTION_PROXY_PASSWORD, none, 0);
  // Time-outs are honoured on the connection handle (Wine ignores them on the
  // session handle).
  DWORD connectTimeout = kConnectTimeoutMs;
  DWORD receiveTimeout = static_cast<DWORD>(kTransferTimeoutMs);
  InternetSetOptionW(connection.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connectTimeout,
                     sizeof connectTimeout);
  InternetSetOptionW(connection.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeout,
                     sizeof receiveTimeout);

  // Every run asks the server again and leaves nothing in the cache.
  Handle request(HttpOpenRequestW(
      connection.get(), L"GET", target->path.c_str(), L"HTTP/1.0", nullptr, nullptr,
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
  if (!request) {
    return std::nullopt;
  }
  InternetSetOptionW(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeout,
                     sizeof receiveTimeout);
  constexpr wchar_t kHeaders[] = L"Accept: */*\r\n";
  if (!HttpSendRequestW(request.get(), kHeaders, static_cast<DWORD>(wcslen(kHeaders)), nullptr,
                        0)) {
    return std::nullopt;
  }

  // An error page is not a template.
  DWORD status = 0;
  DWORD statusSize = sizeof status;
  if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &statusSize, nullptr) ||
      status < 200 || status > 299) {
    return std::nullopt;
  }

  // Sized from the announced length, so that a template normally arrives in
  // one read.
  const long long announced = ContentLength(request.get());
  std::vector<char> chunk(ChunkSize(announced));
  std::string body;
  for (;;) {
    DWORD read = 0;
    if (!InternetReadFile(request.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read)) {
      return std::nullopt;  // a transfer that broke off is no template
    }
    if (read == 0) {
      break;
    }
    body.append(chunk.data(), read);
    if (GetTickCount64() - started > kTransferTimeoutMs) {
      return std::nullopt;
    }
  }
  if (announced > 0 && static_cast<long long>(body.size()) < announced) {
    return std::nullopt;
  }
  return body;
}

}  // namespace zarvo
