// The fetcher with the real libcurl client against a real server on 127.0.0.1,
// scripted per case.
#include <gtest/gtest.h>

#include <set>

#include "platform/posix/http_curl.hpp"
#include "support/fakes.hpp"
#include "support/http_test_server.hpp"
#include "templates/template_fetch.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using test::HttpReply;
using test::HttpTestServer;
using namespace std::chrono_literals;

const std::string P(kPreviewTemplatePath);
const std::string A750(kArea750TemplatePath);
const std::string A190(kArea190TemplatePath);

// Notes every URL before handing it to the real client.
class RecordingHttp final : public HttpClient {
 public:
  explicit RecordingHttp(HttpClient& inner) : inner_(inner) {}
  std::optional<std::string> FetchUrlBody(std::string_view url) override {
    urls.emplace_back(url);
    return inner_.FetchUrlBody(url);
  }
  std::vector<std::string> urls;

 private:
  HttpClient& inner_;
};

// Bytes of every value but zero, so that a lost or moved byte shows.
std::string Pattern(size_t size) {
  std::string text(size, '\0');
  for (size_t i = 0; i < size; ++i) {
    text[i] = static_cast<char>(1 + i % 255);
  }
  return text;
}

struct Holders {
  std::string preview8, area9, area7;
  std::vector<std::string> paths;  // as the server saw them
};

Holders FetchFrom(HttpTestServer& server) {
  CurlHttpClient http;
  ToolWindow window;
  test::InlineWindowThread windowThread;
  FetchTemplates(window, windowThread, http, server.Host());
  return {window.Text(编辑框8), window.Text(编辑框9), window.Text(编辑框7),
          server.RequestedPaths()};
}

const std::vector<std::string> kThreeFetches{P, A750, A190};
const std::vector<std::string> kFiveFetches{P, A750, A190, A750, A190};

struct ReplyCase {
  const char* name;
  HttpReply area750;  // the answer to both fetches of the 750-area template
  std::string expected9;
  bool retried;
};

class TemplateHttpTest : public testing::TestWithParam<ReplyCase> {};

TEST_P(TemplateHttpTest, Area750Answer) {
  const ReplyCase& c = GetParam();
  HttpTestServer server;
  server.Script(P, {{.body = "page"}});
  server.Script(A750, {c.area750});
  server.Script(A190, {{.body = "t190"}});

  const Holders run = FetchFrom(server);

  EXPECT_EQ(run.area9.size(), c.expected9.size());
  EXPECT_TRUE(run.area9 == c.expected9);  // sizes above show the difference; bytes may be huge
  EXPECT_EQ(run.paths, c.retried ? kFiveFetches : kThreeFetches);
  EXPECT_EQ(run.preview8, "page");
  EXPECT_EQ(run.area7, "t190");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TemplateHttpTest,
    testing::Values(
        ReplyCase{"Arrives", {.body = "<div>t750</div>"}, "<div>t750</div>", false},
        ReplyCase{"NotFoundPageIsNoTemplate",
                  {.status = 404, .body = "<html>Not Found</html>"},
                  "",
                  true},
        ReplyCase{"RedirectIsNoTemplate", {.status = 301, .body = "moved"}, "", true},
        ReplyCase{"EmptyBody", {.body = ""}, "", true},
        ReplyCase{"ZeroByteAfterTenBytes",
                  {.body = std::string("0123456789\0after", 16)},
                  "0123456789",
                  false},
        ReplyCase{"LargeAnnouncedBodyWhole", {.body = Pattern(200000)}, Pattern(200000), false},
        ReplyCase{"LargeUnannouncedBodyWhole",
                  {.body = Pattern(200000), .announceLength = false},
                  Pattern(200000),
                  false},
        ReplyCase{"LineEndsAndGbkUnchanged",
                  {.body = "a\r\nb\nc\r\xB8\xDF\xB6\xC8\x81\x40\xFF"},
                  "a\r\nb\nc\r\xB8\xDF\xB6\xC8\x81\x40\xFF",
                  false},
        ReplyCase{"DroppedMidBody", {.body = Pattern(5000), .sendOnly = 2000}, "", true},
        ReplyCase{"ResetMidUnannouncedBody",
                  {.body = Pattern(5000), .announceLength = false, .sendOnly = 2000, .reset = true},
                  "",
                  true},
        ReplyCase{"HungUpWithoutAnswer", {.hangUp = true}, "", true}),
    [](const auto& info) { return info.param.name; });

TEST(TemplateHttpTest, ServerDownFiveFetchesInOrderAllEmpty) {
  const std::string host = "127.0.0.1:" + std::to_string(HttpTestServer::ClosedPort());
  CurlHttpClient curl;
  RecordingHttp http(curl);
  ToolWindow window;
  test::InlineWindowThread windowThread;

  FetchTemplates(window, windowThread, http, host);

  std::vector<std::string> expected;
  expected.reserve(kFiveFetches.size());
  for (const std::string& path : kFiveFetches) {
    expected.push_back(TemplateUrl(host, path));
  }
  EXPECT_EQ(http.urls, expected);
  EXPECT_EQ(window.Text(编辑框8), "");
  EXPECT_EQ(window.Text(编辑框9), "");
  EXPECT_EQ(window.Text(编辑框7), "");
}

TEST(TemplateHttpTest, Area190FailsNothingFetchedAgain) {
  HttpTestServer server;
  server.Script(P, {{.body = "page"}});
  server.Script(A750, {{.body = "t750"}});
  server.Script(A190, {{.status = 500, .body = "oops"}});

  const Holders run = FetchFrom(server);

  EXPECT_EQ(run.paths, kThreeFetches);
  EXPECT_EQ(run.area9, "t750");
  EXPECT_EQ(run.area7, "");
}

TEST(TemplateHttpTest, Area750ArrivesOnSecondTryAndFirst190Survives) {
  HttpTestServer server;
  server.Script(P, {{.body = "page"}});
  server.Script(A750, {{.hangUp = true}, {.body = "t750"}});
  server.Script(A190, {{.body = "t190"}, {.body = "cut", .announcedLength = 100}});

  const Holders run = FetchFrom(server);

  EXPECT_EQ(run.paths, kFiveFetches);
  EXPECT_EQ(run.area9, "t750");
  EXPECT_EQ(run.area7, "t190");
}

TEST(TemplateHttpTest, RequestsAsSent) {
  HttpTestServer server;
  server.Script(P, {{.body = "page"}});
  server.Script(A750, {{.body = "t750"}});
  server.Script(A190, {{.body = "t190"}});

  FetchFrom(server);

  const std::vector<test::HttpRequest> requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  const std::set<std::string> expectedHeaders{
      "Host: " + server.Host(), "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)",
      "Accept: */*"};
  for (size_t i = 0; i < requests.size(); ++i) {
    EXPECT_EQ(requests[i].requestLine, "GET " + kThreeFetches[i] + " HTTP/1.0");
    EXPECT_EQ(std::set<std::string>(requests[i].headers.begin(), requests[i].headers.end()),
              expectedHeaders);
    EXPECT_EQ(requests[i].headers.size(), expectedHeaders.size());
  }
}

TEST(CurlHttpClientTest, ServerThatHangsIsGivenUp) {
  HttpTestServer server;
  server.Script("/slow", {{.body = "late", .delay = 3s}});
  CurlHttpClient http({.connect = 1s, .transfer = 300ms});

  EXPECT_EQ(http.FetchUrlBody("http://" + server.Host() + "/slow"), std::nullopt);
  // The handle serves the next fetch all the same.
  server.Script("/fast", {{.body = "quick"}});
  EXPECT_EQ(http.FetchUrlBody("http://" + server.Host() + "/fast"), "quick");
}

}  // namespace
}  // namespace zarvo
