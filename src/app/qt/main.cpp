// Zarvo750 on Linux and macOS: one window; the process ends with the window.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/qt/qt_app.hpp"
#include "app/startup.hpp"

namespace {

constexpr std::string_view kProgram = "zarvo750";

bool HasDisplay() {
#if defined(__linux__)
  return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr ||
         std::getenv("QT_QPA_PLATFORM") != nullptr;
#else
  return true;
#endif
}

// Qt has taken its own options (-platform, -style and so on) out of the
// arguments by now; the rest are ours.
zarvo::StartRequest ReadCommandLine() {
  QCommandLineParser parser;
  const QCommandLineOption host(QStringLiteral("template-host"), QString(),
                                QStringLiteral("HOST[:PORT]"));
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
  parser.addOptions({host, help, version});
  const std::string program(kProgram);
  auto refuse = [&program](const QString& what) {
    return zarvo::StartRequest{.action = zarvo::StartRequest::Action::Refuse,
                               .templateHost = {},
                               .message = program + ": " + what.toStdString() + "\nTry '" +
                                          program + " --help' for its usage.\n"};
  };
  if (!parser.parse(QCoreApplication::arguments())) {
    return refuse(parser.errorText());
  }
  if (!parser.positionalArguments().isEmpty()) {
    return refuse(QStringLiteral("unexpected argument \"%1\"")
                      .arg(parser.positionalArguments().constFirst()));
  }
  if (parser.isSet(help)) {
    return {.action = zarvo::StartRequest::Action::ShowHelp,
            .templateHost = {},
            .message = zarvo::UsageText(kProgram)};
  }
  if (parser.isSet(version)) {
    return {.action = zarvo::StartRequest::Action::ShowVersion,
            .templateHost = {},
            .message = zarvo::VersionText(kProgram)};
  }
  std::optional<std::string> chosen;
  if (parser.isSet(host)) {
    chosen = parser.value(host).toStdString();
  }
  return zarvo::CheckedTemplateHost(kProgram, chosen, std::getenv("ZARVO_TEMPLATE_HOST"));
}

}  // namespace

int main(int argc, char** argv) {
  // Without a display only the help and the version can be given: a plain
  // application object reads the command line, and the window is not tried.
  const bool display = HasDisplay();
  std::unique_ptr<QCoreApplication> application;
  if (display) {
    application = std::make_unique<QApplication>(argc, argv);
  } else {
    application = std::make_unique<QCoreApplication>(argc, argv);
  }
  const zarvo::StartRequest request = ReadCommandLine();
  if (request.action != zarvo::StartRequest::Action::Run) {
    std::fputs(request.message.c_str(),
               request.action == zarvo::StartRequest::Action::Refuse ? stderr : stdout);
    std::fflush(nullptr);
    std::_Exit(zarvo::ExitCodeOf(request));
  }
  if (!display) {
    std::fputs("zarvo750: no graphical display (DISPLAY or WAYLAND_DISPLAY is not set)\n", stderr);
    return 1;
  }
  int code = 0;
  {
    const zarvo::QtApp app(zarvo::QtAppOptions{.templateHost = request.templateHost});
    code = QApplication::exec();
  }
  // A template fetch still under way is abandoned with the process.
  std::fflush(nullptr);
  std::_Exit(code);
}
