// The Flame Styles tab as a user works it: the real child dialog, real mouse
// and key input, and the style files it leaves behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/host/uGlobals.h"
#include "core/settings/uCurveEditor.h"
#include "core/styles/uPresets.h"
#include "core/styles/uStyleFolders.h"
#include "settings/PresetsTabIds.h"
#include "tests/win32/harness/scr_process.h"
#include "tests/win32/harness/scr_screen.h"
#include "win32/host/uPresetRecords.h"
#include "win32/settings/ufmPresetsTab.h"

using namespace emberdell;
using namespace emberdell::test;
namespace fs = std::filesystem;

namespace {

// The style tree, as the settings window keeps it: a new style is selected
// there, which loads it into the editor.
class TFakeTree : public IPresetsTabHost {
 public:
  TfmPresetsTab* Tab = nullptr;
  std::vector<std::string> Added, Deleted;
  void PresetAdded(const std::string& Name) override {
    Added.push_back(Name);
    Tab->SelectPreset(Name);
  }
  void PresetDeleted(const std::string& Name) override { Deleted.push_back(Name); }
  void PresetChosen(const std::string&) override {}
};

TFlamePreset Ramp(const char* Name) {
  TFlamePreset p{};
  SetPresetName(p, Name);
  p.FlameIntensity = 7;
  p.SpiresLength = 7;
  for (int i = 0; i < 256; ++i) p.Red[i] = p.Green[i] = p.Blue[i] = uint8_t(254 - (i & ~1));
  return p;
}

// The tab on a window of its own, on a thread of its own, so that the test
// can go on giving input while the tab's modal dialog runs.
class TTabWindow {
 public:
  explicit TTabWindow(const std::vector<std::string>& Names) {
    FThread = std::thread([this, Names] {
      FThreadId = GetCurrentThreadId();
      const HINSTANCE Instance = GetModuleHandleW(nullptr);
      WNDCLASSW Class{};
      Class.lpfnWndProc = DefWindowProcW;
      Class.hInstance = Instance;
      Class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      Class.lpszClassName = L"EmberdellPresetsTabTest";
      RegisterClassW(&Class);
      const HWND Frame = CreateWindowExW(0, Class.lpszClassName, L"Flame Styles", WS_OVERLAPPED | WS_CAPTION, 40, 40,
                                         520, 520, nullptr, nullptr, Instance, nullptr);
      TFakeTree Tree;
      TfmPresetsTab Tab(Instance, Tree);
      Tree.Tab = &Tab;
      Tab.Create(Frame, RECT{4, 4, 504, 484});
      Tab.FillList(Names);
      Tab.ShowPreset();
      Tab.UpdateDeleteButton();
      ShowWindow(Tab.Handle(), SW_SHOW);
      ShowWindow(Frame, SW_SHOW);
      SetForegroundWindow(Frame);
      FTab = Tab.Handle();
      FStarted = true;
      MSG Message;
      while (GetMessageW(&Message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(Tab.Handle(), &Message)) {
          TranslateMessage(&Message);
          DispatchMessageW(&Message);
        }
      }
      DestroyWindow(Frame);
    });
  }
  ~TTabWindow() {
    // The thread may still be starting; its queue exists once it has made a window.
    while (!FStarted || !PostThreadMessageW(FThreadId, WM_QUIT, 0, 0)) Sleep(10);
    FThread.join();
  }
  HWND Tab() const { return FTab; }
  HWND Control(int Id) const { return GetDlgItem(FTab, Id); }
  POINT Centre(int Id) const {
    RECT r;
    GetWindowRect(Control(Id), &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // A point of the curve image in its own pixels, on the screen.
  POINT ImagePoint(int X, int Y) const {
    RECT Client;
    GetClientRect(Control(IDC_DRAW), &Client);
    POINT p{X * Client.right / CurveImageWidth + Client.right / (2 * CurveImageWidth),
            Y * Client.bottom / CurveImageHeight + Client.bottom / (2 * CurveImageHeight)};
    ClientToScreen(Control(IDC_DRAW), &p);
    return p;
  }

 private:
  std::thread FThread;
  std::atomic<DWORD> FThreadId{0};
  std::atomic<HWND> FTab{nullptr};
  std::atomic<bool> FStarted{false};
};

void Mouse(DWORD Flags) {
  INPUT In{};
  In.type = INPUT_MOUSE;
  In.mi.dwFlags = Flags;
  ASSERT_EQ(SendInput(1, &In, sizeof In), 1u);
}

void ClickAt(POINT p) {
  MoveCursorTo(p.x, p.y);
  ClickLeft();
}

void TypeLowercase(const char* Text) {
  for (const char* c = Text; *c; ++c) PressKey(*c == ' ' ? VK_SPACE : WORD(*c - 'a' + 'A'));
}

class PresetsTabTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t Temp[MAX_PATH];
    GetTempPathW(MAX_PATH, Temp);
    Root = fs::path(Temp) / ("emberdell-tab-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(Root / "program");
    fs::create_directories(Root / "user");
    SavedProgramDir = Settings.ProgramDir;
    SavedUserDir = UserDataDir;
    Settings.ProgramDir = (Root / "program").string() + "\\";
    UserDataDir = (Root / "user").string() + "\\";
  }
  void TearDown() override {
    Settings.ProgramDir = SavedProgramDir;
    UserDataDir = SavedUserDir;
    std::error_code Ignored;
    fs::remove_all(Root, Ignored);
  }

  // Draws a level stroke at image row 10 from column 20 to 200, sets "Flame
  // intensity" to 4 and saves as "ember glow"; returns the file written.
  void DrawAndSaveAs(TTabWindow& Window) {
    ASSERT_TRUE(WaitUntil(10000, [&] { return Window.Tab() != nullptr && IsWindowVisible(Window.Tab()); }));
    const POINT Start = Window.ImagePoint(20, 10), Middle = Window.ImagePoint(110, 10),
                End = Window.ImagePoint(200, 10);
    MoveCursorTo(Start.x, Start.y);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    MoveCursorTo(Middle.x, Middle.y);
    MoveCursorTo(End.x, End.y);
    Mouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitUntil(5000, [&] { return IsWindowEnabled(Window.Control(IDC_SAVE)) != FALSE; }))
        << "a stroke marks the style changed";

    RECT Thumb;
    SendMessageW(Window.Control(IDC_SPLEN), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&Thumb));
    POINT ThumbCentre{(Thumb.left + Thumb.right) / 2, (Thumb.top + Thumb.bottom) / 2};
    ClientToScreen(Window.Control(IDC_SPLEN), &ThumbCentre);
    ClickAt(ThumbCentre);
    PressKey(VK_HOME);
    for (int i = 0; i < 3; ++i) PressKey(VK_RIGHT);
    ASSERT_TRUE(WaitUntil(5000, [&] { return SendMessageW(Window.Control(IDC_SPLEN), TBM_GETPOS, 0, 0) == 4; }));

    ClickAt(Window.Centre(IDC_SAVEAS));
    HWND Ask = nullptr;
    ASSERT_TRUE(WaitUntil(10000, [&] {
      Ask = FindWindowW(nullptr, L"Emberdell - New Flame Style");
      return Ask != nullptr && IsWindowVisible(Ask) && GetForegroundWindow() == Ask;
    }));
    TypeLowercase("ember glow");
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil(10000, [&] { return !IsWindow(Ask); }));
  }

  void ExpectSavedStyle(const fs::path& File) {
    TFlamePreset Saved;
    ASSERT_TRUE(ReadPresetFile(File.string(), Saved)) << File;
    EXPECT_EQ(PresetName(Saved), "ember glow");
    EXPECT_EQ(Saved.FlameIntensity, 4);
    EXPECT_EQ(Saved.SpiresLength, 4);
    // Row 10 is curve value 20 for every ticked channel along the stroke;
    // outside it the ramp stays, give or take the smoothing's rounding.
    for (int t : {40, 110, 180}) {
      EXPECT_EQ(Saved.Red[t], 20) << t;
      EXPECT_EQ(Saved.Green[t], 20) << t;
      EXPECT_EQ(Saved.Blue[t], 20) << t;
    }
    EXPECT_NEAR(Saved.Red[240], 254 - 240, 4);
    EXPECT_NEAR(Saved.Blue[5], 254 - 4, 4);
  }

  fs::path Root;
  std::string SavedProgramDir, SavedUserDir;
};

}  // namespace

TEST_F(PresetsTabTest, StrokeIntensityAndSaveAsLeaveExactlyTheNewStyle) {
  ASSERT_TRUE(SavePreset(PresetFolders(), "Gas Flame", Ramp("Gas Flame")));
  {
    std::lock_guard<std::mutex> Guard(PresetLock);
    LoadPreset(PresetFolders(), "Gas Flame", CurrentPreset);
  }
  {
    TTabWindow Window(GetPresetNames(PresetFolders()));
    DrawAndSaveAs(Window);
    // The frame thread draws what the editor shows.
    std::lock_guard<std::mutex> Guard(PresetLock);
    EXPECT_EQ(CurrentPreset.FlameIntensity, 4);
    EXPECT_EQ(CurrentPreset.Red[110], 20);
  }
  const fs::path Folder = Root / "program" / "Flame Presets";
  std::vector<std::string> Files;
  for (const auto& Entry : fs::directory_iterator(Folder)) Files.push_back(Entry.path().filename().string());
  std::sort(Files.begin(), Files.end());
  EXPECT_EQ(Files, (std::vector<std::string>{"Gas Flame.wyk", "ember glow.wyk"}));
  ExpectSavedStyle(Folder / "ember glow.wyk");
  TFlamePreset Original;
  ASSERT_TRUE(ReadPresetFile((Folder / "Gas Flame.wyk").string(), Original));
  EXPECT_EQ(Original.FlameIntensity, 7);  // the style it started from is untouched
  EXPECT_FALSE(fs::exists(Root / "user" / "Flame Presets"));
}

TEST_F(PresetsTabTest, AProgramFolderThatCannotBeWrittenSavesForTheUser) {
  // A file where the style folder should be: nothing can be created in it,
  // whoever runs the test.
  std::ofstream(Root / "program" / "Flame Presets") << "not a folder";
  {
    std::lock_guard<std::mutex> Guard(PresetLock);
    CurrentPreset = Ramp("Gas Flame");
  }
  {
    TTabWindow Window(GetPresetNames(PresetFolders()));
    DrawAndSaveAs(Window);
  }
  ExpectSavedStyle(Root / "user" / "Flame Presets" / "ember glow.wyk");
  EXPECT_TRUE(fs::is_regular_file(Root / "program" / "Flame Presets"));
}
