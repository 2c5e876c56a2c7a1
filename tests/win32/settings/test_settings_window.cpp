// The settings window as a user meets it: "/c" opens it beside the burning
// preview; ticks, buttons and the trackbar, given as real mouse and key
// input, end up in the settings file when the window closes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/engine/uImageFiles.h"
#include "core/settings/uSettingsLogic.h"
#include "settings/SettingsIds.h"
#include "tests/win32/harness/scr_run.h"
#include "tests/win32/harness/scr_sandbox.h"
#include "win32/host/uWinText.h"
#include "win32/host/ufmPreview.h"

namespace emberdell::test {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";

std::wstring TextOf(HWND Window) {
  wchar_t Buffer[256] = L"";
  GetWindowTextW(Window, Buffer, 256);
  return Buffer;
}

int SystemDpi() {
  HDC Screen = GetDC(nullptr);
  const int Dpi = GetDeviceCaps(Screen, LOGPIXELSY);
  ReleaseDC(nullptr, Screen);
  return Dpi;
}

class SettingsWindow : public TRunTest {
 protected:
  HWND Window = nullptr;

  // Starts "/c" and waits for the window in front of the user.
  void Open(const wchar_t* Args = L"/c") {
    Start(Args);
    Window = Scr->WaitForWindow(kDialogClass, kStartDeadlineMs);
    ASSERT_NE(Window, nullptr) << "no settings window";
    ASSERT_TRUE(WaitUntil(5000, [&] {
      SetForegroundWindow(Window);
      return GetForegroundWindow() == Window;
    })) << "the settings window does not come to the front";
  }

  void Click(int X, int Y) {
    MoveCursorTo(X, Y);
    ClickLeft();
    // Two clicks on one spot within the double-click time are a double
    // click; a user ticking twice waits that long, so does the test.
    const ULONGLONG After = GetTickCount64() + GetDoubleClickTime() + 50;
    WaitUntil(5000, [&] { return GetTickCount64() >= After; });
  }
  void ClickControl(int Id) {
    RECT R;
    ASSERT_TRUE(GetWindowRect(Control(Window, Id), &R));
    Click((R.left + R.right) / 2, (R.top + R.bottom) / 2);
  }
  // A press on the check box of the Row-th visible row of a tree, at Level
  // 0 (top) or 1 (under a group). Root rows carry no lines, so a row's
  // picture starts at its left edge, a child's one indent further in.
  void ClickCheckBox(int TreeId, int Row, int Level = 0) {
    HWND Tree = Control(Window, TreeId);
    ASSERT_NE(Tree, nullptr);
    const int Height = static_cast<int>(SendMessageW(Tree, TVM_GETITEMHEIGHT, 0, 0));
    const int Indent = static_cast<int>(SendMessageW(Tree, TVM_GETINDENT, 0, 0));
    POINT P{Level * Indent + 8, Row * Height + Height / 2};
    ClientToScreen(Tree, &P);
    Click(P.x, P.y);
  }
  void CloseWith(WORD Key) {
    SetForegroundWindow(Window);
    PressKey(Key);
    ExpectCleanEnd("still running after the window should have closed");
  }
};

TEST_F(SettingsWindow, SlashCOpensTheWindowBesideTheBurningPreview) {
  ASSERT_TRUE(Settings.Set(L"Show Preview", 1));
  Open();
  EXPECT_EQ(TextOf(Window), L"Emberdell Screensaver");
  // Its template, scaled by the system with the font: at least the 475 x 539
  // pixels its pages need at 96 DPI, as many more at a higher DPI, and not
  // far beyond (the dialog font's width differs a little between systems).
  RECT Client;
  GetClientRect(Window, &Client);
  const int Dpi = SystemDpi();
  EXPECT_GE(Client.right, MulDiv(475, Dpi, 96));
  EXPECT_GE(Client.bottom, MulDiv(539, Dpi, 96));
  EXPECT_LE(Client.right, MulDiv(475 * 5 / 4, Dpi, 96));
  EXPECT_LE(Client.bottom, MulDiv(539 * 5 / 4, Dpi, 96));
  // Its own taskbar button.
  EXPECT_TRUE(GetWindowLongPtrW(Window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(SendMessageW(Control(Window, IDC_SHOWPREVIEW), BM_GETCHECK, 0, 0), BST_CHECKED);

  HWND Preview = Scr->WaitForWindow(kFloatingPreviewClass, kStartDeadlineMs);
  ASSERT_NE(Preview, nullptr) << "no preview window";
  EXPECT_EQ(TextOf(Preview), L"Emberdell Screensaver Preview");
  RECT PreviewClient, PreviewFrame;
  GetClientRect(Preview, &PreviewClient);
  GetWindowRect(Preview, &PreviewFrame);
  EXPECT_EQ(PreviewClient.right, 512);
  EXPECT_EQ(PreviewClient.bottom, 384);
  const TWindowPlace Place =
      PreviewPlace(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                   PreviewFrame.right - PreviewFrame.left, PreviewFrame.bottom - PreviewFrame.top);
  EXPECT_EQ(PreviewFrame.left, Place.Left);
  EXPECT_EQ(PreviewFrame.top, Place.Top);

  // It burns the desktop: the outlines of the test's desktop catch fire in it,
  // where the settings window does not cover it.
  POINT Origin{0, 0};
  ClientToScreen(Preview, &Origin);
  RECT Area{Origin.x, Origin.y, Origin.x + 512, Origin.y + 384};
  RECT Settings;
  GetWindowRect(Window, &Settings);
  if (Settings.right > Area.left && Settings.right < Area.right) Area.left = Settings.right;
  double Share = 0;
  EXPECT_TRUE(WaitUntil(10000, [&] {
    TScreenGrab Now(Area);
    int Flame = 0, Total = 0;
    for (int y = Area.top; y < Area.bottom; y += 4)
      for (int x = Area.left; x < Area.right; x += 4, ++Total) Flame += IsFlameColour(Now.At(x, y));
    Share = Total ? double(Flame) / Total : 0;
    return Share > 0.02;
  })) << "no flame in the preview: " << Share * 100 << " % of it burns";

  // Its close box only hides it and unticks "Show Preview", which is stored.
  PostMessageW(Preview, WM_CLOSE, 0, 0);
  HWND ShowPreview = Control(Window, IDC_SHOWPREVIEW);
  EXPECT_TRUE(WaitUntil(5000, [&] {
    return !IsWindowVisible(Preview) && SendMessageW(ShowPreview, BM_GETCHECK, 0, 0) == BST_UNCHECKED;
  })) << "the preview's close box did not untick \"Show Preview\"";
  EXPECT_TRUE(IsWindow(Preview));
  CloseWith(VK_ESCAPE);
  EXPECT_EQ(this->Settings.Get(L"Show Preview"), L"0");
}

TEST_F(SettingsWindow, TicksButtonsAndTrackbarReachTheSettingsFile) {
  // One background picture in a group, in the program's picture folder.
  const std::filesystem::path Pictures = std::filesystem::path(ScrFolder()) / L"Background Images";
  const bool HadPictures = std::filesystem::exists(Pictures);
  std::filesystem::create_directories(Pictures);
  const std::filesystem::path Picture = Pictures / L"Castles - Night.jpg";
  std::vector<uint8_t> Pixels(64 * 48 * 4, 0x80);
  std::string Error;
  ASSERT_TRUE(WriteJpegFile(Picture.string(), 64, 48, Pixels.data(), 90, false, Error)) << Error;
  struct TCleanup {
    std::filesystem::path Picture, Folder;
    bool KeepFolder;
    ~TCleanup() {
      std::error_code Ignored;
      std::filesystem::remove(Picture, Ignored);
      if (!KeepFolder) std::filesystem::remove(Folder, Ignored);
    }
  } Cleanup{Picture, Pictures, HadPictures};

  ASSERT_TRUE(Settings.Set(L"Active Presets", L"~(Default) Wood~"));
  ASSERT_TRUE(Settings.Set(L"Changing delay", 120));
  ASSERT_TRUE(Settings.Set(L"Show Preview", 0));
  Open();
  // Ticking does not select: the style shown stays the one selected at the start.
  HWND Styles = Control(Window, IDC_TVPRESETS);
  const LRESULT Selected = SendMessageW(Styles, TVM_GETNEXTITEM, TVGN_CARET, 0);
  // Sorted: (Default) Wood, (Random Preset), Gas Flame, Windy Night.
  ClickCheckBox(IDC_TVPRESETS, 2);  // tick "Gas Flame"
  ClickCheckBox(IDC_TVPRESETS, 3);  // tick "Windy Night"
  ClickCheckBox(IDC_TVPRESETS, 3);  // and untick it
  ClickCheckBox(IDC_TVPRESETS, 0);  // untick "(Default) Wood"
  EXPECT_EQ(SendMessageW(Styles, TVM_GETNEXTITEM, TVGN_CARET, 0), Selected);
  // (Default) Desktop Snapshot, then the group "Castles" with "Night".
  ClickCheckBox(IDC_TVBACKGROUNDS, 2, 1);
  ClickCheckBox(IDC_TVBACKGROUNDS, 1, 0);  // a group takes no tick

  // The trackbar: a click gives it the focus, Home goes to 30 seconds and an
  // arrow key ten positions further.
  HWND Periodic = Control(Window, IDC_CHANGEPERIODICALLY);
  EXPECT_EQ(TextOf(Periodic), L"Every 2 minute(s)");
  RECT Track;
  GetWindowRect(Control(Window, IDC_TBCHANGEPRESETS), &Track);
  Click(Track.left + 4, (Track.top + Track.bottom) / 2);
  PressKey(VK_HOME);
  EXPECT_TRUE(WaitUntil(5000, [&] { return TextOf(Periodic) == L"Every 0.5 minute(s)"; })) << ToUtf8(TextOf(Periodic));
  PressKey(VK_RIGHT);
  EXPECT_TRUE(WaitUntil(5000, [&] { return TextOf(Periodic) == L"Every 5.5 minute(s)"; })) << ToUtf8(TextOf(Periodic));

  CloseWith(VK_RETURN);
  EXPECT_EQ(Settings.Get(L"Active Presets"), L"~Gas Flame~");
  EXPECT_EQ(Settings.Get(L"Active Backgrounds"), L"~(Default) Desktop Snapshot~,~Castles - Night~");
  EXPECT_EQ(Settings.Get(L"Changing delay"), L"330");
  EXPECT_EQ(Settings.Get(L"Change on startup"), L"0");
  EXPECT_EQ(Settings.Get(L"Show Preview"), L"0");

  // Next time: "Default" of both groups and the other radio button.
  Open();
  ClickControl(IDC_SELECTPRESETSDEFAULT);
  ClickControl(IDC_SELECTBACKGROUNDSDEFAULT);
  ClickControl(IDC_CHANGEONSTARTONLY);
  EXPECT_FALSE(IsWindowEnabled(Control(Window, IDC_TBCHANGEPRESETS)));
  CloseWith(VK_ESCAPE);
  EXPECT_EQ(Settings.Get(L"Active Presets"), L"~(Default) Wood~");
  EXPECT_EQ(Settings.Get(L"Active Backgrounds"), L"~(Default) Desktop Snapshot~");
  EXPECT_EQ(Settings.Get(L"Change on startup"), L"1");
  EXPECT_EQ(Settings.Get(L"Changing delay"), L"330");
}

// The file as the installer leaves it: ANSI, "InstallDir" its only name. A
// Greek style and a Cyrillic picture ticked in the window come back ticked,
// and a second close that changes nothing leaves the file's bytes alone.
TEST_F(SettingsWindow, AGreekStyleAndACyrillicPictureSurviveTheInstallersFile) {
  const std::filesystem::path Folder(ScrFolder());
  const std::filesystem::path Styles = Folder / L"Flame Presets", Pictures = Folder / L"Background Images";
  const bool HadPictures = std::filesystem::exists(Pictures);
  std::filesystem::create_directories(Pictures);
  const std::wstring Greek = L"\u03A6\u03BB\u03CC\u03B3\u03B1";       // "Φλόγα"
  const std::wstring Cyrillic = L"\u041F\u043B\u0430\u043C\u044F";    // "Пламя"
  const std::filesystem::path Style = Styles / (Greek + L".wyk"), Picture = Pictures / (Cyrillic + L".jpg");
  struct TCleanup {
    std::filesystem::path Style, Picture, Folder;
    bool KeepFolder;
    ~TCleanup() {
      std::error_code Ignored;
      std::filesystem::remove(Style, Ignored);
      std::filesystem::remove(Picture, Ignored);
      if (!KeepFolder) std::filesystem::remove(Folder, Ignored);
    }
  } Cleanup{Style, Picture, Pictures, HadPictures};
  ASSERT_TRUE(CopyFileW((Styles / L"Gas Flame.wyk").c_str(), Style.c_str(), FALSE)) << GetLastError();
  std::vector<uint8_t> Pixels(64 * 48 * 4, 0x80);
  std::string Error;
  ASSERT_TRUE(WriteJpegFile(ToUtf8(Picture.wstring()), 64, 48, Pixels.data(), 90, false, Error)) << Error;
  // What the installer's WriteINIStr does: the profile functions make the file.
  ASSERT_TRUE(Settings.Set(L"InstallDir", ScrFolder().c_str()));
  ASSERT_TRUE(Settings.Set(L"Show Preview", 0));
  ASSERT_NE(ReadWholeFile(SharedIniPath())->substr(0, 2), "\xFF\xFE") << "not the ANSI file an installer makes";

  Open();
  // Sorted: (Default) Wood, (Random Preset), Gas Flame, Windy Night, the Greek one.
  ClickCheckBox(IDC_TVPRESETS, 4);
  // (Default) Desktop Snapshot, then the Cyrillic one.
  ClickCheckBox(IDC_TVBACKGROUNDS, 1);
  CloseWith(VK_RETURN);
  EXPECT_EQ(Settings.Get(L"Active Presets"), L"~(Default) Wood~," + Greek);
  EXPECT_EQ(Settings.Get(L"Active Backgrounds"), L"~(Default) Desktop Snapshot~," + Cyrillic);
  EXPECT_EQ(Settings.Get(L"InstallDir"), ScrFolder()) << "the change of encoding lost the installer's key";

  // Both ticks are read back as they were written: closing again writes nothing.
  const auto Saved = ReadWholeFile(SharedIniPath());
  Open();
  CloseWith(VK_ESCAPE);
  EXPECT_EQ(ReadWholeFile(SharedIniPath()), Saved) << "the second, unchanged close rewrote the file";
  EXPECT_EQ(Settings.Get(L"Active Presets"), L"~(Default) Wood~," + Greek);
}

// A reader (an indexer, a virus scanner) holds the settings file without
// delete sharing while the window closes: the close waits with the window
// still answering and moving, and once the reader lets go the settings land
// in the shared file, with no per-user copy made.
TEST_F(SettingsWindow, ACloseWaitsForAReaderOfTheFileAndKeepsItShared) {
  // The file lacks every other key: the close has something to write.
  ASSERT_TRUE(Settings.Set(L"Show Preview", 0));
  Open();
  HANDLE Reader = CreateFileW(SharedIniPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(Reader, INVALID_HANDLE_VALUE);
  struct TLetGo {
    HANDLE& File;
    ~TLetGo() {
      if (File != INVALID_HANDLE_VALUE) CloseHandle(File);
    }
  } LetGo{Reader};

  DWORD_PTR Answer = 0;
  EXPECT_EQ(SendMessageTimeoutW(Window, WM_CLOSE, 0, 0, SMTO_NORMAL, 500, &Answer), 0)
      << "the close ended while the file was held";
  EXPECT_NE(SendMessageTimeoutW(Window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &Answer), 0)
      << "the window does not answer while its save waits";
  RECT Before;
  ASSERT_TRUE(GetWindowRect(Window, &Before));
  SetWindowPos(Window, nullptr, Before.left + 16, Before.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  EXPECT_TRUE(WaitUntil(1000, [&] {
    RECT Now;
    return GetWindowRect(Window, &Now) && Now.left == Before.left + 16;
  })) << "the window cannot be moved while its save waits";

  CloseHandle(Reader);
  Reader = INVALID_HANDLE_VALUE;
  ExpectCleanEnd("still running after the reader let go of the file");
  EXPECT_FALSE(FileExists(PerUserIniPath())) << "a passing hold moved the settings to a per-user copy";
  EXPECT_FALSE(FileExists(SharedIniPath() + L".saving"));
  EXPECT_EQ(Settings.Get(L"FPS"), L"25");
  EXPECT_EQ(Settings.Get(L"Fadeout"), L"700");
  EXPECT_EQ(Settings.Get(L"Show Preview"), L"0");
}

}  // namespace
}  // namespace emberdell::test
