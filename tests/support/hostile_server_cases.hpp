// Servers that misbehave on purpose, one table for every HTTP client: a body
// without end, a length no template has, a drip, broken chunked coding, a reset,
// a redirect, a body longer than announced. Each case runs one fetch on a
// worker thread and checks that the worker ends in time, that memory stays
// bounded while it runs, and what the fetch returns.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// windows.h first
#include <psapi.h>
#else
#include <unistd.h>

#include <fstream>
#endif

#include "platform/services.hpp"
#include "support/http_test_server.hpp"

namespace zarvo::test {

// How far the process may grow while one fetch runs. AddressSanitizer keeps
// freed memory in quarantine (up to 256 MiB), so a long fetch that allocates
// and frees as it goes grows there without holding anything.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr double kGrowthBoundMiB = 64.0 + 256.0;
#else
inline constexpr double kGrowthBoundMiB = 64.0;
#endif

constexpr size_t kMiB = 1024 * 1024;
constexpr char kHostilePath[] = "/zarvorjkaikai/tasfdg74/gjx/750tpgj/750.txt";

// Bytes of every value but zero, so that a lost or moved byte shows.
inline std::string Pattern(size_t size) {
  std::string text(size, '\0');
  for (size_t i = 0; i < size; ++i) {
    text[i] = static_cast<char>(1 + i % 255);
  }
  return text;
}

// The memory the process holds now, in bytes.
inline size_t ResidentBytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)
             ? counters.WorkingSetSize
             : 0;
#else
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0;
  size_t resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

struct HostileCase {
  std::string name;
  HttpReply reply;
  std::optional<std::string> expected;  // nullopt: a failed fetch
  // When the fetch must have ended, in seconds from its start.
  double atLeast = 0;
  double atMost = 15;
  // The reply redirects to the same path on another server.
  bool redirect = false;
  // A body of this many pattern bytes, made when the case runs (so that the
  // table itself stays small); expected whole if `arrives`.
  size_t patternBytes = 0;
  bool arrives = false;
};

inline std::vector<HostileCase> HostileCases() {
  const std::string kChunkedBody = Pattern(5000);
  // Five whole chunks of 1000 bytes ("3e8" CR LF, the bytes, CR LF): all the
  // data arrives, the last chunk does not.
  constexpr size_t kFiveChunks = 5 * (3 + 2 + 1000 + 2);
  return {
      {.name = "EndlessBody",
       .reply = {.body = Pattern(4096), .announceLength = false, .endless = true},
       .expected = std::nullopt},
      {.name = "HugeAnnouncedLength",
       .reply = {.body = Pattern(4096), .lengthText = "3221225472", .endless = true},
       .expected = std::nullopt,
       .atMost = 5},
      {.name = "BodyOfTheLargestSizeArrives",
       .reply = {},
       .expected = std::nullopt,
       .patternBytes = 16 * kMiB,
       .arrives = true},
      {.name = "OneByteTooManyUnannounced",
       .reply = {.announceLength = false},
       .expected = std::nullopt,
       .patternBytes = 16 * kMiB + 1},
      {.name = "DripAt100BytesPerSecond",
       .reply = {.body = Pattern(20000), .bytesPerSecond = 100},
       .expected = std::nullopt,
       .atLeast = 59,
       .atMost = 61},
      {.name = "NoAnswerFor70Seconds",
       .reply = {.body = "late", .delay = std::chrono::seconds(70)},
       .expected = std::nullopt,
       .atLeast = 59,
       .atMost = 61},
      {.name = "ChunkedBodyCutBeforeItsLastChunk",
       .reply = {.body = kChunkedBody, .sendOnly = kFiveChunks, .chunked = true},
       .expected = std::nullopt},
      {.name = "ChunkedBodyWhole",
       .reply = {.body = kChunkedBody, .chunked = true},
       .expected = kChunkedBody},
      {.name = "BadChunkSize",
       .reply = {.body = kChunkedBody, .chunked = true, .badChunkSize = true},
       .expected = std::nullopt},
      {.name = "ResetWithoutLength",
       .reply = {.body = Pattern(50000), .announceLength = false, .sendOnly = 20000, .reset = true},
       .expected = std::nullopt},
      {.name = "NegativeLength",
       .reply = {.body = "the whole body", .lengthText = "-1"},
       .expected = std::nullopt},
      {.name = "RedirectToAnotherPort",
       .reply = {.status = 302, .body = "moved"},
       .expected = std::nullopt,
       .redirect = true},
      {.name = "BodyLongerThanAnnounced",
       .reply = {.body = "0123456789ABCDE", .announcedLength = 5},
       .expected = "01234"},
  };
}

// Runs the case's fetch with a client from `makeClient` on a worker thread.
inline void RunHostileCase(const HostileCase& c,
                           const std::function<std::shared_ptr<HttpClient>()>& makeClient) {
  using Clock = std::chrono::steady_clock;
#ifdef _WIN32
  if (c.reply.reset && !c.reply.announceLength) {
    // Wine's Winsock ends the server's connection in order even with a zero
    // linger and the request unread, so the client sees no reset to fail on.
    GTEST_SKIP() << "the test server cannot reset a connection under Wine";
  }
#endif
  HttpTestServer server;
  HttpTestServer other;
  other.Script(kHostilePath, {{.body = "redirected"}});
  HttpReply reply = c.reply;
  std::optional<std::string> expected = c.expected;
  if (c.patternBytes > 0) {
    reply.body = Pattern(c.patternBytes);
    if (c.arrives) {
      expected = reply.body;
    }
  }
  if (c.redirect) {
    reply.headers.push_back("Location: http://" + other.Host() + kHostilePath);
  }
  server.Script(kHostilePath, {std::move(reply)});

  // Shared with the worker, which may outlive this function if it never ends.
  struct Run {
    std::shared_ptr<HttpClient> client;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::optional<std::string> body;
  };
  auto run = std::make_shared<Run>();
  run->client = makeClient();
  const std::string url = "http://" + server.Host() + kHostilePath;

  const size_t startBytes = ResidentBytes();
  std::atomic<size_t> peakBytes{startBytes};
  std::atomic<bool> sampling{true};
  std::thread sampler([&] {
    while (sampling) {
      const size_t now = ResidentBytes();
      if (now > peakBytes) {
        peakBytes = now;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });

  const auto started = Clock::now();
  std::thread worker([run, url] {
    std::optional<std::string> body = run->client->FetchUrlBody(url);
    std::lock_guard lock(run->mutex);
    run->body = std::move(body);
    run->done = true;
    run->ended.notify_all();
  });
  bool ended = false;
  {
    std::unique_lock lock(run->mutex);
    ended = run->ended.wait_for(lock, std::chrono::duration<double>(c.atMost + 30),
                                [&] { return run->done; });
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  sampling = false;
  sampler.join();
  if (!ended) {
    worker.detach();  // it keeps `run` alive
    FAIL() << "the fetch was still running after " << seconds << " s";
  }
  worker.join();

  const double grownMiB = static_cast<double>(peakBytes - startBytes) / kMiB;
  std::printf("%s: %.2f s, memory grew %.1f MiB\n", c.name.c_str(), seconds, grownMiB);
  EXPECT_LT(grownMiB, kGrowthBoundMiB);
  EXPECT_GE(seconds, c.atLeast);
  EXPECT_LE(seconds, c.atMost);
  ASSERT_EQ(run->body.has_value(), expected.has_value())
      << (run->body ? std::to_string(run->body->size()) + " bytes returned" : "failed");
  if (expected) {
    EXPECT_EQ(run->body->size(), expected->size());
    EXPECT_TRUE(*run->body == *expected);  // sizes above show the difference; bytes may be huge
  }
  EXPECT_TRUE(other.Requests().empty()) << "a redirect was followed";
}

}  // namespace zarvo::test
