// The main form in this process, burning a preview in a host window of the
// test's own, told by the system's real display-state message that the
// display powered down and came back.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#include "core/host/uGlobals.h"
#include "tests/win32/harness/preview_host.h"
#include "tests/win32/harness/scr_process.h"
#include "tests/win32/harness/scr_sandbox.h"
#include "tests/win32/harness/scr_screen.h"
#include "win32/host/ufmMain.h"

namespace emberdell::test {
namespace {

// GUID_CONSOLE_DISPLAY_STATE.
constexpr GUID kDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

// The message the system sends when the console display's state changes.
LRESULT SendDisplayState(HWND Window, DWORD State) {
  alignas(POWERBROADCAST_SETTING) unsigned char Buffer[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)] = {};
  auto* Setting = reinterpret_cast<POWERBROADCAST_SETTING*>(Buffer);
  Setting->PowerSetting = kDisplayState;
  Setting->DataLength = sizeof(DWORD);
  std::memcpy(Setting->Data, &State, sizeof State);
  return SendMessageW(Window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(Setting));
}

// Pixels of the small preview that differ between two grabs, every one
// looked at: a sparse sample can miss a flame that small.
int ChangedPixels(const TScreenGrab& A, const TScreenGrab& B) {
  if (!A.Valid() || !B.Valid()) return -1;
  const RECT& R = A.Area();
  int Changed = 0;
  for (int Y = R.top; Y < R.bottom; ++Y)
    for (int X = R.left; X < R.right; ++X)
      if (A.At(X, Y) != B.At(X, Y)) ++Changed;
  return Changed;
}

HWND MainFormOf(DWORD Thread) {
  HWND Found = nullptr;
  EnumThreadWindows(
      Thread,
      [](HWND Window, LPARAM Out) {
        wchar_t Name[32] = {};
        GetClassNameW(Window, Name, 32);
        if (std::wcscmp(Name, kMainFormClass) != 0) return TRUE;
        *reinterpret_cast<HWND*>(Out) = Window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&Found));
  return Found;
}

TEST(UnseenPreview, TheDisplayPoweringDownStopsTheFramesAndPoweringUpBringsThemBack) {
  TSettingsSandbox Sandbox;
  TPreviewHost Host(true);
  Settings.FPS = 25;
  const DWORD MainThread = GetCurrentThreadId();

  // The main form runs on this thread, as in the real preview; the test
  // watches it from another.
  struct TSeen {
    bool FoundForm = false, BurnedFirst = false, BurnedAgain = false;
    int ChangedWhileOff = -1;
    LRESULT Answer = 0;
    DWORD BackMs = 0;
  } Seen;
  std::thread Watcher([&] {
    HWND Main = nullptr;
    Seen.FoundForm = WaitUntil(30000, [&] { return (Main = MainFormOf(MainThread)) != nullptr; });
    const RECT Area = Host.AreaOnScreen();
    if (Seen.FoundForm) {
      TScreenGrab Before(Area);
      Seen.BurnedFirst = WaitUntil(30000, [&] {
        return ChangedPixels(Before, TScreenGrab(Area)) > 0;
      });
      Seen.Answer = SendDisplayState(Main, 0);
      // A frame under way may still land.
      const DWORD Settle = GetTickCount() + 300;
      WaitUntil(5000, [&] { return GetTickCount() >= Settle; });
      const TScreenGrab Off(Area);
      int Most = Off.Valid() ? 0 : -1;
      const DWORD End = GetTickCount() + 2000;
      WaitUntil(5000, [&] {
        Most = std::max(Most, ChangedPixels(Off, TScreenGrab(Area)));
        return GetTickCount() >= End;
      });
      Seen.ChangedWhileOff = Most;
      const DWORD On = GetTickCount();
      SendDisplayState(Main, 2);  // dimmed is seen
      Seen.BurnedAgain = WaitUntil(5000, [&] {
        return ChangedPixels(Off, TScreenGrab(Area)) > 0;
      });
      Seen.BackMs = GetTickCount() - On;
    }
    // The host's window goes, as when the user closes the system's dialog.
    PostMessageW(GetAncestor(Host.Area(), GA_ROOT), WM_CLOSE, 0, 0);
  });
  {
    TfmMain Main(GetModuleHandleW(nullptr), wmPreview, Host.Area());
    Main.Run();
  }
  Watcher.join();
  ASSERT_TRUE(Seen.FoundForm) << "no main form";
  ASSERT_TRUE(Seen.BurnedFirst) << "the preview never burned";
  EXPECT_EQ(Seen.Answer, TRUE);
  EXPECT_EQ(Seen.ChangedWhileOff, 0) << "pixels changed with the display off";
  EXPECT_TRUE(Seen.BurnedAgain) << "no frame once the display was back";
  std::printf("[ MEASURED ] first frame after the display came back: %lu ms\n", static_cast<unsigned long>(Seen.BackMs));
}

}  // namespace
}  // namespace emberdell::test
