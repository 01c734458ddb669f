// Zarvo750 on Linux and macOS: one window; the process ends with the window.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/qt/qt_app.hpp"

int main(int argc, char** argv) {
#if defined(__linux__)
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
      std::getenv("QT_QPA_PLATFORM") == nullptr) {
    std::fputs("zarvo750: no graphical display (DISPLAY or WAYLAND_DISPLAY is not set)\n", stderr);
    return 1;
  }
#endif
  QApplication application(argc, argv);
  int code = 0;
  {
    const zarvo::QtApp app;  // shown once started
    code = QApplication::exec();
  }
  // A template fetch still under way is abandoned with the process.
  std::fflush(nullptr);
  std::_Exit(code);
}
