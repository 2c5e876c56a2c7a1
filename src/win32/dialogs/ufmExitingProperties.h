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
  void FormCreate();
  void FormShow();
  void btnOkClick();
  void btnCancelClick();
  void cbAllowFadeoutClick();
  void tbFadeoutChange();
  bool Click(int Id);
  void SliderChange(int Id);
  int LabelOption(int Id) const;
  int FadeoutPos() const;
};

}  // namespace emberdell
