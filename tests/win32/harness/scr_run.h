// The stage for tests of the full-screen run: clean settings, an own
// screenshot folder, a desktop with outlines on every monitor, and the run
// itself, put away in the reverse order.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <vector>

#include "tests/win32/harness/scr_process.h"
#include "tests/win32/harness/scr_sandbox.h"
#include "tests/win32/harness/scr_screen.h"

namespace emberdell::test {

// Starting a Wine process can take seconds on a loaded machine; these are
// deadlines, not expected durations.
inline constexpr DWORD kStartDeadlineMs = 30000;
inline constexpr DWORD kExitDeadlineMs = 30000;
// From the run's window showing to its flame covering the desktop. The run
// promises a first frame within one frame period; the deadline only keeps a
// stalled run from passing, the measured time is reported.
inline constexpr DWORD kFirstFrameDeadlineMs = 5000;

class TRunTest : public ::testing::Test {
 protected:
  // Declared in this order so the run ends before the desktop, the folder
  // and the settings are put back.
  TSettingsSandbox Settings;
  TScreenshotFolder Shots;
  TBackdrop Desktop;
  std::optional<TScrProcess> Scr;
  std::vector<RECT> Monitors;

  void SetUp() override;

  // Starts Emberdell.scr with the given arguments (a run still alive from an
  // earlier Start is killed first).
  void Start(const wchar_t* Args = L"/s");
  // Waits for the first monitor's window and for the flame to replace the
  // desktop over Area (by default the first monitor's flame area); brings
  // the window to the front for input. Returns the window, nullptr after a
  // failure.
  HWND WaitForFlame(DWORD* FirstFrameMs = nullptr, std::optional<RECT> Area = std::nullopt);
  bool Running() { return Scr && Scr->Started() && !Scr->WaitForExit(0).has_value(); }
  // Waits for the process to end; its exit code, nothing at the deadline.
  std::optional<DWORD> WaitForEnd(DWORD TimeoutMs = kExitDeadlineMs) { return Scr->WaitForExit(TimeoutMs); }
  // Waits for the process to end and expects a clean end; Why says what the
  // process is left doing when it does not end.
  void ExpectCleanEnd(const char* Why) {
    const auto Code = WaitForEnd();
    ASSERT_TRUE(Code.has_value()) << Why;
    EXPECT_EQ(*Code, 0u) << Why;
  }
  // Waits for screenshot Number to be written completely.
  std::optional<TBmp> WaitForShot(int Number);
  // The first monitor less its bottom row: the flame area.
  RECT FlameArea(size_t Monitor = 0) const {
    RECT R = Monitors[Monitor];
    --R.bottom;
    return R;
  }
  // The largest part of the first monitor's flame area that no other
  // monitor covers. A virtual X server may put all its screens at the
  // origin, the second over the top left of the first.
  RECT FirstMonitorOnly() const;
};

}  // namespace emberdell::test
