#include "tests/win32/harness/scr_run.h"

#include <algorithm>

#include "win32/host/ufmMonitors.h"

namespace emberdell::test {

void TRunTest::SetUp() {
  Monitors = MonitorRects();
  ASSERT_FALSE(Monitors.empty()) << "no monitor";
  // Outlines burn; the second monitor's picture differs from the first's so
  // that a flame over the wrong part of the desktop shows.
  for (size_t i = 0; i < Monitors.size(); ++i)
    ASSERT_TRUE(Desktop.Add(Monitors[i], i == 0 ? TBackdrop::TPattern::Outlines : TBackdrop::TPattern::LeftBlock));
  ASSERT_TRUE(Desktop.Shown()) << "the test's desktop did not show";
}

void TRunTest::Start(const wchar_t* Args) {
  Scr.reset();
  Scr.emplace(Args);
  ASSERT_TRUE(Scr->Started()) << "CreateProcess failed: " << GetLastError();
}

RECT TRunTest::FirstMonitorOnly() const {
  RECT Best = FlameArea();
  for (size_t i = 1; i < Monitors.size(); ++i) {
    const RECT& Other = Monitors[i];
    RECT Overlap;
    if (!IntersectRect(&Overlap, &Best, &Other)) continue;
    // What is left beside the other monitor on each side; the largest wins.
    const RECT Sides[] = {{Best.left, Best.top, Best.right, Overlap.top},
                          {Best.left, Overlap.bottom, Best.right, Best.bottom},
                          {Best.left, Best.top, Overlap.left, Best.bottom},
                          {Overlap.right, Best.top, Best.right, Best.bottom}};
    RECT Largest{};
    long LargestArea = 0;
    for (const RECT& Side : Sides) {
      const long Area = std::max(0L, Side.right - Side.left) * std::max(0L, Side.bottom - Side.top);
      if (Area > LargestArea) {
        LargestArea = Area;
        Largest = Side;
      }
    }
    Best = Largest;
  }
  return Best;
}

HWND TRunTest::WaitForFlame(DWORD* FirstFrameMs, std::optional<RECT> Area) {
  const RECT Watched = Area.value_or(FlameArea());
  HWND Window = Scr->WaitForWindow(kFirstMonitorClass, kStartDeadlineMs);
  if (Window == nullptr) {
    ADD_FAILURE() << "no window of class " << "TfmFirstMonitor" << " appeared";
    return nullptr;
  }
  const ULONGLONG Shown = GetTickCount64();
  double Share = 0;
  const bool Burning = WaitUntil(kFirstFrameDeadlineMs, [&] {
    TScreenGrab Now(Watched);
    Share = Now.Valid() ? FlameShareOverWhite(Desktop.Reference(), Now, Watched) : 0.0;
    return Share >= 0.9;
  });
  const DWORD Took = static_cast<DWORD>(GetTickCount64() - Shown);
  if (!Burning) {
    ADD_FAILURE() << "the desktop was not replaced by the flame within " << kFirstFrameDeadlineMs
                  << " ms of the window showing: " << Share * 100 << " % of its light part burns";
    return nullptr;
  }
  if (FirstFrameMs != nullptr) *FirstFrameMs = Took;
  // With the second monitor burning too there are two windows of the
  // class; the one asked for is the first monitor's.
  for (HWND Candidate : Scr->Windows(kFirstMonitorClass)) {
    RECT R;
    if (IsWindowVisible(Candidate) && GetWindowRect(Candidate, &R) && EqualRect(&R, &Monitors[0])) Window = Candidate;
  }
  // The run puts its window in front itself; the host does too, so input
  // reaches it whatever the test's own windows did.
  SetForegroundWindow(Window);
  return Window;
}

std::optional<TBmp> TRunTest::WaitForShot(int Number) {
  std::optional<TBmp> Bmp;
  WaitUntil(kExitDeadlineMs, [&] {
    Bmp = ReadBmp(Shots.File(Number));
    return Bmp.has_value() || !Running();
  });
  if (!Bmp) Bmp = ReadBmp(Shots.File(Number));
  return Bmp;
}

}  // namespace emberdell::test
