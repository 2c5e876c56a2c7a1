// Emberdell.scr started with the command lines the screensaver host uses.
#include <gtest/gtest.h>

#include <windows.h>

#include "scr_process.h"
#include "win32/uCommandLine.h"
#include "win32/ufmMain.h"

namespace emberdell::test {
namespace {

// Starting a Wine process can take seconds on a loaded machine; these are
// deadlines, not expected durations.
constexpr DWORD kStartDeadlineMs = 30000;
constexpr DWORD kExitDeadlineMs = 30000;

TEST(EmberdellScr, ModesWithoutAWindowEndCleanly) {
  // Password change, settings (handle after a colon or separate) and the
  // preview, with a missing, a zero and a dead parent window.
  for (const wchar_t* Args : {L"/a", L"/A", L"/c", L"/c:4711", L"-c 4711", L"/p", L"/p 0", L"/p 4711", L"xp"}) {
    SCOPED_TRACE("arguments: " + ToUtf8(Args));
    TScrProcess Scr(Args);
    ASSERT_TRUE(Scr.Started()) << "CreateProcess failed: " << GetLastError();
    const auto Code = Scr.WaitForExit(kExitDeadlineMs);
    ASSERT_TRUE(Code.has_value()) << "still running";
    EXPECT_EQ(*Code, 0u);
  }
}

// Samples a grid over the primary monitor, the part of the desktop every
// display has.
bool PrimaryMonitorIs(COLORREF Colour) {
  const int Width = GetSystemMetrics(SM_CXSCREEN), Height = GetSystemMetrics(SM_CYSCREEN);
  HDC Screen = GetDC(nullptr);
  bool Same = true;
  for (int i = 1; i <= 4 && Same; ++i)
    for (int j = 1; j <= 4 && Same; ++j) Same = GetPixel(Screen, Width * i / 5 + j, Height * j / 5 + i) == Colour;
  ReleaseDC(nullptr, Screen);
  return Same;
}

// A white window of the test's own under the screensaver's: an empty X screen
// is black already, so black only proves something once white was seen first.
class TWhiteBackdrop {
 public:
  TWhiteBackdrop() {
    WNDCLASSW Class{};
    Class.lpfnWndProc = DefWindowProcW;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    Class.lpszClassName = L"EmberdellTestBackdrop";
    RegisterClassW(&Class);
    FWindow = CreateWindowExW(0, Class.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                              GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, Class.hInstance, nullptr);
  }
  ~TWhiteBackdrop() {
    if (FWindow != nullptr) DestroyWindow(FWindow);
  }
  TWhiteBackdrop(const TWhiteBackdrop&) = delete;
  TWhiteBackdrop& operator=(const TWhiteBackdrop&) = delete;
  bool Shown() const {
    return FWindow != nullptr && WaitUntil(kStartDeadlineMs, [] { return PrimaryMonitorIs(RGB(255, 255, 255)); });
  }

 private:
  HWND FWindow = nullptr;
};

// Checks what the user sees of the full-screen run before any input.
HWND ExpectBlackFullScreen(TScrProcess& Scr) {
  EXPECT_TRUE(Scr.Started()) << "CreateProcess failed: " << GetLastError();
  HWND Window = Scr.WaitForWindow(kMainFormClass, kStartDeadlineMs);
  if (Window == nullptr) {
    ADD_FAILURE() << "no full-screen window appeared";
    return nullptr;
  }
  EXPECT_TRUE(GetWindowLongPtrW(Window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT Rect;
  GetWindowRect(Window, &Rect);
  EXPECT_LE(Rect.left, 0);
  EXPECT_LE(Rect.top, 0);
  EXPECT_GE(Rect.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_GE(Rect.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(WaitUntil(kStartDeadlineMs, [] { return PrimaryMonitorIs(RGB(0, 0, 0)); })) << "the screen is not black";
  return Window;
}

void SendInputTo(HWND Window, INPUT* Events, UINT Count) {
  // The host sends real input; it reaches whichever window is in front.
  SetForegroundWindow(Window);
  ASSERT_EQ(SendInput(Count, Events, sizeof(INPUT)), Count);
}

TEST(EmberdellScr, FullScreenRunEndsOnAKey) {
  TWhiteBackdrop Backdrop;
  ASSERT_TRUE(Backdrop.Shown());
  TScrProcess Scr(L"/s");
  HWND Window = ExpectBlackFullScreen(Scr);
  ASSERT_NE(Window, nullptr);
  ASSERT_FALSE(Scr.WaitForExit(0).has_value()) << "ended before any input";
  INPUT Key[2] = {};
  Key[0].type = Key[1].type = INPUT_KEYBOARD;
  Key[0].ki.wVk = Key[1].ki.wVk = VK_SPACE;
  Key[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInputTo(Window, Key, 2);
  const auto Code = Scr.WaitForExit(kExitDeadlineMs);
  ASSERT_TRUE(Code.has_value()) << "still running after a key press";
  EXPECT_EQ(*Code, 0u);
}

TEST(EmberdellScr, NoArgumentsRunFullScreenAndEndOnAClick) {
  TWhiteBackdrop Backdrop;
  ASSERT_TRUE(Backdrop.Shown());
  TScrProcess Scr(L"");
  HWND Window = ExpectBlackFullScreen(Scr);
  ASSERT_NE(Window, nullptr);
  INPUT Click[2] = {};
  Click[0].type = Click[1].type = INPUT_MOUSE;
  Click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  Click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInputTo(Window, Click, 2);
  const auto Code = Scr.WaitForExit(kExitDeadlineMs);
  ASSERT_TRUE(Code.has_value()) << "still running after a click";
  EXPECT_EQ(*Code, 0u);
}

}  // namespace
}  // namespace emberdell::test
