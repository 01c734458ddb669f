#include "templates/template_host.hpp"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "templates/template_fetch.hpp"

namespace zarvo {
namespace {

constexpr std::string_view kForm =
    "it takes the form HOST[:PORT], where HOST is a DNS name, an IPv4 address or a bracketed "
    "IPv6 address and PORT is 1-65535 (default 80)";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) {
      return parts;
    }
    text.remove_prefix(at + 1);
  }
}

// Four decimal numbers 0-255, without leading zeros (which some resolvers
// read as octal).
bool IsIpv4(std::string_view text) {
  const std::vector<std::string_view> parts = Split(text, '.');
  if (parts.size() != 4) {
    return false;
  }
  return std::all_of(parts.begin(), parts.end(), [](std::string_view part) {
    if (part.empty() || part.size() > 3 || !std::all_of(part.begin(), part.end(), IsDigit) ||
        (part.size() > 1 && part[0] == '0')) {
      return false;
    }
    return std::stoi(std::string(part)) <= 255;
  });
}

// Eight groups of 1-4 hex digits, one run of them shortened to "::", the last
// two groups optionally written as an IPv4 address. No zone index.
bool IsIpv6(std::string_view text) {
  const size_t gap = text.find("::");
  if (gap != std::string_view::npos && text.find("::", gap + 1) != std::string_view::npos) {
    return false;
  }
  int groups = 0;
  auto countGroups = [&groups](std::string_view half, bool last) {
    if (half.empty()) {
      return true;
    }
    const std::vector<std::string_view> parts = Split(half, ':');
    for (size_t i = 0; i < parts.size(); ++i) {
      const std::string_view part = parts[i];
      if (last && i + 1 == parts.size() && IsIpv4(part)) {
        groups += 2;
      } else if (!part.empty() && part.size() <= 4 &&
                 std::all_of(part.begin(), part.end(), IsHexDigit)) {
        groups += 1;
      } else {
        return false;
      }
    }
    return true;
  };
  if (gap == std::string_view::npos) {
    return countGroups(text, true) && groups == 8;
  }
  return countGroups(text.substr(0, gap), false) && countGroups(text.substr(gap + 2), true) &&
         groups < 8;
}

// Labels of 1-63 letters, digits and hyphens, neither starting nor ending with
// a hyphen; 253 characters at most, a final dot allowed.
bool IsDnsName(std::string_view text) {
  if (!text.empty() && text.back() == '.') {
    text.remove_suffix(1);
  }
  if (text.empty() || text.size() > 253) {
    return false;
  }
  const std::vector<std::string_view> labels = Split(text, '.');
  return std::all_of(labels.begin(), labels.end(), [](std::string_view label) {
    return !label.empty() && label.size() <= 63 && label.front() != '-' && label.back() != '-' &&
           std::all_of(label.begin(), label.end(),
                       [](char c) { return IsLetter(c) || IsDigit(c) || c == '-'; });
  });
}

// A name whose last label is a number is an IPv4 address or nothing, as URL
// parsers read it.
bool LooksLikeIpv4(std::string_view text) {
  const size_t dot = text.rfind('.');
  const std::string_view last = text.substr(dot == std::string_view::npos ? 0 : dot + 1);
  return !last.empty() && std::all_of(last.begin(), last.end(), IsDigit);
}

std::optional<std::string_view> Problem(std::string_view host) {
  if (host.empty()) {
    return "it is empty";
  }
  if (std::any_of(host.begin(), host.end(),
                  [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; })) {
    return "it holds spaces or control characters";
  }
  if (host.find("://") != std::string_view::npos) {
    return "it has a scheme";
  }
  if (host.find('@') != std::string_view::npos) {
    return "it has a user name";
  }
  if (host.find_first_of("?#") != std::string_view::npos) {
    return "it has a query or fragment";
  }
  if (host.find_first_of("/\\") != std::string_view::npos) {
    return "it has a path";
  }

  std::string_view name = host;
  std::optional<std::string_view> port;
  if (host.front() == '[') {
    const size_t close = host.find(']');
    if (close == std::string_view::npos) {
      return "its IPv6 address has no closing bracket";
    }
    if (!IsIpv6(host.substr(1, close - 1))) {
      return "the IPv6 address in brackets is not valid";
    }
    const std::string_view rest = host.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') {
      return "only a port may follow the IPv6 address";
    }
    if (!rest.empty()) {
      port = rest.substr(1);
    }
    name = {};
  } else {
    const size_t colon = host.find(':');
    if (colon != std::string_view::npos) {
      if (host.find(':', colon + 1) != std::string_view::npos) {
        return "it has more than one colon (an IPv6 address goes in brackets)";
      }
      name = host.substr(0, colon);
      port = host.substr(colon + 1);
    }
    if (name.empty()) {
      return "the host before the port is empty";
    }
    if (LooksLikeIpv4(name)) {
      if (!IsIpv4(name)) {
        return "it is not a valid IPv4 address";
      }
    } else if (!IsDnsName(name)) {
      return "it is not a valid DNS name";
    }
  }

  if (port) {
    if (port->empty() || port->size() > 5 || !std::all_of(port->begin(), port->end(), IsDigit)) {
      return "its port is not a number";
    }
    const int value = std::stoi(std::string(*port));
    if (value < 1 || value > 65535) {
      return "its port is outside 1-65535";
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> TemplateHostError(std::string_view host) {
  const std::optional<std::string_view> problem = Problem(host);
  if (!problem) {
    return std::nullopt;
  }
  // Control characters would break the line: show them as escapes.
  std::string shown;
  for (const char c : host) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '"' || c == '\\') {
      constexpr std::string_view kHex = "0123456789abcdef";
      shown += c == '"' || c == '\\' ? std::string{'\\', c}
                                     : std::string{'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    } else {
      shown += c;
    }
  }
  std::string message = "invalid template host \"";
  message += shown;
  message += "\": ";
  message += *problem;
  message += "; ";
  message += kForm;
  return message;
}

std::string ChooseTemplateHost(std::optional<std::string_view> commandLine,
                               const char* environment) {
  if (commandLine) {
    return std::string(*commandLine);
  }
  if (environment != nullptr && *environment != '\0') {
    return environment;
  }
  return std::string(TemplateHost());
}

}  // namespace zarvo
