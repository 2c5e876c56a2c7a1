// Emberdell.scr started with the command lines the screensaver host uses.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/win32/harness/scr_run.h"
#include "win32/host/uWinText.h"
#include "win32/host/ufmMain.h"
#include "win32/host/ufmMonitors.h"

namespace emberdell::test {
namespace {

TEST(EmberdellScr, ModesWithoutAWindowEndCleanly) {
  // They read and write the settings file like every mode with a main form.
  TSettingsSandbox Settings;
  // Password change and the preview, with a missing, a zero and a dead
  // parent window.
  for (const wchar_t* Args : {L"/a", L"/A", L"/p", L"/p 0", L"/p 4711", L"xp"}) {
    SCOPED_TRACE("arguments: " + ToUtf8(Args));
    TScrProcess Scr(Args);
    ASSERT_TRUE(Scr.Started()) << "CreateProcess failed: " << GetLastError();
    const auto Code = Scr.WaitForExit(kExitDeadlineMs);
    ASSERT_TRUE(Code.has_value()) << "still running";
    EXPECT_EQ(*Code, 0u);
  }
}

TEST(EmberdellScr, SettingsFormsOpenTheWindowAndEndWhenItCloses) {
  TSettingsSandbox Settings;
  // The handle after a colon or separate, and the letter in either case.
  for (const wchar_t* Args : {L"/c", L"/c:4711", L"-c 4711", L"C"}) {
    SCOPED_TRACE("arguments: " + ToUtf8(Args));
    TScrProcess Scr(Args);
    ASSERT_TRUE(Scr.Started()) << "CreateProcess failed: " << GetLastError();
    HWND Window = Scr.WaitForWindow(L"#32770", kStartDeadlineMs);
    ASSERT_NE(Window, nullptr) << "no settings window";
    wchar_t Caption[64] = L"";
    GetWindowTextW(Window, Caption, 64);
    EXPECT_STREQ(Caption, L"Emberdell Screensaver");
    // Closed as by its close box; closing saves and ends the program.
    PostMessageW(Window, WM_CLOSE, 0, 0);
    const auto Code = Scr.WaitForExit(kExitDeadlineMs);
    ASSERT_TRUE(Code.has_value()) << "still running after the settings window closed";
    EXPECT_EQ(*Code, 0u);
  }
}

using EmberdellScrRun = TRunTest;

// What the user sees of the full-screen run before any input: the first
// monitor's window over the desktop, burning, and nothing of the main form.
void ExpectFullScreen(TScrProcess& Scr, HWND Window, const RECT& Monitor) {
  RECT Rect;
  GetWindowRect(Window, &Rect);
  EXPECT_EQ(Rect.left, Monitor.left);
  EXPECT_EQ(Rect.top, Monitor.top);
  EXPECT_EQ(Rect.right, Monitor.right);
  EXPECT_EQ(Rect.bottom, Monitor.bottom);
  EXPECT_TRUE(GetWindowLongPtrW(Window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  for (HWND Main : Scr.Windows(kMainFormClass)) EXPECT_FALSE(IsWindowVisible(Main)) << "the main form shows";
}

TEST_F(EmberdellScrRun, SEndsOnAKey) {
  Start(L"/s");
  HWND Window = WaitForFlame();
  ASSERT_NE(Window, nullptr);
  ExpectFullScreen(*Scr, Window, Monitors[0]);
  ASSERT_TRUE(Running()) << "ended before any input";
  PressKey(VK_SPACE);
  ExpectCleanEnd("still running after a key press");
}

TEST_F(EmberdellScrRun, NoArgumentsRunFullScreenAndEndOnAClick) {
  Start(L"");
  HWND Window = WaitForFlame();
  ASSERT_NE(Window, nullptr);
  ExpectFullScreen(*Scr, Window, Monitors[0]);
  ClickLeft();
  ExpectCleanEnd("still running after a click");
}

}  // namespace
}  // namespace emberdell::test
