// The preview in the screensaver host's window, with a test program playing
// the host as the system's screensaver dialog does.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/host/uHostWindowWait.h"
#include "tests/win32/harness/preview_host.h"
#include "tests/win32/harness/scr_process.h"

namespace emberdell::test {
namespace {

constexpr DWORD kDeadlineMs = 30000;

bool IsColour(COLORREF Pixel, COLORREF Colour) { return Pixel == Colour; }

COLORREF ScreenPixel(int X, int Y) {
  HDC Screen = GetDC(nullptr);
  const COLORREF Pixel = GetPixel(Screen, X, Y);
  ReleaseDC(nullptr, Screen);
  return Pixel;
}

// True once no sampled pixel inside the area is the host's blue any more.
bool AreaBurns(const TPreviewHost& Host) {
  const RECT R = Host.AreaOnScreen();
  for (int y : {R.top, R.top + 37, R.top + 74, R.bottom - 1})
    for (int x : {R.left, R.left + 50, R.left + 100, R.right - 1})
      if (IsColour(ScreenPixel(x, y), RGB(0, 0, 255))) return false;
  return true;
}

// Waits for the preview's child window and the flame in it, pumping the
// host's messages meanwhile.
bool WaitForBurningChild(TPreviewHost& Host, DWORD TimeoutMs) {
  return WaitUntil(TimeoutMs, [&] {
    Host.Pump();
    return Host.PreviewChildren().size() == 1 && AreaBurns(Host);
  });
}

std::optional<DWORD> WaitForExitPumping(TScrProcess& Scr, TPreviewHost& Host, DWORD TimeoutMs) {
  std::optional<DWORD> Code;
  WaitUntil(TimeoutMs, [&] {
    Host.Pump();
    Code = Scr.WaitForExit(0);
    return Code.has_value();
  });
  return Code;
}

TEST(Preview, BurnsExactlyTheHostsAreaAndEndsWhenTheHostHidesIt) {
  TPreviewHost Host(true);
  TScrProcess Scr(Host.Arguments());
  ASSERT_TRUE(Scr.Started());
  ASSERT_TRUE(WaitForBurningChild(Host, kDeadlineMs))
      << "no flame in the preview area: " << Host.PreviewChildren().size() << " child windows, centre pixel "
      << std::hex << ScreenPixel((Host.AreaOnScreen().left + Host.AreaOnScreen().right) / 2,
                                 (Host.AreaOnScreen().top + Host.AreaOnScreen().bottom) / 2)
      << ", running " << !Scr.WaitForExit(0).has_value();

  const std::vector<HWND> Children = Host.PreviewChildren();
  RECT Client{};
  GetClientRect(Children[0], &Client);
  EXPECT_EQ(Client.right, kPreviewWidth);
  EXPECT_EQ(Client.bottom, kPreviewHeight);
  RECT OnScreen = Client;
  MapWindowPoints(Children[0], nullptr, reinterpret_cast<POINT*>(&OnScreen), 2);
  const RECT Area = Host.AreaOnScreen();
  EXPECT_EQ(OnScreen.left, Area.left);
  EXPECT_EQ(OnScreen.top, Area.top);
  // Nothing outside the area is touched: the host's green frame stays.
  for (int x : {Area.left - 1, Area.right})
    for (int y : {Area.top, Area.bottom - 1}) EXPECT_EQ(ScreenPixel(x, y), RGB(0, 200, 0)) << x << "," << y;
  EXPECT_EQ(ScreenPixel(Area.left, Area.top - 1), RGB(0, 200, 0));
  EXPECT_EQ(ScreenPixel(Area.left, Area.bottom), RGB(0, 200, 0));

  const ULONGLONG Hidden = GetTickCount64();
  Host.Hide();
  const auto Code = WaitForExitPumping(Scr, Host, kDeadlineMs);
  ASSERT_TRUE(Code.has_value()) << "still running after the host hid its window";
  EXPECT_EQ(*Code, 0u);
  RecordProperty("EndAfterHideMs", static_cast<int>(GetTickCount64() - Hidden));
}

TEST(Preview, WaitsForAHostWindowShownLate) {
  TPreviewHost Host(false);
  TScrProcess Scr(Host.Arguments());
  ASSERT_TRUE(Scr.Started());
  // Give it time to start and find the window hidden: it must wait, not end.
  WaitUntil(1500, [&] {
    Host.Pump();
    return false;
  });
  ASSERT_FALSE(Scr.WaitForExit(0).has_value()) << "ended while the host window was still hidden";
  EXPECT_TRUE(Host.PreviewChildren().empty());
  Host.Show();
  ASSERT_TRUE(WaitForBurningChild(Host, kDeadlineMs));
  Host.Hide();
  EXPECT_TRUE(WaitForExitPumping(Scr, Host, kDeadlineMs).has_value());
}

TEST(Preview, AHostWindowThatIsNeverShownEndsThePreviewAfterItsWait) {
  TPreviewHost Host(false);
  TScrProcess Scr(Host.Arguments());
  ASSERT_TRUE(Scr.Started());
  const auto Code = WaitForExitPumping(Scr, Host, HostWindowWaitMs + kDeadlineMs);
  ASSERT_TRUE(Code.has_value()) << "still waiting for a host window that is never shown";
  EXPECT_EQ(*Code, 0u);
  EXPECT_TRUE(Host.PreviewChildren().empty());
}

TEST(Preview, EndsWhenTheDialogDestroysItsChildAndNeverOverlapsTheNext) {
  TPreviewHost Host(true);
  TScrProcess First(Host.Arguments());
  ASSERT_TRUE(First.Started());
  ASSERT_TRUE(WaitForBurningChild(Host, kDeadlineMs));
  // The dialog's way of switching previews: its window stays visible.
  const ULONGLONG Destroyed = GetTickCount64();
  Host.DestroyPreviewChildren();
  TScrProcess Second(Host.Arguments());
  ASSERT_TRUE(Second.Started());
  const auto Code = WaitForExitPumping(First, Host, kDeadlineMs);
  ASSERT_TRUE(Code.has_value()) << "the first preview goes on after its child was destroyed";
  EXPECT_EQ(*Code, 0u);
  RecordProperty("EndAfterChildDestroyedMs", static_cast<int>(GetTickCount64() - Destroyed));
  ASSERT_TRUE(WaitForBurningChild(Host, kDeadlineMs)) << "the second preview does not burn";
  EXPECT_EQ(Host.PreviewChildren().size(), 1u);
  Host.DestroyPreviewChildren();
  EXPECT_TRUE(WaitForExitPumping(Second, Host, kDeadlineMs).has_value());
}

// A host that ends the preview and then waits for the process without
// handling a single message of its own windows: nothing on the preview's way
// out may wait on the host's thread.
TEST(Preview, EndsWhileItsHostBlocksWithoutHandlingMessages) {
  for (const bool Destroy : {false, true}) {
    TPreviewHost Host(true);
    TScrProcess Scr(Host.Arguments());
    ASSERT_TRUE(Scr.Started());
    ASSERT_TRUE(WaitForBurningChild(Host, kDeadlineMs));
    const ULONGLONG Asked = GetTickCount64();
    if (Destroy) {
      Host.DestroyPreviewChildren();
    } else {
      Host.Hide();
    }
    const bool Ended = WaitForSingleObject(Scr.Handle(), 10000) == WAIT_OBJECT_0;
    const ULONGLONG Took = GetTickCount64() - Asked;
    // Let a hung preview go before the next case, whatever happened.
    Host.Pump();
    EXPECT_TRUE(Ended) << (Destroy ? "after its child was destroyed" : "after the host hid its window")
                       << " the preview waited on the blocked host";
    if (Ended) RecordProperty(Destroy ? "EndAfterDestroyBlockedMs" : "EndAfterHideBlockedMs", static_cast<int>(Took));
    EXPECT_TRUE(WaitForExitPumping(Scr, Host, kDeadlineMs).has_value());
  }
}

TEST(Preview, NoWindowOrAStaleOneEndsAtOnce) {
  HWND Stale = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(Stale, nullptr);
  DestroyWindow(Stale);
  for (const std::wstring& Args :
       {std::wstring(L"/p 0"), std::wstring(L"/p"), L"/p " + std::to_wstring(reinterpret_cast<uintptr_t>(Stale))}) {
    TScrProcess Scr(Args);
    ASSERT_TRUE(Scr.Started());
    const auto Code = Scr.WaitForExit(kDeadlineMs);
    ASSERT_TRUE(Code.has_value()) << "still running";
    EXPECT_EQ(*Code, 0u);
  }
}

}  // namespace
}  // namespace emberdell::test
