// zarvo750.exe: the tool window on Windows.
#include <windows.h>

#include "app/win32/win32_app.hpp"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return zarvo::RunZarvo750(instance);
}
