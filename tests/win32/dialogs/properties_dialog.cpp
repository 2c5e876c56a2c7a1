#include "tests/win32/dialogs/properties_dialog.h"

#include <commctrl.h>

#include "settings/SettingsIds.h"
#include "win32/host/uWinText.h"

namespace emberdell::test {

namespace {

constexpr int kSettingsTab = 2;

int SystemDpi() {
  HDC Screen = GetDC(nullptr);
  const int Dpi = GetDeviceCaps(Screen, LOGPIXELSY);
  ReleaseDC(nullptr, Screen);
  return Dpi;
}

}  // namespace

std::wstring TextOf(HWND Window) {
  wchar_t Buffer[256] = L"";
  GetWindowTextW(Window, Buffer, 256);
  return Buffer;
}

void TPropertiesDialogTest::OpenSettings() {
  ASSERT_TRUE(Settings.Set(L"Show Preview", 0));
  Start(L"/c");
  Window = Scr->WaitForWindow(L"#32770", kStartDeadlineMs);
  ASSERT_NE(Window, nullptr) << "no settings window";
  ASSERT_TRUE(WaitUntil(5000, [&] {
    SetForegroundWindow(Window);
    return GetForegroundWindow() == Window;
  })) << "the settings window does not come to the front";
}

HWND TPropertiesDialogTest::OpenDialog(int ButtonId, const wchar_t* Caption) {
  const HWND Button = Control(Window, ButtonId);
  if (Button == nullptr) return nullptr;
  if (!IsWindowVisible(Button)) {
    // A click on the first tab gives the page control the focus; the arrow
    // keys go on from there.
    RECT Pages;
    GetWindowRect(Control(Window, IDC_PAGES), &Pages);
    MoveCursorTo(Pages.left + 20, Pages.top + 10);
    ClickLeft();
    for (int i = 0; i < kSettingsTab; ++i) PressKey(VK_RIGHT);
    if (!WaitUntil(5000, [&] { return IsWindowVisible(Button) != FALSE; })) return nullptr;
  }
  Click(Button);
  HWND Dialog = nullptr;
  WaitUntil(10000, [&] {
    Dialog = FindWindowW(L"#32770", Caption);
    return Dialog != nullptr && GetForegroundWindow() == Dialog;
  });
  return Dialog;
}

void TPropertiesDialogTest::Click(HWND Control) {
  RECT R;
  GetWindowRect(Control, &R);
  MoveCursorTo((R.left + R.right) / 2, (R.top + R.bottom) / 2);
  ClickLeft();
  const ULONGLONG After = GetTickCount64() + GetDoubleClickTime() + 50;
  WaitUntil(5000, [&] { return GetTickCount64() >= After; });
}

void TPropertiesDialogTest::FocusSlider(HWND Slider) {
  // The focus of the dialog's own thread, not of ours: on a busy machine a
  // click may come before the dialog takes input, so it is tried again.
  const DWORD Thread = GetWindowThreadProcessId(Slider, nullptr);
  const auto Focused = [&] {
    GUITHREADINFO Info{};
    Info.cbSize = sizeof Info;
    return GetGUIThreadInfo(Thread, &Info) && Info.hwndFocus == Slider;
  };
  for (int Try = 0; Try < 3 && !Focused(); ++Try) {
    SetForegroundWindow(GetAncestor(Slider, GA_ROOT));
    RECT R;
    GetWindowRect(Slider, &R);
    MoveCursorTo(R.left + 4, (R.top + R.bottom) / 2);
    ClickLeft();
    WaitUntil(3000, Focused);
  }
}

bool TPropertiesDialogTest::WaitForText(HWND Control, const std::wstring& Text) {
  return WaitUntil(5000, [&] { return TextOf(Control) == Text; });
}

void TPropertiesDialogTest::CloseSettings() {
  ASSERT_TRUE(WaitUntil(5000, [&] {
    SetForegroundWindow(Window);
    return GetForegroundWindow() == Window;
  }));
  PressKey(VK_ESCAPE);
  ExpectCleanEnd("still running after the settings window should have closed");
}

void TPropertiesDialogTest::ExpectSettingsDialog(HWND Dialog, const wchar_t* Caption, int Width, int Height,
                                                 int PaintBoxId) {
  EXPECT_EQ(TextOf(Dialog), Caption);
  const LONG_PTR Style = GetWindowLongPtrW(Dialog, GWL_STYLE), ExStyle = GetWindowLongPtrW(Dialog, GWL_EXSTYLE);
  EXPECT_TRUE(ExStyle & WS_EX_APPWINDOW) << "no taskbar button of its own";
  EXPECT_TRUE(ExStyle & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(Style & WS_SYSMENU);
  EXPECT_FALSE(Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

  // The system scales the template with the font: near the 96 DPI size
  // times the DPI (the dialog font's width differs a little between systems).
  RECT Client;
  GetClientRect(Dialog, &Client);
  const int Dpi = SystemDpi();
  EXPECT_GE(Client.right, MulDiv(Width * 9 / 10, Dpi, 96));
  EXPECT_LE(Client.right, MulDiv(Width * 5 / 4, Dpi, 96));
  EXPECT_GE(Client.bottom, MulDiv(Height * 9 / 10, Dpi, 96));
  EXPECT_LE(Client.bottom, MulDiv(Height * 5 / 4, Dpi, 96));

  RECT Frame;
  GetWindowRect(Dialog, &Frame);
  EXPECT_NEAR(Frame.left + Frame.right, GetSystemMetrics(SM_CXSCREEN), 2) << "not centred across the primary monitor";
  EXPECT_NEAR(Frame.top + Frame.bottom, GetSystemMetrics(SM_CYSCREEN), 2) << "not centred down the primary monitor";

  // The icon box: 32 pixels at 96 DPI, its corners the dialog's face (the
  // icon's edge is transparent), some of it the icon.
  const HWND Box = GetDlgItem(Dialog, PaintBoxId);
  ASSERT_NE(Box, nullptr);
  RECT R;
  GetWindowRect(Box, &R);
  EXPECT_EQ(R.right - R.left, MulDiv(32, Dpi, 96));
  EXPECT_EQ(R.bottom - R.top, MulDiv(32, Dpi, 96));
  const COLORREF Face = GetSysColor(COLOR_BTNFACE);
  int Differs = 0;
  EXPECT_TRUE(WaitUntil(5000, [&] {
    const TScreenGrab Grab(R);
    if (!Grab.Valid()) return false;
    Differs = 0;
    for (int y = R.top; y < R.bottom; ++y)
      for (int x = R.left; x < R.right; ++x) Differs += Grab.At(x, y) != Face;
    return Grab.At(R.left, R.top) == Face && Grab.At(R.right - 1, R.top) == Face &&
           Grab.At(R.left, R.bottom - 1) == Face && Grab.At(R.right - 1, R.bottom - 1) == Face && Differs > 50;
  })) << "the icon box shows no blended icon: " << Differs << " pixels differ from the dialog's face";
}

}  // namespace emberdell::test
