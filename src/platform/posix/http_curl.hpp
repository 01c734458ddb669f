// The HTTP client of Linux and macOS, on libcurl.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "platform/http_limits.hpp"
#include "platform/services.hpp"

struct curl_slist;

namespace zarvo {

// Plain HTTP/1.0 GETs that look like the Windows build's requests: the same
// request line, user agent and Accept header, no cache, no cookies, no
// redirects. One handle, opened by the first fetch, serves every fetch of the
// run. Used by one thread at a time.
class CurlHttpClient final : public HttpClient {
 public:
  struct TimeOuts {
    std::chrono::milliseconds connect{10'000};
    std::chrono::milliseconds transfer{kFetchTimeLimit};  // the whole request, connect included
  };

  CurlHttpClient();
  explicit CurlHttpClient(TimeOuts timeOuts);
  ~CurlHttpClient() override;
  CurlHttpClient(const CurlHttpClient&) = delete;
  CurlHttpClient& operator=(const CurlHttpClient&) = delete;

  std::optional<std::string> FetchUrlBody(std::string_view url) override;

 private:
  bool Open();

  TimeOuts timeOuts_;
  bool globalReady_ = false;
  void* handle_ = nullptr;  // CURL*
  curl_slist* headers_ = nullptr;
};

}  // namespace zarvo
