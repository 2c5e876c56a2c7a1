// The stage for the sound and exiting dialogs: the settings window of "/c",
// its Settings tab, and a dialog opened from one of that tab's buttons as a
// user opens it.
#pragma once

#include <windows.h>

#include <string>

#include "tests/win32/harness/scr_run.h"

namespace emberdell::test {

std::wstring TextOf(HWND Window);

class TPropertiesDialogTest : public TRunTest {
 protected:
  HWND Window = nullptr;  // the settings window

  // Starts "/c" and brings the settings window to the front.
  void OpenSettings();
  // Shows the Settings tab, presses the button Id and waits for the dialog
  // with Caption in front of the user; nullptr after a failure.
  HWND OpenDialog(int ButtonId, const wchar_t* Caption);
  // A click in the middle of a control, then the double-click time, so two
  // clicks on one spot stay two clicks.
  void Click(HWND Control);
  // A click on a slider's track near its left end gives it the focus.
  void FocusSlider(HWND Slider);
  // Waits for Control's text to become Text.
  bool WaitForText(HWND Control, const std::wstring& Text);
  // Esc on the settings window: it writes the settings file and the program
  // ends.
  void CloseSettings();
  // What every settings dialog looks like: its caption, a tool window with
  // only the system menu and a taskbar button of its own, centred on the
  // primary monitor, about Width x Height client pixels at 96 DPI, and the
  // icon box PaintBoxId showing an icon blended over the dialog's face.
  void ExpectSettingsDialog(HWND Dialog, const wchar_t* Caption, int Width, int Height, int PaintBoxId);
};

}  // namespace emberdell::test
