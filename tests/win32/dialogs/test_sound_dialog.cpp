// The sound dialog as a user meets it: opened with "Sound Properties..." on
// the settings window's Settings tab, its ticks and sliders worked with the
// mouse and keys; OK stores them, Cancel does not, and the settings file has
// them once the settings window closes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "dialogs/DialogsIds.h"
#include "settings/SettingsIds.h"
#include "tests/win32/dialogs/properties_dialog.h"

namespace emberdell::test {
namespace {

constexpr wchar_t kCaption[] = L"Emberdell Sound Properties";

bool SoundExpected() {
  const char* Value = std::getenv("EMBERDELL_EXPECT_SOUND");
  return Value != nullptr && std::strcmp(Value, "1") == 0;
}

// Pixels of a label in its option's colour: the normal text colour when
// ticked, the grey text colour when not.
int PixelsOf(HWND Label, COLORREF Colour) {
  RECT R;
  GetWindowRect(Label, &R);
  const TScreenGrab Grab(R);
  int Count = 0;
  for (int y = R.top; Grab.Valid() && y < R.bottom; ++y)
    for (int x = R.left; x < R.right; ++x) Count += Grab.At(x, y) == Colour;
  return Count;
}

class SoundDialog : public TPropertiesDialogTest {};

TEST_F(SoundDialog, TicksSlidersAndTestReachTheSettingsOnlyOnOk) {
  ASSERT_TRUE(Settings.Set(L"Play Fire Sound", 1));
  ASSERT_TRUE(Settings.Set(L"Fire Volume", 75));  // between steps: the step below
  ASSERT_TRUE(Settings.Set(L"Play Chimes Sound", 1));
  ASSERT_TRUE(Settings.Set(L"Chimes Volume", 250));  // beyond the end: 100 %
  OpenSettings();
  HWND Dialog = OpenDialog(IDC_SOUND, kCaption);
  ASSERT_NE(Dialog, nullptr) << "no sound dialog";
  ExpectSettingsDialog(Dialog, kCaption, 370, 324, IDC_SND_PBSOUND);

  const auto Item = [&](int Id) { return GetDlgItem(Dialog, Id); };
  const HWND Fire = Item(IDC_SND_CBPLAYFIRESOUND), FireSlider = Item(IDC_SND_TBFIREVOLUME),
             TestFire = Item(IDC_SND_BTNTESTFIRE);
  const HWND Chimes = Item(IDC_SND_CBPLAYCHIMESSOUND), ChimesSlider = Item(IDC_SND_TBCHIMESVOLUME),
             TestChimes = Item(IDC_SND_BTNTESTCHIMES);
  EXPECT_EQ(TextOf(Fire), L"Play background flame sound. Volume: 70%");
  EXPECT_EQ(TextOf(Chimes), L"Play background chimes sound. Volume: 100%");
  EXPECT_EQ(TextOf(TestFire), L"Test");
  EXPECT_EQ(SendMessageW(FireSlider, TBM_GETRANGEMAX, 0, 0), 10);

  const bool FireDevice = IsWindowEnabled(Fire) != FALSE;
  if (SoundExpected()) {
    ASSERT_TRUE(FireDevice) << "no fire sound although a sound server is running";
  }
  // Without a MIDI synthesiser (Wine usually has none) the chimes option is
  // unticked and nothing of it can be used.
  const bool ChimesDevice = IsWindowEnabled(Chimes) != FALSE;
  EXPECT_EQ(SendMessageW(Chimes, BM_GETCHECK, 0, 0), ChimesDevice ? BST_CHECKED : BST_UNCHECKED);
  EXPECT_EQ(IsWindowEnabled(ChimesSlider) != FALSE, ChimesDevice);
  EXPECT_EQ(IsWindowEnabled(TestChimes) != FALSE, ChimesDevice);
  if (!FireDevice) GTEST_SKIP() << "no sound device on this machine";

  // The fire slider: Home is 0 %, three steps right 30 %.
  FocusSlider(FireSlider);
  PressKey(VK_HOME);
  EXPECT_TRUE(WaitForText(Fire, L"Play background flame sound. Volume: 0%"));
  for (int i = 0; i < 3; ++i) PressKey(VK_RIGHT);
  EXPECT_TRUE(WaitForText(Fire, L"Play background flame sound. Volume: 30%"));

  // Test turns into Stop while it plays; unticking stops it and greys the
  // end labels.
  const HWND Fire0 = Item(IDC_SND_LBFIRE0);
  EXPECT_GT(PixelsOf(Fire0, GetSysColor(COLOR_WINDOWTEXT)), 0);
  Click(TestFire);
  EXPECT_TRUE(WaitForText(TestFire, L"Stop"));
  Click(Fire);
  EXPECT_TRUE(WaitForText(TestFire, L"Test"));
  EXPECT_FALSE(IsWindowEnabled(TestFire));
  EXPECT_FALSE(IsWindowEnabled(FireSlider));
  EXPECT_TRUE(WaitUntil(5000, [&] {
    return PixelsOf(Fire0, GetSysColor(COLOR_GRAYTEXT)) > 0 && PixelsOf(Fire0, GetSysColor(COLOR_WINDOWTEXT)) == 0;
  })) << "the end label of an unticked option is not grey";
  Click(Fire);
  EXPECT_TRUE(IsWindowEnabled(TestFire));
  if (ChimesDevice) {
    FocusSlider(ChimesSlider);
    PressKey(VK_HOME);
    EXPECT_TRUE(WaitForText(Chimes, L"Play background chimes sound. Volume: 0%"));
  }
  // OK while a test plays: it is stored, and the test ends.
  Click(TestFire);
  EXPECT_TRUE(WaitForText(TestFire, L"Stop"));
  Click(Item(IDOK));
  ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindow(Dialog); })) << "OK did not close the dialog";

  // Shown again, it starts from what OK stored; Cancel keeps none of the
  // changes.
  Dialog = OpenDialog(IDC_SOUND, kCaption);
  ASSERT_NE(Dialog, nullptr) << "no sound dialog the second time";
  EXPECT_EQ(TextOf(GetDlgItem(Dialog, IDC_SND_CBPLAYFIRESOUND)), L"Play background flame sound. Volume: 30%");
  EXPECT_EQ(TextOf(GetDlgItem(Dialog, IDC_SND_BTNTESTFIRE)), L"Test") << "a test outlived the dialog";
  FocusSlider(GetDlgItem(Dialog, IDC_SND_TBFIREVOLUME));
  PressKey(VK_END);
  EXPECT_TRUE(WaitForText(GetDlgItem(Dialog, IDC_SND_CBPLAYFIRESOUND), L"Play background flame sound. Volume: 100%"));
  Click(GetDlgItem(Dialog, IDC_SND_CBPLAYFIRESOUND));
  Click(GetDlgItem(Dialog, IDCANCEL));
  ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindow(Dialog); })) << "Cancel did not close the dialog";

  CloseSettings();
  EXPECT_EQ(Settings.Get(L"Play Fire Sound"), L"1");
  EXPECT_EQ(Settings.Get(L"Fire Volume"), L"30");
  EXPECT_EQ(Settings.Get(L"Play Chimes Sound"), ChimesDevice ? L"1" : L"0");
  EXPECT_EQ(Settings.Get(L"Chimes Volume"), ChimesDevice ? L"0" : L"100");
}

}  // namespace
}  // namespace emberdell::test
