// TfmExitingProperties: the fade-out on exit and the mouse rule.
#pragma once

#include <windows.h>

#include "win32/host/uWindow.h"

namespace emberdell {

class TfmExitingProperties : public TDialog<TfmExitingProperties> {
 public:
  explicit TfmExitingProperties(HINSTANCE Instance);
  ~TfmExitingProperties();
  // Shows the dialog modally over Owner, from the current settings.
  void Execute(HWND Owner);

  friend class TDialog<TfmExitingProperties>;

 private:
  INT_PTR DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

  void FormCreate();
  void FormShow();
  void btnOkClick();
  void cbAllowFadeoutClick();
  void tbFadeoutChange();
  int FadeoutPos() const;

  HINSTANCE FInstance;
};

}  // namespace emberdell
