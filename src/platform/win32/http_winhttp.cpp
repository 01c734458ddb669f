#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/gbk.hpp"
#include "platform/http_limits.hpp"
#include "platform/win32/win32_services.hpp"

// WinHTTP, not WinINet: WinINet ends a chunked body that the server cut off
// before its last chunk as if it were whole, and gives no way to tell the two
// apart.

namespace zarvo {
namespace {

constexpr wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr ULONGLONG kConnectTimeoutMs = 10'000;
constexpr DWORD kDefaultChunk = 10'240;
constexpr DWORD kLargestChunk = 102'400;

// Closes a WinHTTP handle when the fetch leaves the scope that opened it.
class Handle {
 public:
  explicit Handle(HINTERNET handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != nullptr) {
      WinHttpCloseHandle(handle_);
    }
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

// Every wait of a fetch is bounded by the time the fetch has left, so that the
// whole fetch ends by its deadline. False once the time is up.
bool BoundWaits(HINTERNET request, ULONGLONG deadline) {
  const ULONGLONG now = GetTickCount64();
  if (now >= deadline) {
    return false;
  }
  const int left = static_cast<int>(deadline - now);
  const int connect = static_cast<int>(std::min<ULONGLONG>(deadline - now, kConnectTimeoutMs));
  return WinHttpSetTimeouts(request, left, connect, left, left) != FALSE;
}

// The Content-Length header as the server sent it.
struct AnnouncedLength {
  bool present = false;
  bool valid = true;  // a plain decimal number
  unsigned long long bytes = 0;
};

AnnouncedLength ContentLength(HINTERNET request) {
  wchar_t text[32] = {};
  DWORD size = sizeof text;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX,
                           text, &size, WINHTTP_NO_HEADER_INDEX)) {
    const bool missing = GetLastError() == ERROR_WINHTTP_HEADER_NOT_FOUND;
    return {.present = !missing, .valid = missing};
  }
  AnnouncedLength length{.present = true};
  const size_t digits = size / sizeof(wchar_t);
  length.valid = digits > 0 && digits < 20;  // 19 digits cannot overflow
  for (size_t i = 0; i < digits && length.valid; ++i) {
    length.valid = text[i] >= L'0' && text[i] <= L'9';
    length.bytes = length.bytes * 10 + static_cast<unsigned>(text[i] - L'0');
  }
  return length;
}

DWORD ChunkSize(const AnnouncedLength& length) {
  if (!length.present || length.bytes == 0) {
    return kDefaultChunk;
  }
  return length.bytes + 1 > kLargestChunk ? kLargestChunk : static_cast<DWORD>(length.bytes + 1);
}

struct CrackedUrl {
  std::wstring host, path, user, password;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
};

std::optional<CrackedUrl> Crack(std::string_view url) {
  const std::u16string wideUrl = GbkToUtf16(url);
  const std::wstring given(wideUrl.begin(), wideUrl.end());
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  // Lengths of -1: the parts point into `given`.
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  parts.dwUserNameLength = static_cast<DWORD>(-1);
  parts.dwPasswordLength = static_cast<DWORD>(-1);
  if (given.empty() ||
      !WinHttpCrackUrl(given.c_str(), static_cast<DWORD>(given.size()), 0, &parts) ||
      parts.nScheme != INTERNET_SCHEME_HTTP || parts.dwHostNameLength == 0) {
    return std::nullopt;
  }
  CrackedUrl cracked;
  cracked.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  if (parts.lpszUrlPath != nullptr) {
    cracked.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  }
  if (parts.lpszExtraInfo != nullptr) {
    cracked.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  }
  if (cracked.path.empty()) {
    cracked.path = L"/";
  }
  if (parts.lpszUserName != nullptr) {
    cracked.user.assign(parts.lpszUserName, parts.dwUserNameLength);
  }
  if (parts.lpszPassword != nullptr) {
    cracked.password.assign(parts.lpszPassword, parts.dwPasswordLength);
  }
  cracked.port = parts.nPort;
  return cracked;
}

// The session follows the browser's static proxy setting, as the browser
// would reach the server.
HINTERNET OpenSession() {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG browser{};
  HINTERNET session = nullptr;
  if (WinHttpGetIEProxyConfigForCurrentUser(&browser) && browser.lpszProxy != nullptr) {
    session = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, browser.lpszProxy,
                          browser.lpszProxyBypass != nullptr ? browser.lpszProxyBypass
                                                             : WINHTTP_NO_PROXY_BYPASS,
                          0);
  }
  for (wchar_t* text : {browser.lpszAutoConfigUrl, browser.lpszProxy, browser.lpszProxyBypass}) {
    if (text != nullptr) {
      GlobalFree(text);
    }
  }
  if (session == nullptr) {
    session = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                          WINHTTP_NO_PROXY_BYPASS, 0);
  }
  return session;
}

// Reads the body to its end, at most to the announced length; nullopt when the
// transfer breaks off, the time is up or the body is too large for a template.
std::optional<std::string> ReadBody(HINTERNET request, const AnnouncedLength& length,
                                    ULONGLONG deadline) {
  std::vector<char> chunk(ChunkSize(length));
  std::string body;
  for (;;) {
    // Waits for the next bytes, not for a full chunk: a server that drips its
    // body cannot hold the fetch past its deadline.
    DWORD available = 0;
    if (!BoundWaits(request, deadline) || !WinHttpQueryDataAvailable(request, &available)) {
      return std::nullopt;
    }
    if (available == 0) {
      break;  // the body is complete (a broken one fails above)
    }
    DWORD want = std::min<DWORD>(available, static_cast<DWORD>(chunk.size()));
    if (length.present) {
      want = static_cast<DWORD>(std::min<unsigned long long>(want, length.bytes - body.size()));
    }
    DWORD read = 0;
    if (!WinHttpReadData(request, chunk.data(), want, &read)) {
      return std::nullopt;
    }
    if (!AppendWithinLimit(body, chunk.data(), read)) {
      return std::nullopt;
    }
    if (length.present && body.size() == length.bytes) {
      break;  // bytes past the announced length are not part of the body
    }
  }
  if (length.present && body.size() < length.bytes) {
    return std::nullopt;
  }
  return body;
}

}  // namespace

WinHttpClient::~WinHttpClient() {
  if (session_ != nullptr) {
    WinHttpCloseHandle(session_);
  }
}

std::optional<std::string> WinHttpClient::FetchUrlBody(std::string_view url) {
  if (session_ == nullptr) {
    session_ = OpenSession();
    if (session_ == nullptr) {
      return std::nullopt;  // the next fetch tries again
    }
  }
  const std::optional<CrackedUrl> target = Crack(url);
  if (!target) {
    return std::nullopt;
  }
  const ULONGLONG deadline = GetTickCount64() + kFetchTimeLimit.count();

  Handle connection(WinHttpConnect(session_, target->host.c_str(), target->port, 0));
  if (!connection) {
    return std::nullopt;
  }
  // No cache exists in WinHTTP: every run asks the server again.
  Handle request(WinHttpOpenRequest(connection.get(), L"GET", target->path.c_str(), L"HTTP/1.0",
                                    WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
  if (!request) {
    return std::nullopt;
  }
  // A redirect is a failed fetch, as in the Linux build; no cookies are kept.
  DWORD disabled = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES;
  DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  if (!WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &disabled,
                        sizeof disabled)) {
    return std::nullopt;
  }
  WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);
  if (!target->user.empty()) {
    WinHttpSetCredentials(request.get(), WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC,
                          target->user.c_str(), target->password.c_str(), nullptr);
  }

  constexpr wchar_t kHeaders[] = L"Accept: */*\r\n";
  if (!BoundWaits(request.get(), deadline) ||
      !WinHttpSendRequest(request.get(), kHeaders, static_cast<DWORD>(std::wcslen(kHeaders)),
                          WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !BoundWaits(request.get(), deadline) || !WinHttpReceiveResponse(request.get(), nullptr)) {
    return std::nullopt;
  }

  // An error page is not a template, nor is a redirect.
  DWORD status = 0;
  DWORD statusSize = sizeof status;
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize,
                           WINHTTP_NO_HEADER_INDEX) ||
      status < 200 || status > 299) {
    return std::nullopt;
  }

  // A length that is no number, or above the largest template, fails before
  // any of the body is read.
  const AnnouncedLength length = ContentLength(request.get());
  if (!length.valid || (length.present && length.bytes > kLargestTemplateBytes)) {
    return std::nullopt;
  }
  return ReadBody(request.get(), length, deadline);
}

}  // namespace zarvo
