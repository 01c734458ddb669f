// Holds Wine's desktop open for the whole test run: one hidden window and a
// message loop, until the Wine session ends. Without a program holding it,
// Wine shuts the desktop down after each test program and every later
// program waits many seconds for it to come back.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CreateWindowExW(0, L"STATIC", L"desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                  nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    DispatchMessageW(&message);
  }
  return 0;
}
