// The style editor inside the real settings window: "/c", the Flame Styles
// tab, a stroke on the curve image, "Flame intensity", "Save As..." and OK,
// all as mouse and key input; then the style folders are looked at.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "core/settings/uCurveEditor.h"
#include "core/shared/uFileUtils.h"
#include "core/shared/uUnicode.h"
#include "core/styles/uDelimitedText.h"
#include "core/styles/uPresets.h"
#include "settings/PresetsTabIds.h"
#include "settings/SettingsIds.h"
#include "tests/win32/harness/scr_run.h"
#include "tests/win32/harness/scr_sandbox.h"

namespace emberdell::test {
namespace {

namespace fs = std::filesystem;

void Mouse(DWORD Flags) {
  INPUT In{};
  In.type = INPUT_MOUSE;
  In.mi.dwFlags = Flags;
  ASSERT_EQ(SendInput(1, &In, sizeof In), 1u);
}

// "Grün Feuer", "Огонь в камине" and the 20 bytes of UTF-8 it is stored as.
const std::wstring GreenFire = L"Gr\u00FCn Feuer.wyk";
const std::wstring HearthFire = L"\u041E\u0433\u043E\u043D\u044C \u0432 \u043A\u0430\u043C\u0438\u043D\u0435.wyk";
const std::wstring HearthFireCut = L"\u041E\u0433\u043E\u043D\u044C \u0432 \u043A\u0430\u043C.wyk";

// Typed as an input method or the on-screen keyboard types: characters, not keys.
void TypeText(const std::wstring& Text) {
  for (wchar_t c : Text) {
    INPUT In[2]{};
    for (INPUT& i : In) {
      i.type = INPUT_KEYBOARD;
      i.ki.wScan = c;
      i.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    In[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, In, sizeof In[0]), 2u);
  }
}

class StyleEditorRun : public TRunTest {
 protected:
  const fs::path Program = fs::path(ScrFolder()) / "Flame Presets";
  const fs::path Aside = fs::path(ScrFolder()) / "Flame Presets.aside";
  fs::path PerUser;

  void SetUp() override {
    TRunTest::SetUp();
    PerUser = fs::path(PerUserIniPath()).parent_path() / "Flame Presets";
  }
  void TearDown() override {
    std::error_code Ignored;
    fs::remove(Program / "ember glow.wyk", Ignored);
    fs::remove(Program / GreenFire, Ignored);
    fs::remove(Program / HearthFire, Ignored);
    fs::remove(Program / HearthFireCut, Ignored);
    fs::remove_all(PerUser, Ignored);
    if (fs::exists(Aside)) {
      fs::remove(Program, Ignored);
      fs::rename(Aside, Program, Ignored);
    }
  }

  // "/c", then a click on the first tab and Right, which goes on to "Flame
  // Styles". Sets Window to the settings window once the tab shows.
  void OpenFlameStyles(HWND& Window) {
    Start(L"/c");
    Window = Scr->WaitForWindow(L"#32770", kStartDeadlineMs);
    ASSERT_NE(Window, nullptr);
    ASSERT_TRUE(WaitUntil(5000, [&] {
      SetForegroundWindow(Window);
      return GetForegroundWindow() == Window;
    }));
    RECT Pages;
    GetWindowRect(Control(Window, IDC_PAGES), &Pages);
    MoveCursorTo(Pages.left + 20, Pages.top + 10);
    ClickLeft();
    PressKey(VK_RIGHT);
    const HWND Draw = Control(Window, IDC_DRAW);
    ASSERT_NE(Draw, nullptr);
    ASSERT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(Draw) != FALSE; })) << "the Flame Styles tab is not shown";
  }

  static void ClickOn(HWND Control) {
    RECT r;
    GetWindowRect(Control, &r);
    MoveCursorTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ClickLeft();
  }

  // "Wind direction": a click on its track gives it the focus, then Home or
  // End moves it to the other end from where it was. Returns the new wind.
  static int FlipWind(HWND Window) {
    const HWND Wind = Control(Window, IDC_WIND);
    const LRESULT Before = SendMessageW(Wind, TBM_GETPOS, 0, 0);
    RECT Track;
    GetWindowRect(Wind, &Track);
    // The thumb's own spot moves nothing; a click beside it pages one step.
    MoveCursorTo(Before > 0 ? Track.left + 6 : Track.right - 6, (Track.top + Track.bottom) / 2);
    ClickLeft();
    const int After = Before > 0 ? -1 : 1;
    PressKey(After > 0 ? VK_END : VK_HOME);
    EXPECT_TRUE(WaitUntil(5000, [&] { return SendMessageW(Wind, TBM_GETPOS, 0, 0) == After; }));
    return After;
  }

  // Presses "Save" once it is enabled.
  static void PressSave(HWND Window) {
    const HWND Save = Control(Window, IDC_SAVE);
    ASSERT_TRUE(WaitUntil(5000, [&] { return IsWindowEnabled(Save) != FALSE; })) << "Save is not enabled";
    ClickOn(Save);
  }

  static std::wstring ChosenStyle(HWND Window) {
    const HWND List = Control(Window, IDC_CURRENTPRESET);
    const LRESULT Index = SendMessageW(List, CB_GETCURSEL, 0, 0);
    if (Index == CB_ERR) return L"";
    std::wstring Text(size_t(SendMessageW(List, CB_GETLBTEXTLEN, WPARAM(Index), 0)) + 1, L'\0');
    Text.resize(size_t(SendMessageW(List, CB_GETLBTEXT, WPARAM(Index), reinterpret_cast<LPARAM>(Text.data()))));
    return Text;
  }

  static std::optional<TFlamePreset> ReadStyle(const fs::path& File) {
    std::string Name;
    TFlamePreset Style;
    if (!PathToUtf8(File, Name) || !ReadPresetFile(Name, Style)) return std::nullopt;
    return Style;
  }

  // OK: Enter on the settings window, or a click on the button where the
  // focus rests on a control that keeps Enter (a button that a click just
  // disabled); the process must end.
  void PressOk(HWND Window, bool Click = false) {
    ASSERT_TRUE(WaitUntil(5000, [&] {
      SetForegroundWindow(Window);
      return GetForegroundWindow() == Window;
    }));
    if (Click)
      ClickOn(Control(Window, IDOK));
    else
      PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForEnd().has_value()) << "still running after OK";
  }

  // Everything a user does, from "/c" up to OK.
  void EditAndSaveAs() {
    HWND Window = nullptr;
    OpenFlameStyles(Window);
    if (HasFatalFailure()) return;
    const HWND Draw = Control(Window, IDC_DRAW);

    RECT Client;
    GetClientRect(Draw, &Client);
    const auto At = [&](int X, int Y) {
      POINT p{X * Client.right / CurveImageWidth + Client.right / (2 * CurveImageWidth),
              Y * Client.bottom / CurveImageHeight + Client.bottom / (2 * CurveImageHeight)};
      ClientToScreen(Draw, &p);
      return p;
    };
    const POINT From = At(20, 10), Middle = At(110, 10), To = At(200, 10);
    MoveCursorTo(From.x, From.y);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    MoveCursorTo(Middle.x, Middle.y);
    MoveCursorTo(To.x, To.y);
    Mouse(MOUSEEVENTF_LEFTUP);

    // "Flame intensity": a click on its track gives it the focus, Home and
    // three steps right make it 4.
    const HWND Intensity = Control(Window, IDC_SPLEN);
    RECT Track;
    GetWindowRect(Intensity, &Track);
    MoveCursorTo(Track.left + 6, (Track.top + Track.bottom) / 2);
    ClickLeft();
    PressKey(VK_HOME);
    for (int i = 0; i < 3; ++i) PressKey(VK_RIGHT);
    ASSERT_TRUE(WaitUntil(5000, [&] { return SendMessageW(Intensity, TBM_GETPOS, 0, 0) == 4; }));

    RECT SaveAs;
    GetWindowRect(Control(Window, IDC_SAVEAS), &SaveAs);
    MoveCursorTo((SaveAs.left + SaveAs.right) / 2, (SaveAs.top + SaveAs.bottom) / 2);
    ClickLeft();
    HWND Ask = nullptr;
    ASSERT_TRUE(WaitUntil(10000, [&] {
      Ask = FindWindowW(nullptr, L"Emberdell - New Flame Style");
      return Ask != nullptr && GetForegroundWindow() == Ask;
    })) << "no name dialog";
    for (const char* c = "ember glow"; *c; ++c) PressKey(*c == ' ' ? VK_SPACE : WORD(*c - 'a' + 'A'));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil(10000, [&] { return !IsWindow(Ask); }));

    PressOk(Window);
  }

  void ExpectStyle(const fs::path& File) {
    TFlamePreset Saved;
    ASSERT_TRUE(ReadPresetFile(File.string(), Saved)) << File;
    EXPECT_EQ(PresetName(Saved), "ember glow");
    EXPECT_EQ(Saved.FlameIntensity, 4);
    EXPECT_EQ(Saved.SpiresLength, 4);
    for (int t : {40, 110, 180}) {
      EXPECT_EQ(Saved.Red[t], 20) << t;
      EXPECT_EQ(Saved.Green[t], 20) << t;
      EXPECT_EQ(Saved.Blue[t], 20) << t;
    }
    // Not ticked, so not among the styles a run picks from.
    const auto Active = Settings.Get(L"Active Presets");
    ASSERT_TRUE(Active.has_value());
    EXPECT_EQ(Active->find(L"ember glow"), std::wstring::npos);
  }
};

}  // namespace

TEST_F(StyleEditorRun, ASavedStyleLandsBesideTheDeliveredOnes) {
  EditAndSaveAs();
  ExpectStyle(Program / "ember glow.wyk");
  EXPECT_TRUE(fs::exists(Program / "(Default) Wood.wyk"));
  EXPECT_FALSE(fs::exists(PerUser / "ember glow.wyk"));
}

TEST_F(StyleEditorRun, AProgramFolderThatCannotBeWrittenSavesForTheUser) {
  // A file where the style folder should be: nothing can be created there,
  // whoever runs the test.
  fs::rename(Program, Aside);
  std::ofstream(Program) << "not a folder";
  EditAndSaveAs();
  ExpectStyle(PerUser / "ember glow.wyk");
  EXPECT_TRUE(fs::is_regular_file(Program));
}

TEST_F(StyleEditorRun, AStyleOfTheOlderVersionWithAnAnsiNameSavesUnderItsName) {
  // Stored as the older version stores names: "Grün Feuer" in Windows-1252,
  // 0xFC for the u with diaeresis. It is the only active style, so the
  // window opens on it.
  TFlamePreset Old;
  std::memset(&Old, 0, sizeof Old);
  MakeRandomPreset(Old);
  Old.Wind = 0;
  Old.NameLength = 10;
  std::memcpy(Old.NameChars, "Gr\xFCn Feuer", 10);
  std::ofstream(Program / GreenFire, std::ios::binary).write(reinterpret_cast<const char*>(&Old), sizeof Old);
  const std::u16string Active = Utf8ToUtf16Lossy(ListToDelimitedText({"Gr\xC3\xBCn Feuer"}));
  ASSERT_TRUE(Settings.Set(L"Active Presets", std::wstring(Active.begin(), Active.end()).c_str()));

  HWND Window = nullptr;
  OpenFlameStyles(Window);
  if (HasFatalFailure()) return;
  EXPECT_EQ(ChosenStyle(Window), L"Gr\u00FCn Feuer");
  const int Wind = FlipWind(Window);
  PressSave(Window);
  ASSERT_TRUE(WaitUntil(10000, [&] {
    const auto Saved = ReadStyle(Program / GreenFire);
    return !Running() || (Saved && Saved->Wind == Wind);
  }));
  ASSERT_TRUE(Running()) << "the settings window ended on Save";
  const auto Saved = ReadStyle(Program / GreenFire);
  ASSERT_TRUE(Saved.has_value());
  EXPECT_EQ(Saved->Wind, Wind);
  EXPECT_EQ(ChosenStyle(Window), L"Gr\u00FCn Feuer");
  PressOk(Window, true);
}

TEST_F(StyleEditorRun, SaveAfterSaveAsOfALongCyrillicNameWritesThatStyle) {
  HWND Window = nullptr;
  OpenFlameStyles(Window);
  if (HasFatalFailure()) return;
  ClickOn(Control(Window, IDC_SAVEAS));
  HWND Ask = nullptr;
  ASSERT_TRUE(WaitUntil(10000, [&] {
    Ask = FindWindowW(nullptr, L"Emberdell - New Flame Style");
    return Ask != nullptr && GetForegroundWindow() == Ask;
  })) << "no name dialog";
  TypeText(HearthFire.substr(0, HearthFire.size() - 4));
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil(10000, [&] { return !IsWindow(Ask); }));
  ASSERT_TRUE(WaitUntil(5000, [&] { return ReadStyle(Program / HearthFire).has_value(); })) << "Save As wrote nothing";

  ASSERT_TRUE(WaitUntil(5000, [&] {
    SetForegroundWindow(Window);
    return GetForegroundWindow() == Window;
  }));
  const int Wind = FlipWind(Window);
  PressSave(Window);
  EXPECT_TRUE(WaitUntil(10000, [&] {
    const auto Saved = ReadStyle(Program / HearthFire);
    return Saved && Saved->Wind == Wind;
  })) << "the chosen style did not get the edit";
  EXPECT_FALSE(fs::exists(Program / HearthFireCut));
  PressOk(Window, true);
  EXPECT_FALSE(fs::exists(Program / HearthFireCut));
}

}  // namespace emberdell::test

namespace emberdell::test {

// "Save" onto a full disk. Run by tests/win32/faults/full_disk.sh, which
// mounts a full tmpfs as the per-user style folder with "Full Disk.wyk" in
// it (a per-user style is saved where it is); skipped on its own.
TEST_F(StyleEditorRun, ASaveOntoAFullDiskIsReportedAndKeepsTheOldStyle) {
  if (GetEnvironmentVariableW(L"EMBERDELL_FULL_STYLE_FOLDER", nullptr, 0) == 0)
    GTEST_SKIP() << "only inside the full-disk fault run";
  const fs::path File = PerUser / L"Full Disk.wyk";
  const auto Before = ReadWholeFile(File.wstring());
  ASSERT_TRUE(Before.has_value()) << "the fault run put no style there";
  ASSERT_TRUE(Settings.Set(L"Active Presets", L"~Full Disk~"));

  HWND Window = nullptr;
  OpenFlameStyles(Window);
  if (HasFatalFailure()) return;
  EXPECT_EQ(ChosenStyle(Window), L"Full Disk");
  FlipWind(Window);
  PressSave(Window);
  // The run-time error message in the application's error box.
  HWND Box = nullptr;
  std::string Seen;
  ASSERT_TRUE(WaitUntil(10000, [&] {
    Seen.clear();
    for (HWND W : Scr->Windows(L"#32770")) {
      if (W == Window) continue;
      // The box's text is its static control; its id differs between systems.
      for (HWND Child = GetWindow(W, GW_CHILD); Child != nullptr; Child = GetWindow(Child, GW_HWNDNEXT)) {
        wchar_t Text[64] = L"";
        if (GetWindowTextW(Child, Text, 64) == 0) continue;
        if (std::wstring(Text) == L"Disk full") Box = W;
        Seen += " \"" + Utf16ToUtf8Lossy(std::u16string(Text, Text + wcslen(Text))) + "\"";
      }
    }
    return Box != nullptr;
  })) << "no \"Disk full\" message; the messages up:" << Seen;
  PostMessageW(Box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil(10000, [&] { return !IsWindow(Box); }));
  EXPECT_EQ(ReadWholeFile(File.wstring()), Before) << "the old style was not kept whole";
  std::error_code Ignored;
  for (const auto& Entry : fs::directory_iterator(PerUser, Ignored)) {
    const std::wstring Name = Entry.path().filename().wstring();
    EXPECT_TRUE(Name == L"Full Disk.wyk" || Name == L"filler") << "left behind: " << Entry.path().string();
  }
  // Closing asks about the edit that could not be saved; No drops it.
  ASSERT_TRUE(WaitUntil(5000, [&] {
    SetForegroundWindow(Window);
    return GetForegroundWindow() == Window;
  }));
  PostMessageW(Window, WM_COMMAND, IDOK, 0);
  HWND Question = nullptr;
  ASSERT_TRUE(WaitUntil(10000, [&] { return (Question = FindWindowW(L"#32770", L"Warning")) != nullptr; }))
      << "no question about the unsaved edit";
  PostMessageW(Question, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(WaitForEnd().has_value()) << "still running after OK";
  EXPECT_EQ(ReadWholeFile(File.wstring()), Before);
}

}  // namespace emberdell::test
