// The template server's host, as a user or the build gives it: HOST[:PORT],
// where HOST is a DNS name, an IPv4 address or a bracketed IPv6 address and
// PORT is 1-65535 (80 when left out).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zarvo {

// Nothing for a valid host; otherwise one line of English (UTF-8) that names
// the value, says what is wrong with it and what form it takes.
std::optional<std::string> TemplateHostError(std::string_view host);

// The host to fetch from: the command line's value when there is one, else
// the environment's (ZARVO_TEMPLATE_HOST; null or empty when not set), else
// the build setting. The choice is not checked here.
std::string ChooseTemplateHost(std::optional<std::string_view> commandLine,
                               const char* environment);

}  // namespace zarvo
