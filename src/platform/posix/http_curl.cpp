#include "platform/posix/http_curl.hpp"

#include <curl/curl.h>

namespace zarvo {
namespace {

// The user agent and Accept header that the Windows build sends as well.
constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr const char* kAcceptHeader = "Accept: */*";

// Returning fewer bytes than given makes curl stop the transfer and fail it:
// so a body above the largest template size ends the fetch at once, and no
// exception crosses curl's C frames.
size_t AppendBody(char* data, size_t size, size_t count, void* body) {
  const size_t bytes = size * count;
  return AppendWithinLimit(*static_cast<std::string*>(body), data, bytes) ? bytes : 0;
}

}  // namespace

CurlHttpClient::CurlHttpClient() : CurlHttpClient(TimeOuts{}) {}

CurlHttpClient::CurlHttpClient(TimeOuts timeOuts)
    : timeOuts_(timeOuts), globalReady_(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {}

CurlHttpClient::~CurlHttpClient() {
  if (handle_ != nullptr) {
    curl_easy_cleanup(handle_);
  }
  curl_slist_free_all(headers_);
  if (globalReady_) {
    curl_global_cleanup();
  }
}

// Opens the handle on first use; a failure leaves it for the next fetch to try
// again.
bool CurlHttpClient::Open() {
  if (handle_ != nullptr) {
    return true;
  }
  if (!globalReady_) {
    globalReady_ = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!globalReady_) {
      return false;
    }
  }
  if (headers_ == nullptr) {
    headers_ = curl_slist_append(nullptr, kAcceptHeader);
    if (headers_ == nullptr) {
      return false;
    }
  }
  handle_ = curl_easy_init();
  return handle_ != nullptr;
}

std::optional<std::string> CurlHttpClient::FetchUrlBody(std::string_view url) {
  if (!Open()) {
    return std::nullopt;
  }
  CURL* curl = handle_;
  std::string body;
  const std::string urlText(url);
  // Options are set anew for every fetch; the handle keeps only its
  // connections and name cache between fetches.
  curl_easy_reset(curl);
  bool ok = curl_easy_setopt(curl, CURLOPT_URL, urlText.c_str()) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers_) == CURLE_OK &&
            // A worker thread must not have curl's time-outs raise signals.
            curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                             static_cast<long>(timeOuts_.connect.count())) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS,
                             static_cast<long>(timeOuts_.transfer.count())) == CURLE_OK &&
            // A body announced above the largest template size is refused
            // before it arrives; AppendBody holds the same line for the rest.
            curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                             static_cast<curl_off_t>(kLargestTemplateBytes)) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body) == CURLE_OK;
  if (!ok || curl_easy_perform(curl) != CURLE_OK) {
    // No connection, a time-out, a read error, fewer bytes than the
    // announced Content-Length or more than a template may have: the part
    // received is no template.
    return std::nullopt;
  }
  long status = 0;
  if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status < 200 ||
      status > 299) {
    // An error page is no template either, nor a redirect: it is not
    // followed.
    return std::nullopt;
  }
  return body;
}

}  // namespace zarvo
