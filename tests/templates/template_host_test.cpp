// Checking and choosing the template server's host, and the built-in
// templates that stand in when it cannot be reached.
#include "templates/template_host.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/test_files.hpp"
#include "templates/builtin_templates.hpp"
#include "templates/template_fetch.hpp"

namespace zarvo {
namespace {

struct HostCase {
  const char* name;
  std::string host;
  const char* reason;  // nullptr for a valid host
};

const HostCase kHostCases[] = {
    {"DnsName", "templates.example", nullptr},
    {"DnsNameWithPort", "templates.example:8750", nullptr},
    {"FinalDot", "templates.example.:80", nullptr},
    {"SingleLabel", "localhost", nullptr},
    {"Ipv4", "127.0.0.1", nullptr},
    {"Ipv4WithPort", "127.0.0.1:8750", nullptr},
    {"Ipv6WithPort", "[::1]:8080", nullptr},
    {"Ipv6NoPort", "[2001:db8::7]", nullptr},
    {"Ipv6Full", "[1:2:3:4:5:6:7:8]", nullptr},
    {"Ipv6WithIpv4", "[::ffff:192.0.2.1]", nullptr},
    {"LowestAndHighestPort", "x:1", nullptr},
    {"HighestPort", "x:65535", nullptr},
    {"Empty", "", "it is empty"},
    {"Scheme", "http://x", "it has a scheme"},
    {"Space", "a b", "it holds spaces or control characters"},
    {"TrailingNewline", "x\n", "it holds spaces or control characters"},
    {"Tab", "x\t:80", "it holds spaces or control characters"},
    {"PortZero", "x:0", "its port is outside 1-65535"},
    {"PortTooHigh", "x:65536", "its port is outside 1-65535"},
    {"PortEmpty", "x:", "its port is not a number"},
    {"PortNotNumber", "x:8o", "its port is not a number"},
    {"PortSigned", "x:+80", "its port is not a number"},
    {"UserName", "user@x", "it has a user name"},
    {"Path", "x/path", "it has a path"},
    {"Backslash", "x\\path", "it has a path"},
    {"Query", "x?a=1", "it has a query or fragment"},
    {"Fragment", "x#top", "it has a query or fragment"},
    {"NoHost", ":8080", "the host before the port is empty"},
    {"Underscore", "my_host", "it is not a valid DNS name"},
    {"HyphenFirst", "-x.example", "it is not a valid DNS name"},
    {"EmptyLabel", "a..example", "it is not a valid DNS name"},
    {"LongLabel", std::string(64, 'a') + ".example", "it is not a valid DNS name"},
    {"NonAscii", "\xE4\xBE\x8B.example", "it is not a valid DNS name"},
    {"ShortIpv4", "1.2.3", "it is not a valid IPv4 address"},
    {"Ipv4OutOfRange", "256.0.0.1", "it is not a valid IPv4 address"},
    {"Ipv4LeadingZero", "010.0.0.1", "it is not a valid IPv4 address"},
    {"Ipv6Unbracketed", "::1", "it has more than one colon (an IPv6 address goes in brackets)"},
    {"Ipv6Unclosed", "[::1:80", "its IPv6 address has no closing bracket"},
    {"Ipv6TwoGaps", "[1::2::3]", "the IPv6 address in brackets is not valid"},
    {"Ipv6NineGroups", "[1:2:3:4:5:6:7:8:9]", "the IPv6 address in brackets is not valid"},
    {"Ipv6NotHex", "[::g]", "the IPv6 address in brackets is not valid"},
    {"Ipv6TrailingText", "[::1]x", "only a port may follow the IPv6 address"},
    {"Ipv6PortZero", "[::1]:0", "its port is outside 1-65535"},
};

class TemplateHostErrorTest : public testing::TestWithParam<HostCase> {};

TEST_P(TemplateHostErrorTest, RefusesWithTheReasonAndTheForm) {
  const HostCase& c = GetParam();
  const std::optional<std::string> error = TemplateHostError(c.host);
  if (c.reason == nullptr) {
    EXPECT_EQ(error, std::nullopt);
    return;
  }
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find(c.reason), std::string::npos) << *error;
  EXPECT_NE(error->find("HOST[:PORT]"), std::string::npos) << *error;
  EXPECT_EQ(error->find('\n'), std::string::npos) << "one line: " << *error;
}

INSTANTIATE_TEST_SUITE_P(Hosts, TemplateHostErrorTest, testing::ValuesIn(kHostCases),
                         [](const auto& info) { return info.param.name; });

TEST(TemplateHostErrorTest, NamesTheValueWithControlCharactersEscaped) {
  EXPECT_EQ(TemplateHostError("http://x"),
            "invalid template host \"http://x\": it has a scheme; it takes the form HOST[:PORT], "
            "where HOST is a DNS name, an IPv4 address or a bracketed IPv6 address and PORT is "
            "1-65535 (default 80)");
  const std::optional<std::string> error = TemplateHostError("x\r\n\"");
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("\"x\\x0d\\x0a\\\"\""), std::string::npos) << *error;
}

#ifndef _WIN32
// The configure step checks the build setting with a CMake script of its own:
// it must accept and refuse the same hosts, for the same reason.
TEST(TemplateHostErrorTest, TheConfigureCheckAgrees) {
  for (const HostCase& c : kHostCases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(setenv("ZARVO_CHECK_HOST", c.host.c_str(), 1), 0);
    // CMake wraps its message: compare with the line breaks taken out.
    const std::string output = test::CommandOutput(
        "if out=$('" ZARVO_CMAKE_COMMAND "' -P '" ZARVO_TEMPLATE_HOST_SCRIPT
        "' 2>&1); then echo accepted; else echo \"$out\" | tr -s ' \\n' '  '; fi");
    if (c.reason == nullptr) {
      EXPECT_EQ(output, "accepted\n");
    } else {
      EXPECT_NE(output.find(c.reason), std::string::npos) << output;
    }
  }
  unsetenv("ZARVO_CHECK_HOST");
}
#endif

TEST(ChooseTemplateHostTest, CommandLineThenEnvironmentThenBuildSetting) {
  EXPECT_EQ(ChooseTemplateHost("cli.example:81", "env.example:82"), "cli.example:81");
  EXPECT_EQ(ChooseTemplateHost("cli.example", nullptr), "cli.example");
  // A value given on the command line is taken as given, to be refused there.
  EXPECT_EQ(ChooseTemplateHost("", "env.example"), "");
  EXPECT_EQ(ChooseTemplateHost(std::nullopt, "env.example:82"), "env.example:82");
  EXPECT_EQ(ChooseTemplateHost(std::nullopt, nullptr), TemplateHost());
  // An empty environment variable counts as not set.
  EXPECT_EQ(ChooseTemplateHost(std::nullopt, ""), TemplateHost());
}

TEST(BuiltinTemplatesTest, AreTheSampleServersFilesByteForByte) {
  const std::filesystem::path samples = ZARVO_SAMPLES_DIR;
  const TemplateSet& builtin = BuiltinTemplates();
  auto sample = [&samples](std::string_view path) {
    std::string text = test::ReadFile(samples / std::filesystem::path(path).relative_path());
    EXPECT_FALSE(text.empty()) << path;
    return text;
  };
  EXPECT_EQ(builtin.previewTemplate, sample(kPreviewTemplatePath));
  EXPECT_EQ(builtin.area750Template, sample(kArea750TemplatePath));
  EXPECT_EQ(builtin.area190Template, sample(kArea190TemplatePath));
  EXPECT_EQ(&BuiltinTemplates(), &builtin);
}

}  // namespace
}  // namespace zarvo
