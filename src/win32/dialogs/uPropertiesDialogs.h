// What the sound and exiting dialogs share as settings dialogs: their place
// in the middle of the primary monitor and their hints.
#pragma once

#include <windows.h>

namespace emberdell {

// Puts Form's centre on the centre of the primary monitor (the whole
// monitor, not its work area, as every settings dialog sits).
void CentreOnPrimaryMonitor(HWND Form);

// The hints of one dialog: a tooltip window owned by the form, so it goes
// with it.
class TDialogHints {
 public:
  TDialogHints(HWND Form, HINSTANCE Instance);
  void Add(int Id, const wchar_t* Text);

 private:
  HWND FForm;
  HWND FTips;
};

}  // namespace emberdell
