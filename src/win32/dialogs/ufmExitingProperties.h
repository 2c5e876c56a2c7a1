// TfmExitingProperties: the fade-out on exit and the mouse rule.
#pragma once

#include <windows.h>

#include "win32/dialogs/uPropertiesDialogs.h"

namespace emberdell {

class TfmExitingProperties : public TPropertiesDialog<TfmExitingProperties> {
 public:
  explicit TfmExitingProperties(HINSTANCE Instance);
  ~TfmExitingProperties();

  friend class TPropertiesDialog<TfmExitingProperties>;

 private:
  INT_PTR FormMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

  void FormCreate();
  void FormShow();
  void btnOkClick();
  void btnCancelClick();
  void cbAllowFadeoutClick();
  void tbFadeoutChange();
  int FadeoutPos() const;
};

}  // namespace emberdell
