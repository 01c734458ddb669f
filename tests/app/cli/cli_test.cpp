// zarvo750-cli run as a process, as a user runs it: its output compared byte
// for byte with what the conversion itself makes, its refusals, and its
// fetch from a template server on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/cli/run_program.hpp"
#include "conversion/convert.hpp"
#include "support/gbk_literals.hpp"
#include "support/http_test_server.hpp"
#include "support/test_files.hpp"
#include "templates/builtin_templates.hpp"
#include "templates/template_fetch.hpp"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using test::G;
using test::HttpTestServer;
using test::ProgramRun;
using test::ReadFile;

fs::path Program() {
  std::string path = ZARVO750_CLI;
#ifdef _WIN32
  // The build names the program as the build machine sees it; under Wine the
  // Unix root is drive Z:.
  if (!path.empty() && path[0] == '/') {
    for (char& c : path) {
      c = c == '/' ? '\\' : c;
    }
    path = "Z:" + path;
  }
#endif
  return path;
}

// A path as an argument of the command line (UTF-8).
std::string Arg(const fs::path& path) {
#ifdef _WIN32
  const std::wstring wide = path.wstring();
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
#else
  return path.string();
#endif
}

void SetEnvironment(const char* name, const std::string* value) {
#ifdef _WIN32
  const std::wstring wideName = test::Wide(name);
  SetEnvironmentVariableW(wideName.c_str(), value ? test::Wide(*value).c_str() : nullptr);
#else
  if (value) {
    setenv(name, value->c_str(), 1);
  } else {
    unsetenv(name);
  }
#endif
}

unsigned long ProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    // Named for the process too, as another run of the suite may be going on;
    // a parameterised test's name holds a slash.
    std::string name = "zarvo-cli-" + std::to_string(ProcessId()) + "-" +
                       testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    dir_ = fs::temp_directory_path() / name;
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "run");
    // No test reaches the server of the build setting.
    SetEnvironment("ZARVO_TEMPLATE_HOST", &closedHost_);
  }
  void TearDown() override {
    SetEnvironment("ZARVO_TEMPLATE_HOST", nullptr);
    fs::remove_all(dir_);
  }

  ProgramRun Run(const std::vector<std::string>& arguments, const std::string& input = {}) {
    return test::RunProgram(Program(), arguments, input, dir_ / "run");
  }

  // Writes a file into the test's directory and gives its path as argument.
  std::string File(const std::string& name, std::string_view bytes) {
    WriteBytes(dir_ / fs::u8path(name), bytes);
    return Arg(dir_ / fs::u8path(name));
  }
  std::string PathOf(const std::string& name) const { return Arg(dir_ / fs::u8path(name)); }

  // The names in the test's directory besides the streams' folder: no
  // temporary file may be left behind.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      if (entry.path().filename() != "run") {
        names.push_back(Arg(entry.path().filename()));
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
  const std::string closedHost_ = "127.0.0.1:" + std::to_string(HttpTestServer::ClosedPort());
};

const std::string kAreaTemplate =
    G("<div style=\"height:高度px;margin-top:间距px;margin-left:偏移量px\">\r\n"
      "<i>高度|高度|高度|高度|高度</i>582064937</div>");

struct ConvertCase {
  const char* name;
  std::vector<std::string> options;
  std::string areaTemplate;
  std::string code;
  // What ConvertCode is given for these options.
  int targetArea;
  std::string spacing, height, offset;
};

const ConvertCase kConvertCases[] = {
    {"Defaults", {}, kAreaTemplate, "<p>code</p>", 0, "0", "580", "-200"},
    {"Spacing12_5", {"--spacing", "12.5"}, kAreaTemplate, "<p>code</p>", 0, "12.5", "580", "-200"},
    {"FullWidthHeight", {"--height", "５８０"}, kAreaTemplate, "x", 0, "0", G("５８０"), "-200"},
    {"TokensInTheCode", {}, kAreaTemplate, G("x高度y582064937z间距偏移量"), 0, "0", "580", "-200"},
    {"TemplateWithoutTokens",
     {"--spacing", "-10"},
     "<div>plain</div>",
     "code",
     0,
     "-10",
     "580",
     "-200"},
    {"WidthFull", {"--width", "full"}, kAreaTemplate, "c", 0, "0", "580", "-574"},
    {"Area190", {"--area", "190"}, kAreaTemplate, "c", 1, "0", "580", "-94"},
    {"Area190WidthFull",
     {"--area", "190", "--width", "full"},
     kAreaTemplate,
     "c",
     1,
     "0",
     "580",
     "-94"},
    {"OffsetAndSpacingAsTyped",
     {"--offset", "-3e2", "--spacing", "-20"},
     kAreaTemplate,
     "c",
     0,
     "-20",
     "580",
     "-3e2"},
    {"LineEndsAndNoFinalLineEnd", {}, "a\r\nb\n582064937\r", "x\r\ny\nz", 0, "0", "580", "-200"},
    {"GbkBytesUnchanged",
     {"--height", "0580"},
     G("<p>高度：582064937</p>"),
     G("中文&#10003;"),
     0,
     "0",
     "0580",
     "-200"},
    {"AutoHeight300",
     {"--height", "auto"},
     kAreaTemplate,
     "<i style=\"height:300px\"></i>",
     0,
     "0",
     "300",
     "-200"},
    {"AutoHeightKeepsLeadingZero",
     {"--height", "auto"},
     kAreaTemplate,
     "<i style=\"height:0580px\"></i>",
     0,
     "0",
     "0580",
     "-200"},
    {"AutoHeightLargest",
     {"--height", "auto"},
     kAreaTemplate,
     "<i style=\"height:300px\"></i><i style=\"height: 0580px\"></i><i style=\"height:600px\">",
     0,
     "0",
     "600",
     "-200"},
};

class CliConvertTest : public CliTest, public testing::WithParamInterface<ConvertCase> {};

TEST_P(CliConvertTest, PrintsWhatConvertCodeMakes) {
  const ConvertCase& c = GetParam();
  TemplateSet templates;
  (c.targetArea == 0 ? templates.area750Template : templates.area190Template) = c.areaTemplate;
  const std::string expected =
      ConvertCode(templates, c.targetArea, c.spacing, c.height, c.offset, c.code);
  ASSERT_FALSE(expected.empty());

  std::vector<std::string> arguments = {"convert", "--template", File("t.txt", c.areaTemplate)};
  arguments.insert(arguments.end(), c.options.begin(), c.options.end());
  // The code from a file, and from standard input.
  std::vector<std::string> fromFile = arguments;
  fromFile.push_back(File("code.html", c.code));
  const ProgramRun fileRun = Run(fromFile);
  EXPECT_EQ(fileRun.exitCode, 0) << fileRun.err;
  EXPECT_EQ(fileRun.out, expected);
  EXPECT_EQ(fileRun.err, "");

  arguments.push_back("-");
  const ProgramRun pipeRun = Run(arguments, c.code);
  EXPECT_EQ(pipeRun.exitCode, 0) << pipeRun.err;
  EXPECT_EQ(pipeRun.out, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliConvertTest, testing::ValuesIn(kConvertCases),
                         [](const auto& info) { return info.param.name; });

TEST_F(CliTest, AutoHeightWithoutAHeightLeavesItEmptyAndSaysSo) {
  const std::string expected =
      ConvertCode({kAreaTemplate, {}, {}}, 0, "0", "", "-200", "<p>no height</p>");
  const ProgramRun run = Run({"convert", "--height", "auto", "--template",
                              File("t.txt", kAreaTemplate), File("c.html", "<p>no height</p>")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, expected);
  EXPECT_NE(run.err.find("no height found"), std::string::npos) << run.err;
}

TEST_F(CliTest, OutputAndPreviewFilesWithChineseNames) {
  const std::string output = PathOf("结果.htm");
  const std::string preview = PathOf("预览 页.htm");
  WriteBytes(dir_ / fs::u8path("结果.htm"), "an earlier, longer result that is replaced whole");
  HttpTestServer server;
  server.Script(std::string(kPreviewTemplatePath), {{.body = G("<html>页面582064937</html>")}});
  const ProgramRun run = Run({"convert", "--template-host", server.Host(), "--template",
                              File("模板.txt", kAreaTemplate), "-o", output, "--preview", preview,
                              File("代码.html", G("<b>店铺</b>"))});
  const std::string expected =
      ConvertCode({kAreaTemplate, {}, {}}, 0, "0", "580", "-200", G("<b>店铺</b>"));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadFile(dir_ / fs::u8path("结果.htm")), expected);
  EXPECT_EQ(ReadFile(dir_ / fs::u8path("预览 页.htm")), G("<html>页面") + expected + "</html>");
  // With --template, only the preview template comes from the server.
  EXPECT_EQ(server.RequestedPaths(), std::vector<std::string>{std::string(kPreviewTemplatePath)});
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"代码.html", "模板.txt", "结果.htm", "预览 页.htm"}));
}

TEST_F(CliTest, HeightPrintsWhatTheReadButtonFinds) {
  const struct {
    std::string code;
    int exitCode;
    std::string out;
  } cases[] = {
      {"<i style=\"height:300px\"></i><b style=\"height:0580px\"></b>", 0, "580\n"},
      {"<i style=\"height:0580px\"></i>", 0, "0580\n"},
      {"<i style=\"height:300px\"></i><b style=\"height:600px\"></b>", 0, "600\n"},
      {"<p>no height at all</p>", 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const ProgramRun run = Run({"height", File("code.html", c.code)});
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Run({"height"}, c.code).out, c.out);
  }
}

std::string PlaceholderTable(std::string_view height) {
  return "<table width=\"200\" border=\"0\">\r\n  <tr>\r\n    <td height=\"" + std::string(height) +
         "\">&nbsp;</td>\r\n  </tr>\r\n</table>\n";
}

TEST_F(CliTest, PlaceholderPrintsTheTableWithItsLineEndsAndOneLineFeed) {
  const ProgramRun fixed = Run({"placeholder", "--height", "120"});
  EXPECT_EQ(fixed.exitCode, 0);
  EXPECT_EQ(fixed.out, PlaceholderTable("120"));
  EXPECT_EQ(Run({"placeholder"}).out, PlaceholderTable("580"));
}

TEST_F(CliTest, Utf8EncodingRoundTripsACharacterOutsideGbk) {
  const std::string areaTemplate = "<div title=\"模板\">高度|582064937</div>";
  const std::string code = "<p>店铺 ✓ 😀</p>";
  const ProgramRun run = Run({"convert", "--encoding", "utf-8", "--template",
                              File("t.txt", areaTemplate), File("code.html", code)});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "<div title=\"模板\">580|<p>店铺 &#10003; &#128512;</p></div>");

  // A byte order mark is dropped; heights and tables come back in UTF-8 too.
  EXPECT_EQ(Run({"height", "--encoding", "utf-8"}, "\xEF\xBB\xBF<i style=\"height:300px\">").out,
            "300\n");
  EXPECT_EQ(Run({"placeholder", "--encoding", "utf-8", "--height", "１２０"}).out,
            PlaceholderTable("１２０"));
}

struct ErrorCase {
  const char* name;
  std::vector<std::string> arguments;  // "OUT" stands for the output file
  const char* message;
  bool outputExists;  // the output file is there before the run
};

const ErrorCase kErrorCases[] = {
    {"UnknownCommand", {"frobnicate"}, "unknown command \"frobnicate\"", false},
    {"NoCommand", {"--encoding", "gbk"}, "no command given", false},
    {"UnknownOption", {"convert", "--frob", "-o", "OUT"}, "unknown option \"--frob\"", true},
    {"OptionOfAnotherCommand", {"height", "--area", "750"}, "--area does not go with", false},
    {"MissingValue", {"convert", "-o", "OUT", "--area"}, "--area needs a value", true},
    {"BadArea", {"convert", "--area", "500", "-o", "OUT"}, "\"500\" for --area (750 or 190)", true},
    {"BadWidth", {"convert", "--width", "800", "-o", "OUT"}, "\"800\" for --width", true},
    {"BadEncoding",
     {"convert", "--encoding", "latin1", "-o", "OUT"},
     "\"latin1\" for --encoding",
     true},
    {"Width950With190",
     {"convert", "--area", "190", "--width", "950", "-o", "OUT"},
     "--width 950 does not go with --area 190",
     true},
    {"BadHost", {"convert", "--template-host", "x:0", "-o", "OUT"}, "\"x:0\"", true},
    {"MissingInput",
     {"convert", "--template", "TEMPLATE", "-o", "OUT", "MISSING"},
     "cannot read the input file",
     false},
    {"MissingTemplate",
     {"convert", "--template", "MISSING", "-o", "OUT", "CODE"},
     "cannot read the template file",
     true},
    {"EmptyTemplate", {"convert", "--template", "EMPTY", "-o", "OUT", "CODE"}, "is empty", true},
    {"InvalidUtf8",
     {"convert", "--encoding", "utf-8", "--template", "TEMPLATE", "-o", "OUT", "BAD"},
     "is not valid UTF-8 at byte 3",
     true},
    {"OutputInMissingFolder",
     {"convert", "--template", "TEMPLATE", "-o", "NOFOLDER", "CODE"},
     "cannot write",
     false},
    {"OutputIsAFolder",
     {"convert", "--template", "TEMPLATE", "-o", "FOLDER", "CODE"},
     "cannot write",
     false},
    {"PreviewUnwritable",
     {"convert", "--template", "TEMPLATE", "-o", "OUT", "--preview", "NOFOLDER", "CODE"},
     "cannot write",
     true},
    {"TwoInputs",
     {"convert", "--template", "TEMPLATE", "-o", "OUT", "CODE", "CODE"},
     "more than one input file",
     true},
};

class CliErrorTest : public CliTest, public testing::WithParamInterface<ErrorCase> {};

TEST_P(CliErrorTest, ExitsWithTwoAndOneLineAndLeavesTheOutputAlone) {
  const ErrorCase& c = GetParam();
  const std::string earlier = "the earlier output";
  if (c.outputExists) {
    WriteBytes(dir_ / "out.htm", earlier);
  }
  File("template.txt", kAreaTemplate);
  File("empty.txt", "");
  File("code.html", "<p>code</p>");
  File("bad.html", "<p>\xC0\x80</p>");
  fs::create_directories(dir_ / "folder");
  const std::vector<std::string> before = Names();
  // The templates are there: the refusal is all there is to say.
  HttpTestServer server;
  server.Script(std::string(kPreviewTemplatePath), {{.body = "<html>582064937</html>"}});
  server.Script(std::string(kArea750TemplatePath), {{.body = kAreaTemplate}});
  const std::string host = server.Host();
  SetEnvironment("ZARVO_TEMPLATE_HOST", &host);

  std::vector<std::string> arguments;
  for (const std::string& argument : c.arguments) {
    arguments.push_back(argument == "OUT"        ? PathOf("out.htm")
                        : argument == "TEMPLATE" ? PathOf("template.txt")
                        : argument == "EMPTY"    ? PathOf("empty.txt")
                        : argument == "CODE"     ? PathOf("code.html")
                        : argument == "BAD"      ? PathOf("bad.html")
                        : argument == "MISSING"  ? PathOf("missing.html")
                        : argument == "FOLDER"   ? PathOf("folder")
                        : argument == "NOFOLDER" ? Arg(dir_ / "no-folder" / "out.htm")
                                                 : argument);
  }
  const ProgramRun run = Run(arguments);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  EXPECT_TRUE(run.err.starts_with("zarvo750-cli: ")) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
  if (c.outputExists) {
    EXPECT_EQ(ReadFile(dir_ / "out.htm"), earlier);
  }
  EXPECT_EQ(Names(), before) << "a file was created or left behind";
}

INSTANTIATE_TEST_SUITE_P(Cases, CliErrorTest, testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return info.param.name; });

TEST_F(CliTest, HelpAndVersion) {
  const ProgramRun help = Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with("zarvo750-cli convert [options] [FILE]")) << help.out;
  EXPECT_EQ(Run({"convert", "--help"}).out, help.out);
  const ProgramRun version = Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, ZARVO_VERSION "\n");
}

// The template server's answers for one test.
class CliServerTest : public CliTest {
 protected:
  const std::string preview_ = G("<html><b>服务器</b>582064937</html>");
  const std::string area750_ = G("<div id=\"served-750\" style=\"height:高度px\">582064937</div>");
  const std::string area190_ = G("<div id=\"served-190\" style=\"height:高度px\">582064937</div>");
  void Serve(HttpTestServer& server, bool with190 = true) const {
    server.Script(std::string(kPreviewTemplatePath), {{.body = preview_}});
    server.Script(std::string(kArea750TemplatePath), {{.body = area750_}});
    if (with190) {
      server.Script(std::string(kArea190TemplatePath), {{.body = area190_}});
    }
  }
};

TEST_F(CliServerTest, ConvertUsesTheServersTemplates) {
  HttpTestServer server;
  Serve(server);
  for (const std::string area : {"750", "190"}) {
    SCOPED_TRACE(area);
    const TemplateSet served{area750_, area190_, preview_};
    const std::string expected =
        ConvertCode(served, area == "750" ? 0 : 1, "0", "580", area == "750" ? "-200" : "-94", "c");
    const ProgramRun run = Run({"convert", "--template-host", server.Host(), "--area", area,
                                "--preview", PathOf("yl.htm")},
                               "c");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(ReadFile(dir_ / "yl.htm"), BuildPreviewPage(preview_, expected));
  }
  // As the window fetches: preview page, 750 area, 190 area, once each.
  const std::vector<std::string> once = {std::string(kPreviewTemplatePath),
                                         std::string(kArea750TemplatePath),
                                         std::string(kArea190TemplatePath)};
  std::vector<std::string> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(server.RequestedPaths(), twice);
}

TEST_F(CliServerTest, TheEnvironmentNamesTheServerWhenTheCommandLineDoesNot) {
  HttpTestServer server;
  Serve(server);
  const std::string host = server.Host();
  SetEnvironment("ZARVO_TEMPLATE_HOST", &host);
  const ProgramRun run = Run({"convert"}, "c");
  const std::string wrong = "http://" + host;
  SetEnvironment("ZARVO_TEMPLATE_HOST", &wrong);
  const ProgramRun refused = Run({"convert"}, "c");
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.err.find("\"" + wrong + "\": it has a scheme"), std::string::npos)
      << refused.err;
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, ConvertCode({area750_, {}, {}}, 0, "0", "580", "-200", "c"));
}

TEST_F(CliServerTest, ServerDownGivesTheBuiltInTemplatesAndSaysSo) {
  const std::string& host = closedHost_;
  const ProgramRun run = Run({"convert", "--preview", PathOf("yl.htm")}, "<p>c</p>");
  const std::string expected = ConvertCode(BuiltinTemplates(), 0, "0", "580", "-200", "<p>c</p>");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(ReadFile(dir_ / "yl.htm"),
            BuildPreviewPage(BuiltinTemplates().previewTemplate, expected));
  // One line for each template that stood in.
  EXPECT_EQ(run.err, "zarvo750-cli: could not fetch the 750-area template from http://" + host +
                         std::string(kArea750TemplatePath) +
                         "; using the built-in one\n"
                         "zarvo750-cli: could not fetch the preview template from http://" +
                         host + std::string(kPreviewTemplatePath) + "; using the built-in one\n");
}

TEST_F(CliServerTest, FetchWritesTheTemplatesUnderTheirServerPaths) {
  HttpTestServer server;
  Serve(server);
  const ProgramRun run = Run({"fetch", "--template-host", server.Host(), PathOf("mirror")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const fs::path mirror = dir_ / "mirror";
  EXPECT_EQ(ReadFile(mirror / fs::path(kPreviewTemplatePath).relative_path()), preview_);
  EXPECT_EQ(ReadFile(mirror / fs::path(kArea750TemplatePath).relative_path()), area750_);
  EXPECT_EQ(ReadFile(mirror / fs::path(kArea190TemplatePath).relative_path()), area190_);

  // The mirror serves the conversion as the server does.
  const ProgramRun convert = Run(
      {"convert", "--template", Arg(mirror / fs::path(kArea750TemplatePath).relative_path())}, "c");
  EXPECT_EQ(convert.out, ConvertCode({area750_, {}, {}}, 0, "0", "580", "-200", "c"));
}

TEST_F(CliServerTest, FetchReportsATemplateThatDidNotArrive) {
  HttpTestServer server;
  Serve(server, /*with190=*/false);
  const ProgramRun run = Run({"fetch", "--template-host", server.Host(), PathOf("mirror")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "zarvo750-cli: could not fetch http://" + server.Host() +
                         std::string(kArea190TemplatePath) + "\n");
  const fs::path mirror = dir_ / "mirror";
  EXPECT_EQ(ReadFile(mirror / fs::path(kArea750TemplatePath).relative_path()), area750_);
  EXPECT_FALSE(fs::exists(mirror / fs::path(kArea190TemplatePath).relative_path()));
}

}  // namespace
}  // namespace zarvo
