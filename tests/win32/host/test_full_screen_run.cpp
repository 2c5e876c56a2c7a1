// The full-screen run as a user meets it: the desktop bursts into flame, "F"
// saves what is on the screen, and input ends the run by its rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "tests/win32/harness/scr_run.h"
#include "win32/host/uCommandLine.h"
#include "win32/host/ufmMain.h"
#include "win32/host/ufmMonitors.h"

namespace emberdell::test {
namespace {

using FullScreenRun = TRunTest;

void Report(const char* What, DWORD Ms) {
  std::printf("[ MEASURED ] %s: %lu ms\n", What, static_cast<unsigned long>(Ms));
  ::testing::Test::RecordProperty(What, static_cast<int>(Ms));
}

bool SameRect(const RECT& A, const RECT& B) {
  return A.left == B.left && A.top == B.top && A.right == B.right && A.bottom == B.bottom;
}

RECT WindowRect(HWND Window) {
  RECT R{};
  GetWindowRect(Window, &R);
  return R;
}

std::vector<HWND> Visible(const std::vector<HWND>& Windows) {
  std::vector<HWND> Shown;
  for (HWND W : Windows)
    if (IsWindowVisible(W)) Shown.push_back(W);
  return Shown;
}

// Pixels of the bottom row of a monitor that are not black.
int LitPixelsInBottomRow(const TScreenGrab& Grab, const RECT& Monitor) {
  int Lit = 0;
  for (int X = Monitor.left; X < Monitor.right; ++X)
    if (Grab.At(X, Monitor.bottom - 1) != RGB(0, 0, 0)) ++Lit;
  return Lit;
}

TEST_F(FullScreenRun, TheFlameReplacesTheDesktopAtOnceAndTheBottomRowStaysBlack) {
  Start(L"/s");
  DWORD FirstFrameMs = 0;
  HWND Window = WaitForFlame(&FirstFrameMs);
  ASSERT_NE(Window, nullptr);
  Report("first frame after the window showed", FirstFrameMs);

  // One borderless topmost window over the first monitor; the main form
  // stays hidden.
  EXPECT_TRUE(SameRect(WindowRect(Window), Monitors[0]));
  EXPECT_TRUE(GetWindowLongPtrW(Window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongPtrW(Window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
  const std::vector<HWND> Main = Scr->Windows(kMainFormClass);
  ASSERT_EQ(Main.size(), 1u) << "one main form";
  EXPECT_FALSE(IsWindowVisible(Main[0]));

  // Over several frames the fire moves while the bottom row stays black,
  // the white desktop under it included.
  const RECT Area = Monitors[0];
  TScreenGrab Previous(Area);
  int Frames = 0, WorstBottomRow = 0;
  const bool Animated = WaitUntil(kExitDeadlineMs, [&] {
    TScreenGrab Now(Area);
    if (!Now.Valid()) return false;
    WorstBottomRow = std::max(WorstBottomRow, LitPixelsInBottomRow(Now, Area));
    if (ChangedShare(Previous, Now, FlameArea()) > 0) ++Frames;
    Previous = Now;
    return Frames >= 5;
  });
  EXPECT_TRUE(Animated) << "the picture changed only " << Frames << " times";
  EXPECT_EQ(WorstBottomRow, 0) << "pixels of the bottom row were lit";

  PressKey(VK_ESCAPE);
  ExpectCleanEnd("still running after Esc");
}

// The share of the desktop's light sample points that a screenshot shows in
// flame colours. The file is bottom-up and spans the flame area.
double FlameShareInShot(const TBmp& Bmp, const TScreenGrab& Desktop, const RECT& Area) {
  int White = 0, Flame = 0;
  for (int Y = Area.top + 8; Y < Area.bottom - 8; Y += 16)
    for (int X = Area.left + 8; X < Area.right - 8; X += 16) {
      const COLORREF Was = Desktop.At(X, Y);
      if (GetRValue(Was) < 250 || GetGValue(Was) < 250 || GetBValue(Was) < 250) continue;
      ++White;
      const uint8_t* P = Bmp.Pixels.data() + (Bmp.Height - 1 - (Y - Area.top)) * Bmp.Stride() + (X - Area.left) * 3;
      if (IsFlameColour(RGB(P[2], P[1], P[0]))) ++Flame;
    }
  return White == 0 ? 0.0 : double(Flame) / White;
}

TEST_F(FullScreenRun, FSavesNumberedScreenshotsOfTheFlameAcrossRuns) {
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);

  PressKey('F');
  const auto First = WaitForShot(1);
  ASSERT_TRUE(First.has_value()) << "000001.bmp was not written";
  const RECT Area = FlameArea();
  EXPECT_EQ(First->Width, Area.right - Area.left);
  EXPECT_EQ(First->Height, Area.bottom - Area.top) << "the flame area, bottom-up, without the bottom row";
  EXPECT_GE(FlameShareInShot(*First, Desktop.Reference(), Area), 0.9) << "the screenshot does not show the flame";

  // A held key repeats its key-down; only the first one counts, and letting
  // go of "F" goes on with the run.
  for (int i = 0; i < 4; ++i) SendKey('F', false);
  SendKey('F', true);
  ASSERT_TRUE(WaitForShot(2).has_value()) << "holding F wrote no 000002.bmp";
  // The next press is taken after the repeats and the release: its number
  // tells how many screenshots they asked for.
  PressKey('F');
  ASSERT_TRUE(WaitForShot(3).has_value()) << "a press after holding F wrote no 000003.bmp";
  EXPECT_EQ(Shots.Files(), (std::vector<std::wstring>{L"000001.bmp", L"000002.bmp", L"000003.bmp"}));
  ASSERT_TRUE(Running()) << "F ended the run";

  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitForEnd().has_value()) << "still running after Esc";
  EXPECT_EQ(Settings.Get(L"Last Screenshot Number"), L"3");

  // The next run goes on counting from the settings file.
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  PressKey('F');
  EXPECT_TRUE(WaitForShot(4).has_value()) << "the second run did not write 000004.bmp";
  ClickLeft();
  ASSERT_TRUE(WaitForEnd().has_value()) << "still running after a click";
  EXPECT_EQ(Settings.Get(L"Last Screenshot Number"), L"4");
}

TEST_F(FullScreenRun, FNeverOverwritesAPictureAndNeedsARealFolder) {
  // The counter is behind the folder, as with a new settings file: the
  // user's 000001.bmp stays and the next free number is taken and stored.
  ASSERT_TRUE(Settings.Set(L"Last Screenshot Number", 0));
  ASSERT_TRUE(CreateDirectoryW(Shots.Path().c_str(), nullptr));
  const std::string Mine = "the user's own picture";
  {
    HANDLE File = CreateFileW(Shots.File(1).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(File, INVALID_HANDLE_VALUE);
    DWORD Written = 0;
    WriteFile(File, Mine.data(), static_cast<DWORD>(Mine.size()), &Written, nullptr);
    CloseHandle(File);
  }
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  PressKey('F');
  ASSERT_TRUE(WaitForShot(2).has_value()) << "no 000002.bmp beside the user's 000001.bmp";
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitForEnd().has_value()) << "still running after Esc";
  EXPECT_EQ(ReadWholeFile(Shots.File(1)), Mine) << "the older picture was overwritten";
  EXPECT_EQ(Settings.Get(L"Last Screenshot Number"), L"2");

  // A file where the folder should be: no screenshot, no step of the counter.
  for (const std::wstring& Name : Shots.Files()) DeleteFileW((Shots.Path() + L"\\" + Name).c_str());
  ASSERT_TRUE(RemoveDirectoryW(Shots.Path().c_str()));
  {
    HANDLE File = CreateFileW(Shots.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(File, INVALID_HANDLE_VALUE);
    CloseHandle(File);
  }
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  PressKey('F');
  PressKey(VK_ESCAPE);
  const bool Ended = WaitForEnd().has_value();
  const bool StillAFile = FileExists(Shots.Path());
  DeleteFileW(Shots.Path().c_str());
  ASSERT_TRUE(Ended) << "still running after Esc";
  EXPECT_TRUE(StillAFile);
  EXPECT_EQ(Settings.Get(L"Last Screenshot Number"), L"2");
}

TEST_F(FullScreenRun, MovingTheMouseTenPixelsKeepsTheRunElevenEndIt) {
  ASSERT_TRUE(Settings.Set(L"Allow Fadeout", 0));
  const POINT Origin{400, 300};
  ASSERT_TRUE(SetCursorPos(Origin.x, Origin.y));
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);

  // Ten pixels on both axes either way of the start: still within bounds.
  // The screenshot that follows proves the moves were looked at.
  MoveCursorTo(Origin.x + 10, Origin.y + 10);
  MoveCursorTo(Origin.x - 10, Origin.y - 10);
  MoveCursorTo(Origin.x + 10, Origin.y - 10);
  PressKey('F');
  ASSERT_TRUE(WaitForShot(1).has_value()) << "the run ended on a move of 10 pixels";

  // Small steps add up: the distance is measured from the start.
  MoveCursorTo(Origin.x + 5, Origin.y + 5);
  MoveCursorTo(Origin.x, Origin.y + 11);
  ExpectCleanEnd("a move of 11 pixels did not end the run");
}

TEST_F(FullScreenRun, WithIgnoreMouseMoveOnlyAKeyEndsTheRun) {
  ASSERT_TRUE(Settings.Set(L"Ignore Mouse Move", 1));
  ASSERT_TRUE(Settings.Set(L"Allow Fadeout", 0));
  ASSERT_TRUE(SetCursorPos(400, 300));
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);

  MoveCursorTo(700, 600);
  MoveCursorTo(20, 20);
  PressKey('F');
  ASSERT_TRUE(WaitForShot(1).has_value()) << "the run ended on a mouse move";

  PressKey(VK_SPACE);
  ExpectCleanEnd("still running after a key");
}

TEST_F(FullScreenRun, TheFlameFadesForTheFadeoutTimeOrEndsAtOnceWithoutFadeout) {
  ASSERT_TRUE(Settings.Set(L"Fadeout", 1000));
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  ULONGLONG Pressed = GetTickCount64();
  PressKey(VK_ESCAPE);
  // Input during the fade has no effect: it neither ends the run early nor
  // starts another fade.
  ClickLeft();
  PressKey(VK_SPACE);
  EXPECT_FALSE(WaitForEnd(600).has_value()) << "ended before 600 ms of a 1000 ms fade";
  auto Code = WaitForEnd();
  ASSERT_TRUE(Code.has_value()) << "the fade-out never ended";
  EXPECT_EQ(*Code, 0u);
  const DWORD Faded = static_cast<DWORD>(GetTickCount64() - Pressed);
  Report("end after Esc with a 1000 ms fade-out", Faded);
  EXPECT_GE(Faded, 950u);

  // Without the fade-out the run closes on the first input, far sooner than
  // a long fade would take. (Closing is not instant under Wine without a
  // window manager: it waits up to 2 s for each full-screen window to be
  // withdrawn, so the fade set here is long enough to tell the two apart.)
  ASSERT_TRUE(Settings.Set(L"Allow Fadeout", 0));
  ASSERT_TRUE(Settings.Set(L"Fadeout", 30000));
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  Pressed = GetTickCount64();
  PressKey(VK_ESCAPE);
  Code = WaitForEnd(15000);
  ASSERT_TRUE(Code.has_value()) << "still running 15 s after Esc: the 30 s fade-out ran although it is off";
  EXPECT_EQ(*Code, 0u);
  Report("end after Esc without fade-out", static_cast<DWORD>(GetTickCount64() - Pressed));
}

TEST_F(FullScreenRun, ASecondRunEndsAtOnceWhileOneIsAlive) {
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);

  {
    const ULONGLONG Started = GetTickCount64();
    TScrProcess Second(L"/s");
    ASSERT_TRUE(Second.Started());
    size_t Windows = 0;
    const bool Ended = WaitUntil(kExitDeadlineMs, [&] {
      Windows = std::max(Windows, Second.Windows(kFirstMonitorClass).size() + Second.Windows(kMainFormClass).size());
      return Second.WaitForExit(0).has_value();
    });
    ASSERT_TRUE(Ended) << "the second run is still alive";
    EXPECT_EQ(*Second.WaitForExit(0), 0u);
    EXPECT_EQ(Windows, 0u) << "the second run made windows";
    Report("second /s ended", static_cast<DWORD>(GetTickCount64() - Started));
  }
  ASSERT_TRUE(Running()) << "the first run ended with the second";

  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitForEnd().has_value());

  // With the first run gone the next one runs.
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  PressKey(VK_ESCAPE);
  ExpectCleanEnd("still running");
}

// Share of the sample points of a monitor's right third, far from the
// white block of its desktop, that are dark.
double DarkShareInRightThird(const TScreenGrab& Grab, const RECT& Monitor) {
  int All = 0, Dark = 0;
  const int Left = Monitor.left + (Monitor.right - Monitor.left) * 2 / 3;
  for (int Y = Monitor.top + 8; Y < Monitor.bottom - 8; Y += 16)
    for (int X = Left; X < Monitor.right - 4; X += 16) {
      ++All;
      if (IsDark(Grab.At(X, Y))) ++Dark;
    }
  return All == 0 ? 0.0 : double(Dark) / All;
}

bool AllBlack(const TScreenGrab& Grab, const RECT& Monitor) {
  for (int Y = Monitor.top + 4; Y < Monitor.bottom; Y += 16)
    for (int X = Monitor.left + 4; X < Monitor.right; X += 16)
      if (Grab.At(X, Y) != RGB(0, 0, 0)) return false;
  return true;
}

TEST_F(FullScreenRun, TheSecondMonitorBurnsOverItsOwnDesktopOrTurnsBlack) {
  if (GetSystemMetrics(SM_CMONITORS) < 2 || Monitors.size() < 2)
    GTEST_SKIP() << "only one monitor: the second monitor's part of the run cannot be seen";
  const RECT& Second = Monitors[1];

  // "Allow Second Monitor" is on by default: both monitors burn.
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  const std::vector<HWND> Burning = Visible(Scr->Windows(kFirstMonitorClass));
  ASSERT_EQ(Burning.size(), 2u) << "one burning window per monitor";
  EXPECT_TRUE(SameRect(WindowRect(Burning[0]), Monitors[0]) || SameRect(WindowRect(Burning[1]), Monitors[0]));
  EXPECT_TRUE(SameRect(WindowRect(Burning[0]), Second) || SameRect(WindowRect(Burning[1]), Second));
  EXPECT_TRUE(Visible(Scr->Windows(kSecondMonitorClass)).empty());
  // The white block of the second desktop burns, its black right part stays
  // dark: the flame there is made from that monitor's own picture.
  double Flame = 0, Dark = 0;
  const bool Own = WaitUntil(kFirstFrameDeadlineMs, [&] {
    TScreenGrab Now(Second);
    if (!Now.Valid()) return false;
    Flame = FlameShareOverWhite(Desktop.Reference(), Now, FlameArea(1));
    Dark = DarkShareInRightThird(Now, FlameArea(1));
    return Flame >= 0.9 && Dark >= 0.95;
  });
  EXPECT_TRUE(Own) << Flame * 100 << " % of the white block burns, " << Dark * 100
                   << " % of the black part is dark";
  EXPECT_EQ(LitPixelsInBottomRow(TScreenGrab(Second), Second), 0);
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitForEnd().has_value());

  // Switched off: the second monitor is blacked out while the first burns.
  ASSERT_TRUE(Settings.Set(L"Allow Second Monitor", 0));
  Start(L"/s");
  ASSERT_NE(WaitForFlame(nullptr, FirstMonitorOnly()), nullptr);
  const std::vector<HWND> Black = Visible(Scr->Windows(kSecondMonitorClass));
  ASSERT_EQ(Black.size(), 1u);
  EXPECT_TRUE(SameRect(WindowRect(Black[0]), Second));
  EXPECT_EQ(Visible(Scr->Windows(kFirstMonitorClass)).size(), 1u);
  EXPECT_TRUE(WaitUntil(kFirstFrameDeadlineMs, [&] {
    TScreenGrab Now(Second);
    return Now.Valid() && AllBlack(Now, Second);
  })) << "the second monitor is not black";
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitForEnd().has_value());
}

// A locked session: the screen stays as it was for as long as nobody can
// see it, and the fire burns again once the session is unlocked.
TEST_F(FullScreenRun, ALockedSessionDrawsNothingAndUnlockingBurnsAgain) {
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  const std::vector<HWND> Main = Scr->Windows(kMainFormClass);
  ASSERT_EQ(Main.size(), 1u);
  constexpr WPARAM SessionLock = 7, SessionUnlock = 8;  // WTS_SESSION_LOCK, WTS_SESSION_UNLOCK
  SendMessageW(Main[0], WM_WTSSESSION_CHANGE, SessionLock, 1);
  // A frame under way when the lock came may still land.
  const DWORD Settle = GetTickCount() + 500;
  WaitUntil(5000, [&] { return GetTickCount() >= Settle; });
  const RECT Area = FlameArea();
  const TScreenGrab Locked(Area);
  ASSERT_TRUE(Locked.Valid());
  int Looks = 0;
  double MostChanged = 0;
  const DWORD End = GetTickCount() + 5000;
  WaitUntil(10000, [&] {
    TScreenGrab Now(Area);
    if (Now.Valid()) MostChanged = std::max(MostChanged, ChangedShare(Locked, Now, Area));
    ++Looks;
    return GetTickCount() >= End;
  });
  EXPECT_GT(Looks, 5);
  EXPECT_EQ(MostChanged, 0.0) << "frames were drawn while the session was locked";
  ASSERT_TRUE(Running()) << "the lock ended the run";

  const DWORD Unlocked = GetTickCount();
  SendMessageW(Main[0], WM_WTSSESSION_CHANGE, SessionUnlock, 1);
  const bool Burning = WaitUntil(5000, [&] {
    TScreenGrab Now(Area);
    return Now.Valid() && ChangedShare(Locked, Now, Area) > 0;
  });
  EXPECT_TRUE(Burning) << "no frame after the unlock";
  Report("first frame after the unlock", GetTickCount() - Unlocked);

  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitForEnd().has_value()) << "still running after Esc";
}

}  // namespace
}  // namespace emberdell::test
