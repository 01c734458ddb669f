// Tests that serve the templates for a real program listen on the template
// host the program was built with.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

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
  if (host[0] != ':' ||
      std::from_chars(host.data() + 1, host.data() + host.size(), port).ptr !=
          host.data() + host.size()) {
    return std::nullopt;
  }
  return port;
}

}  // namespace zarvo::test
