// The performance dialog as a user meets it: opened from the settings
// window's "Settings" tab, its speed slider changes the pace of the burning
// preview at once and Cancel slows it down again; height and speed reach the
// settings file when the settings window closes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>

#include "dialogs/DialogsIds.h"
#include "settings/SettingsIds.h"
#include "tests/win32/harness/scr_run.h"
#include "win32/host/uWinText.h"
#include "win32/host/ufmPreview.h"

namespace emberdell::test {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kCaption[] = L"Emberdell Performance";

std::wstring TextOf(HWND Window) {
  wchar_t Buffer[256] = L"";
  GetWindowTextW(Window, Buffer, 256);
  return Buffer;
}

RECT ScreenRectOf(HWND Window) {
  RECT R{};
  GetWindowRect(Window, &R);
  return R;
}

class PerformanceDialog : public TRunTest {
 protected:
  HWND Window = nullptr;  // the settings window
  HWND Dialog = nullptr;

  void Open() {
    Start(L"/c");
    Window = Scr->WaitForWindow(kDialogClass, kStartDeadlineMs);
    ASSERT_NE(Window, nullptr) << "no settings window";
    BringToFront(Window);
    // The page control has the focus after a click on its first tab; two
    // steps right is "Settings".
    const RECT Pages = ScreenRectOf(Control(Window, IDC_PAGES));
    MoveCursorTo(Pages.left + 20, Pages.top + 10);
    ClickLeft();
    PressKey(VK_RIGHT);
    PressKey(VK_RIGHT);
    const HWND Button = Control(Window, IDC_PERFORMANCE);
    ASSERT_TRUE(WaitUntil(5000, [&] { return Button != nullptr && IsWindowVisible(Button); }))
        << "the Settings tab is not shown";
  }

  void BringToFront(HWND Target) {
    ASSERT_TRUE(WaitUntil(5000, [&] {
      SetForegroundWindow(Target);
      return GetForegroundWindow() == Target;
    })) << ToUtf8(TextOf(Target)) << " does not come to the front";
  }

  void Click(HWND Target, int Dx = -1) {
    const RECT R = ScreenRectOf(Target);
    MoveCursorTo(Dx < 0 ? (R.left + R.right) / 2 : R.left + Dx, (R.top + R.bottom) / 2);
    ClickLeft();
    // A second click on the same spot must not make a double click.
    const ULONGLONG After = GetTickCount64() + GetDoubleClickTime() + 50;
    WaitUntil(5000, [&] { return GetTickCount64() >= After; });
  }

  // "Performance…" on the Settings tab; waits for the dialog in front.
  void OpenDialog() {
    BringToFront(Window);
    Click(Control(Window, IDC_PERFORMANCE));
    Dialog = nullptr;
    ASSERT_TRUE(WaitUntil(10000, [&] {
      for (HWND Each : Scr->Windows(kDialogClass))
        if (IsWindowVisible(Each) && TextOf(Each) == kCaption) Dialog = Each;
      return Dialog != nullptr && GetForegroundWindow() == Dialog;
    })) << "no performance dialog";
  }

  void ExpectText(int Id, const std::wstring& Text) {
    const HWND Label = Control(Dialog, Id);
    EXPECT_TRUE(WaitUntil(5000, [&] { return TextOf(Label) == Text; }))
        << ToUtf8(TextOf(Label)) << " instead of " << ToUtf8(Text);
  }

  // Focus on a slider by a click near its left end, then keys.
  void Slide(int Id, std::initializer_list<WORD> Keys) {
    Click(Control(Dialog, Id), 8);
    for (WORD Key : Keys) PressKey(Key);
  }

  void WaitClosed() {
    const HWND Closing = Dialog;
    ASSERT_TRUE(WaitUntil(10000, [&] { return !IsWindow(Closing) || !IsWindowVisible(Closing); }))
        << "the dialog did not close";
  }
};

// The pace of the preview as seen on the screen: how often an area of it that
// burns changes in 1.5 s. The screen is read far more often than any frame
// rate, with a moment between reads that leaves the processor to the preview.
// How many of the looks at the preview over 1.5 s found it changed.
struct TChanges {
  int Changes = 0;
  int Looks = 0;
};

TChanges PreviewChanges(const RECT& Area) {
  TChanges Seen;
  TScreenGrab Last(Area);
  const ULONGLONG End = GetTickCount64() + 1500;
  while (GetTickCount64() < End) {
    Sleep(2);
    TScreenGrab Now(Area);
    ++Seen.Looks;
    if (ChangedShare(Last, Now, Area) > 0) ++Seen.Changes;
    Last = std::move(Now);
  }
  return Seen;
}

// Under Wine a window drawn from the frame thread reaches the screen only
// some 15 to 20 times a second, whatever the speed: the slowest speed's 10
// frames against the fastest's capped rate is the difference there is to
// see. A speed change that does not take effect shows none.
bool ClearlyFaster(const TChanges& Fast, const TChanges& Slow) { return Fast.Changes * 4 >= Slow.Changes * 5; }

TEST_F(PerformanceDialog, SpeedSliderPacesThePreviewAtOnceAndCancelRestoresIt) {
  ASSERT_TRUE(Settings.Set(L"Show Preview", 1));
  ASSERT_TRUE(Settings.Set(L"FPS", 10));
  Open();
  const HWND Preview = Scr->WaitForWindow(kFloatingPreviewClass, kStartDeadlineMs);
  ASSERT_NE(Preview, nullptr) << "no preview window";
  OpenDialog();

  // A tool window of its own on the taskbar, centred on the primary monitor.
  const LONG_PTR ExStyle = GetWindowLongPtrW(Dialog, GWL_EXSTYLE);
  EXPECT_TRUE(ExStyle & WS_EX_APPWINDOW);
  EXPECT_TRUE(ExStyle & WS_EX_TOOLWINDOW);
  const LONG_PTR Style = GetWindowLongPtrW(Dialog, GWL_STYLE);
  EXPECT_TRUE(Style & WS_SYSMENU);
  EXPECT_FALSE(Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  const RECT Frame = ScreenRectOf(Dialog);
  EXPECT_LE(std::abs(Frame.left + Frame.right - GetSystemMetrics(SM_CXSCREEN)), 1);
  EXPECT_LE(std::abs(Frame.top + Frame.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);
  ExpectText(IDC_PERF_LBFPS, L"Current speed: Slowest");
  ExpectText(IDC_PERF_LBHEIGHT, L"Current height: 100%");
  EXPECT_EQ(TextOf(Control(Dialog, IDC_PERF_BTNRESETFPS)), L"Reset to \"Normal\"");

  // The icon is blended over the dialog: its corners are the background,
  // some of its inside is not.
  const RECT Icon = ScreenRectOf(Control(Dialog, IDC_PERF_PBPERFORMANCE));
  ASSERT_GT(Icon.right - Icon.left, 0);
  EXPECT_TRUE(WaitUntil(5000, [&] {
    const TScreenGrab Box(Icon);
    const COLORREF Corner = Box.At(Icon.left, Icon.top);
    if (Box.At(Icon.right - 1, Icon.top) != Corner || Box.At(Icon.left, Icon.bottom - 1) != Corner ||
        Box.At(Icon.right - 1, Icon.bottom - 1) != Corner)
      return false;
    for (int y = Icon.top; y < Icon.bottom; ++y)
      for (int x = Icon.left; x < Icon.right; ++x)
        if (Box.At(x, y) != Corner) return true;
    return false;
  })) << "no icon in the icon box";

  // The part of the preview neither window covers, burning.
  POINT Origin{0, 0};
  ClientToScreen(Preview, &Origin);
  RECT Client;
  GetClientRect(Preview, &Client);
  RECT Area{Origin.x, Origin.y, Origin.x + Client.right, Origin.y + Client.bottom};
  for (HWND Over : {Window, Dialog}) {
    const RECT R = ScreenRectOf(Over);
    if (R.right > Area.left && R.right < Area.right) Area.left = R.right;
  }
  ASSERT_GT(Area.right - Area.left, 16) << "the preview is covered";
  EXPECT_TRUE(WaitUntil(10000, [&] {
    const TScreenGrab Now(Area);
    for (int y = Area.top; y < Area.bottom; y += 4)
      for (int x = Area.left; x < Area.right; x += 4)
        if (IsFlameColour(Now.At(x, y))) return true;
    return false;
  })) << "the preview does not burn";

  const TChanges Slowest = PreviewChanges(Area);
  Slide(IDC_PERF_TBFPS, {VK_END});
  ExpectText(IDC_PERF_LBFPS, L"Current speed: Fastest");
  const TChanges Fastest = PreviewChanges(Area);
  // 10 frames a second against 60, as far as the screen shows them.
  RecordProperty("SlowestChanges", Slowest.Changes);
  RecordProperty("SlowestLooks", Slowest.Looks);
  RecordProperty("FastestChanges", Fastest.Changes);
  RecordProperty("FastestLooks", Fastest.Looks);
  EXPECT_GT(Slowest.Changes, 0) << "the preview does not change";
  EXPECT_TRUE(ClearlyFaster(Fastest, Slowest)) << "slowest " << Slowest.Changes << " of " << Slowest.Looks
                                               << ", fastest " << Fastest.Changes << " of " << Fastest.Looks;

  Click(Control(Dialog, IDCANCEL));
  WaitClosed();
  const TChanges AfterCancel = PreviewChanges(Area);
  EXPECT_TRUE(ClearlyFaster(Fastest, AfterCancel))
      << "after Cancel " << AfterCancel.Changes << " of " << AfterCancel.Looks << ", fastest " << Fastest.Changes
      << " of " << Fastest.Looks;

  // Cancel put the speed back: the next showing starts from it.
  OpenDialog();
  ExpectText(IDC_PERF_LBFPS, L"Current speed: Slowest");
  PressKey(VK_ESCAPE);
  WaitClosed();
}

TEST_F(PerformanceDialog, HeightAndSpeedReachTheSettingsFile) {
  ASSERT_TRUE(Settings.Set(L"Show Preview", 0));
  ASSERT_TRUE(Settings.Set(L"FPS", 25));
  ASSERT_TRUE(Settings.Set(L"Picture Height", 73));
  Open();
  OpenDialog();
  // 73 % shows the step below.
  ExpectText(IDC_PERF_LBHEIGHT, L"Current height: 70%");
  ExpectText(IDC_PERF_LBFPS, L"Current speed: Normal");

  Slide(IDC_PERF_TBSIZE, {VK_HOME});
  ExpectText(IDC_PERF_LBHEIGHT, L"Current height: 50%");
  // At 50 % the monitor's screen has a black band of 14 rows at its top and
  // 15 at its bottom, the flame between them.
  const HWND Monitor = Control(Dialog, IDC_PERF_PBMONITOR);
  RECT Box;
  GetClientRect(Monitor, &Box);
  const auto At = [&](int X, int Y) {  // a pixel of the 89 x 80 picture, on the screen
    POINT P{X * Box.right / 89 + Box.right / 178, Y * Box.bottom / 80 + Box.bottom / 160};
    ClientToScreen(Monitor, &P);
    return P;
  };
  const POINT TopBand = At(44, 14), BottomBand = At(44, 56), Middle = At(44, 35);
  EXPECT_TRUE(WaitUntil(5000, [&] {
    const TScreenGrab Screen(ScreenRectOf(Monitor));
    return Screen.At(TopBand.x, TopBand.y) == RGB(0, 0, 0) && Screen.At(BottomBand.x, BottomBand.y) == RGB(0, 0, 0) &&
           Screen.At(Middle.x, Middle.y) != RGB(0, 0, 0);
  })) << "no black bands on the monitor at 50 %";

  Slide(IDC_PERF_TBFPS, {VK_END, VK_LEFT});
  ExpectText(IDC_PERF_LBFPS, L"Current speed: Very Fast");
  Click(Control(Dialog, IDOK));
  WaitClosed();

  // Reset, then Esc: Esc keeps the speed last chosen and drops the height.
  OpenDialog();
  ExpectText(IDC_PERF_LBFPS, L"Current speed: Very Fast");
  ExpectText(IDC_PERF_LBHEIGHT, L"Current height: 50%");
  Click(Control(Dialog, IDC_PERF_BTNRESETFPS));
  ExpectText(IDC_PERF_LBFPS, L"Current speed: Normal");
  Slide(IDC_PERF_TBSIZE, {VK_END});
  ExpectText(IDC_PERF_LBHEIGHT, L"Current height: 100%");
  PressKey(VK_ESCAPE);
  WaitClosed();

  BringToFront(Window);
  PressKey(VK_RETURN);
  const auto Code = WaitForEnd();
  ASSERT_TRUE(Code.has_value()) << "still running after the settings window should have closed";
  EXPECT_EQ(Settings.Get(L"FPS"), L"25");
  EXPECT_EQ(Settings.Get(L"Picture Height"), L"50");
  // One monitor or two: the hidden box was shown ticked and stays so.
  EXPECT_EQ(Settings.Get(L"Allow Second Monitor"), L"1");
}

// Two settings windows: A opens, B opens, A's speed is changed and A
// closes; B, closing unchanged after it, must not put its stale speed back.
TEST_F(PerformanceDialog, TheFirstWindowsSpeedSurvivesTheSecondWindowsClose) {
  ASSERT_TRUE(Settings.Set(L"Show Preview", 0));
  ASSERT_TRUE(Settings.Set(L"FPS", 25));
  Open();
  TScrProcess Second(L"/c");
  ASSERT_TRUE(Second.Started());
  const HWND SecondWindow = Second.WaitForWindow(kDialogClass, kStartDeadlineMs);
  ASSERT_NE(SecondWindow, nullptr) << "no second settings window";
  // Both open centred, one over the other: the second goes to the other
  // monitor, out of the way of the clicks meant for the first.
  SetWindowPos(SecondWindow, HWND_BOTTOM, GetSystemMetrics(SM_CXSCREEN) + 10, 10, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);

  OpenDialog();
  Slide(IDC_PERF_TBFPS, {VK_END, VK_LEFT});
  ExpectText(IDC_PERF_LBFPS, L"Current speed: Very Fast");
  Click(Control(Dialog, IDOK));
  WaitClosed();
  BringToFront(Window);
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitForEnd().has_value()) << "the first window did not close";
  const auto Chosen = Settings.Get(L"FPS");
  ASSERT_TRUE(Chosen.has_value());
  ASSERT_NE(*Chosen, L"25") << "the first window's speed did not reach the file";

  PostMessageW(SecondWindow, WM_CLOSE, 0, 0);
  const auto Code = Second.WaitForExit(kExitDeadlineMs);
  ASSERT_TRUE(Code.has_value()) << "the second window did not close";
  EXPECT_EQ(*Code, 0u);
  EXPECT_EQ(Settings.Get(L"FPS"), Chosen) << "the second window's close put its stale speed back";
}

}  // namespace
}  // namespace emberdell::test
