// The style editor inside the real settings window: "/c", the Flame Styles
// tab, a stroke on the curve image, "Flame intensity", "Save As..." and OK,
// all as mouse and key input; then the style folders are looked at.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <fstream>

#include "core/settings/uCurveEditor.h"
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
    fs::remove_all(PerUser, Ignored);
    if (fs::exists(Aside)) {
      fs::remove(Program, Ignored);
      fs::rename(Aside, Program, Ignored);
    }
  }

  // Everything a user does, from "/c" up to OK.
  void EditAndSaveAs() {
    Start(L"/c");
    const HWND Window = Scr->WaitForWindow(L"#32770", kStartDeadlineMs);
    ASSERT_NE(Window, nullptr);
    ASSERT_TRUE(WaitUntil(5000, [&] {
      SetForegroundWindow(Window);
      return GetForegroundWindow() == Window;
    }));
    // The first tab has the focus after a click on it; Right goes on to
    // "Flame Styles".
    RECT Pages;
    GetWindowRect(Control(Window, IDC_PAGES), &Pages);
    MoveCursorTo(Pages.left + 20, Pages.top + 10);
    ClickLeft();
    PressKey(VK_RIGHT);
    const HWND Draw = Control(Window, IDC_DRAW);
    ASSERT_NE(Draw, nullptr);
    ASSERT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(Draw) != FALSE; })) << "the Flame Styles tab is not shown";

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

    // OK: Enter on the settings window.
    ASSERT_TRUE(WaitUntil(5000, [&] {
      SetForegroundWindow(Window);
      return GetForegroundWindow() == Window;
    }));
    PressKey(VK_RETURN);
    const auto Code = WaitForEnd();
    ASSERT_TRUE(Code.has_value()) << "still running after OK";
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

}  // namespace emberdell::test
