#include "win32/host/uUnexpected.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "core/shared/uGuard.h"
#include "win32/host/uWinText.h"

namespace emberdell {
namespace {

std::atomic<bool> UserAtWindow{false};
std::atomic<bool> BoxUp{false};
std::atomic<unsigned> Count{0};

}  // namespace

void SetUserAtWindow(bool AtWindow) { UserAtWindow = AtWindow; }

unsigned UnexpectedCount() noexcept { return Count; }

void ReportUnexpected(const std::exception_ptr& Error) noexcept {
  ++Count;
  if (!UserAtWindow || BoxUp.exchange(true)) return;
  try {
    const std::wstring Text = ToWide(ExceptionMessage(Error));
    // Task-modal: the box belongs to no window that may be half gone.
    MessageBoxW(nullptr, Text.c_str(), L"Emberdell Screensaver", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  } catch (...) {
  }
  BoxUp = false;
}

}  // namespace emberdell
