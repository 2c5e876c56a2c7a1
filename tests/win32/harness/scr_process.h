// Starts the real Emberdell.scr the way the screensaver host does and makes
// sure it never outlives the test that started it.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/wait_until.h"

namespace emberdell::test {

// Emberdell.scr lies beside the test program.
std::wstring ScrPath();

class TScrProcess {
 public:
  // Args is everything after the program name, e.g. L"/p 4711".
  explicit TScrProcess(const std::wstring& Args);
  ~TScrProcess();
  TScrProcess(const TScrProcess&) = delete;
  TScrProcess& operator=(const TScrProcess&) = delete;

  bool Started() const { return FProcess != nullptr; }
  DWORD ProcessId() const { return FProcessId; }
  HANDLE Handle() const { return FProcess; }

  // The exit code, or nothing when the process is still running at the deadline.
  std::optional<DWORD> WaitForExit(DWORD TimeoutMs);

  // The first visible top-level window of the process with the given class,
  // or nullptr when none appears before the deadline.
  HWND WaitForWindow(const wchar_t* ClassName, DWORD TimeoutMs);

  // Its top-level windows of the given class, visible or not, now.
  std::vector<HWND> Windows(const wchar_t* ClassName) const;

 private:
  HANDLE FJob = nullptr;  // kills the process even if the test itself dies
  HANDLE FProcess = nullptr;
  DWORD FProcessId = 0;
};

// Pumps this thread's messages for up to 20 ms, so the test's own windows
// stay alive while it waits.
inline void PumpMessages() {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  MSG Message;
  while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&Message);
}

// Polls Condition until it holds or the deadline passes, pumping messages
// meanwhile; true when it held.
template <typename TCondition>
bool WaitUntil(DWORD TimeoutMs, TCondition Condition) {
  return support::WaitUntil(std::chrono::milliseconds(TimeoutMs), Condition, PumpMessages);
}

}  // namespace emberdell::test
