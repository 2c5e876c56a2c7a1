// The exiting dialog as a user meets it: opened with "Screensaver Exiting..."
// on the settings window's Settings tab, worked with the mouse and keys; OK
// stores its choices, Esc leaves them, and the settings file has them once
// the settings window closes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "dialogs/DialogsIds.h"
#include "settings/SettingsIds.h"
#include "tests/win32/dialogs/properties_dialog.h"

namespace emberdell::test {
namespace {

constexpr wchar_t kCaption[] = L"Emberdell Exiting";

void Mouse(DWORD Flags) {
  INPUT In{};
  In.type = INPUT_MOUSE;
  In.mi.dwFlags = Flags;
  ASSERT_EQ(SendInput(1, &In, sizeof In), 1u);
}

class ExitingDialog : public TPropertiesDialogTest {};

TEST_F(ExitingDialog, FadeoutAndMouseRuleReachTheSettingsOnlyOnOk) {
  ASSERT_TRUE(Settings.Set(L"Allow Fadeout", 1));
  ASSERT_TRUE(Settings.Set(L"Fadeout", -5));  // read as a huge count: the longest
  ASSERT_TRUE(Settings.Set(L"Ignore Mouse Move", 0));
  OpenSettings();
  HWND Dialog = OpenDialog(IDC_EXITING, kCaption);
  ASSERT_NE(Dialog, nullptr) << "no exiting dialog";
  ExpectSettingsDialog(Dialog, kCaption, 371, 231, IDC_EXIT_PBEXITING);

  // Dragged by its text, the dialog moves as by its caption.
  RECT Before, Text;
  GetWindowRect(Dialog, &Before);
  GetWindowRect(GetDlgItem(Dialog, IDC_EXIT_LBFADEOUT), &Text);
  MoveCursorTo(Text.left + 6, Text.top + 6);
  Mouse(MOUSEEVENTF_LEFTDOWN);
  MoveCursorTo(Text.left + 26, Text.top + 16);
  MoveCursorTo(Text.left + 46, Text.top + 36);
  Mouse(MOUSEEVENTF_LEFTUP);
  RECT After{};
  EXPECT_TRUE(WaitUntil(5000, [&] {
    GetWindowRect(Dialog, &After);
    return After.left == Before.left + 40 && After.top == Before.top + 30;
  })) << "dragged by 40, 30 it moved by " << After.left - Before.left << ", " << After.top - Before.top;

  const HWND Allow = GetDlgItem(Dialog, IDC_EXIT_CBALLOWFADEOUT), Slider = GetDlgItem(Dialog, IDC_EXIT_TBFADEOUT),
             Ignore = GetDlgItem(Dialog, IDC_EXIT_CBIGNOREMOUSE);
  EXPECT_EQ(TextOf(Allow), L"Allow flame fade out on exit. Duration: 1000 ms");
  EXPECT_EQ(SendMessageW(Allow, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(Ignore, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  FocusSlider(Slider);
  PressKey(VK_HOME);
  EXPECT_TRUE(WaitForText(Allow, L"Allow flame fade out on exit. Duration: 300 ms"));
  PressKey(VK_RIGHT);
  PressKey(VK_RIGHT);
  EXPECT_TRUE(WaitForText(Allow, L"Allow flame fade out on exit. Duration: 500 ms"));
  Click(Ignore);
  Click(Allow);
  EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindowEnabled(Slider); })) << "the slider stays usable without fade-out";
  Click(GetDlgItem(Dialog, IDOK));
  ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindow(Dialog); })) << "OK did not close the dialog";

  // Shown again from what OK stored; Esc closes it and keeps no change.
  Dialog = OpenDialog(IDC_EXITING, kCaption);
  ASSERT_NE(Dialog, nullptr) << "no exiting dialog the second time";
  const HWND Allow2 = GetDlgItem(Dialog, IDC_EXIT_CBALLOWFADEOUT);
  EXPECT_EQ(TextOf(Allow2), L"Allow flame fade out on exit. Duration: 500 ms");
  EXPECT_EQ(SendMessageW(Allow2, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dialog, IDC_EXIT_TBFADEOUT)));
  EXPECT_EQ(SendMessageW(GetDlgItem(Dialog, IDC_EXIT_CBIGNOREMOUSE), BM_GETCHECK, 0, 0), BST_CHECKED);
  Click(Allow2);
  Click(GetDlgItem(Dialog, IDC_EXIT_CBIGNOREMOUSE));
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindow(Dialog); })) << "Esc did not close the dialog";

  CloseSettings();
  EXPECT_EQ(Settings.Get(L"Allow Fadeout"), L"0");
  EXPECT_EQ(Settings.Get(L"Fadeout"), L"500");
  EXPECT_EQ(Settings.Get(L"Ignore Mouse Move"), L"1");
}

}  // namespace
}  // namespace emberdell::test
