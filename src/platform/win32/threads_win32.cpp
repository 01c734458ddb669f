#include <memory>

#include "platform/win32/win32_services.hpp"

namespace zarvo {
namespace {

DWORD WINAPI RunTask(LPVOID parameter) {
  std::unique_ptr<std::function<void()>> task(static_cast<std::function<void()>*>(parameter));
  (*task)();
  return 0;
}

}  // namespace

void Win32Threads::StartDetached(std::function<void()> task) {
  auto owned = std::make_unique<std::function<void()>>(std::move(task));
  HANDLE thread = CreateThread(nullptr, 0, RunTask, owned.get(), 0, nullptr);
  if (thread != nullptr) {
    owned.release();  // the thread deletes it
    CloseHandle(thread);
  }
}

}  // namespace zarvo
