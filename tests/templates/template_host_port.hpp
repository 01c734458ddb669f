// Tests that serve the templates for a real program listen on the template
// host the program was built with.
#pragma once

#include <charconv>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "support/http_test_server.hpp"
#include "templates/template_fetch.hpp"

namespace zarvo::test {

// The port of the built-in template host when that host is 127.0.0.1.
inline std::optional<uint16_t> LocalTemplatePort() {
  constexpr std::string_view kLocal = "127.0.0.1";
  std::string_view host = TemplateHost();
  if (host.substr(0, kLocal.size()) != kLocal) {
    return std::nullopt;
  }
  host.remove_prefix(kLocal.size());
  if (host.empty()) {
    return 80;
  }
  uint16_t port = 0;
  if (host[0] != ':' || std::from_chars(host.data() + 1, host.data() + host.size(), port).ptr !=
                            host.data() + host.size()) {
    return std::nullopt;
  }
  return port;
}

// A server on that fixed port. Another test run on the same machine may hold
// the port for a moment: wait for it rather than fail.
inline std::unique_ptr<HttpTestServer> ListenOnTemplatePort(uint16_t port) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    try {
      return std::make_unique<HttpTestServer>(port);
    } catch (const std::runtime_error&) {
      if (std::chrono::steady_clock::now() > deadline) {
        throw;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
}

}  // namespace zarvo::test
