// The Windows HTTP client against a real HTTP server on 127.0.0.1, scripted per case.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/win32_services.hpp"
#include "support/hostile_server_cases.hpp"
#include "support/http_test_server.hpp"

namespace zarvo {
namespace {

using test::HttpReply;
using test::HttpTestServer;
using test::Pattern;

constexpr char kPath[] = "/zarvorjkaikai/tasfdg74/gjx/750tpgj/750.txt";

HttpReply Reply(int status, std::string body) {
  HttpReply reply;
  reply.status = status;
  reply.body = std::move(body);
  return reply;
}

struct FetchCase {
  std::string name;
  HttpReply reply;
  std::optional<std::string> expected;  // nullopt: a failed fetch
};

class Win32HttpFetchTest : public testing::TestWithParam<FetchCase> {};

TEST_P(Win32HttpFetchTest, BodyOrFailure) {
  HttpTestServer server;
  server.Script(kPath, {GetParam().reply});
  Win32HttpClient http;
  const std::optional<std::string> body = http.FetchUrlBody("http://" + server.Host() + kPath);
  ASSERT_EQ(body.has_value(), GetParam().expected.has_value());
  if (body) {
    EXPECT_EQ(*body, *GetParam().expected);
  }
}

FetchCase Unannounced(std::string name, size_t size) {
  HttpReply reply = Reply(200, Pattern(size));
  reply.announceLength = false;
  return {std::move(name), reply, Pattern(size)};
}

FetchCase ShortBody() {
  HttpReply reply = Reply(200, std::string(500, 'a'));
  reply.announcedLength = 1000;
  return {"FewerBytesThanAnnouncedFail", reply, std::nullopt};
}

FetchCase BrokenOff() {
  HttpReply reply = Reply(200, Pattern(50000));
  reply.sendOnly = 20000;
  reply.reset = true;
  return {"TransferBrokenOffFails", reply, std::nullopt};
}

FetchCase HungUp() {
  HttpReply reply;
  reply.hangUp = true;
  return {"ServerHangsUpFails", reply, std::nullopt};
}

const std::string kTemplateBytes = "<div style=\"height:\xB8\xDF\xB6\xC8px\">\r\n582064937\n</div>";

INSTANTIATE_TEST_SUITE_P(
    Cases, Win32HttpFetchTest,
    testing::Values(
        FetchCase{"BytesUnchanged", Reply(200, kTemplateBytes), kTemplateBytes},
        FetchCase{"ZeroByteKept", Reply(200, std::string("0123456789\0tail", 15)),
                  std::string("0123456789\0tail", 15)},
        FetchCase{"EmptyBodyIsEmptyNotFailed", Reply(200, ""), std::string()},
        FetchCase{"Announced200000ArrivesWhole", Reply(200, Pattern(200000)), Pattern(200000)},
        Unannounced("UnannouncedArrivesWhole", 30000),
        FetchCase{"NotFoundPageIsNoTemplate", Reply(404, "<html>not found</html>"), std::nullopt},
        FetchCase{"ServerErrorIsNoTemplate", Reply(500, "oops"), std::nullopt}, ShortBody(),
        BrokenOff(), HungUp()),
    [](const auto& info) { return info.param.name; });

TEST(Win32HttpRequestTest, RequestAsSent) {
  HttpTestServer server;
  server.Script(kPath, {Reply(200, "x")});
  Win32HttpClient http;
  ASSERT_TRUE(http.FetchUrlBody("http://" + server.Host() + kPath));
  const std::vector<test::HttpRequest> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, std::string("GET ") + kPath + " HTTP/1.0");
  const auto& headers = requests[0].headers;
  const auto count = [&](std::string_view line) {
    return std::count_if(headers.begin(), headers.end(),
                         [&](const std::string& header) { return header == line; });
  };
  EXPECT_EQ(count("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"), 1);
  EXPECT_EQ(count("Accept: */*"), 1);
  EXPECT_EQ(count("Host: " + server.Host()), 1);
  const auto accepts = std::count_if(headers.begin(), headers.end(), [](const std::string& h) {
    return h.rfind("Accept:", 0) == 0;
  });
  EXPECT_EQ(accepts, 1);
}

TEST(Win32HttpRequestTest, FailedFetchLeavesTheClientUsable) {
  Win32HttpClient http;
  EXPECT_FALSE(http.FetchUrlBody(
      "http://127.0.0.1:" + std::to_string(HttpTestServer::ClosedPort()) + kPath));
  EXPECT_FALSE(http.FetchUrlBody("not a url"));
  HttpTestServer server;
  server.Script(kPath, {Reply(200, "after")});
  EXPECT_EQ(http.FetchUrlBody("http://" + server.Host() + kPath), "after");
}

class Win32HttpHostileServerTest : public testing::TestWithParam<test::HostileCase> {};

TEST_P(Win32HttpHostileServerTest, EndsInTimeWithinBoundedMemory) {
  test::RunHostileCase(GetParam(), [] { return std::make_shared<Win32HttpClient>(); });
}

INSTANTIATE_TEST_SUITE_P(Cases, Win32HttpHostileServerTest, testing::ValuesIn(test::HostileCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace zarvo
