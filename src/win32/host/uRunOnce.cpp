#include "win32/host/uRunOnce.h"

#include <windows.h>

namespace emberdell {

namespace {
HANDLE RunOnceHandle = nullptr;
}

bool RunOnce() {
  RunOnceHandle = CreateSemaphoreW(nullptr, 0, 1, L"EmberdellSemaphore");
  return !(RunOnceHandle != nullptr && GetLastError() == ERROR_ALREADY_EXISTS);
}

void ReleaseRunOnce() {
  if (RunOnceHandle != nullptr) {
    CloseHandle(RunOnceHandle);
    RunOnceHandle = nullptr;
  }
}

}  // namespace emberdell
