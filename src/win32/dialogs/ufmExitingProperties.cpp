#include "win32/dialogs/ufmExitingProperties.h"

#include <commctrl.h>

#include "core/dialogs/uExitingSettings.h"
#include "core/host/uGlobals.h"
#include "dialogs/DialogsIds.h"
#include "win32/host/uWinText.h"

namespace emberdell {

TfmExitingProperties::TfmExitingProperties(HINSTANCE Instance)
    : TPropertiesDialog(Instance, MAKEINTRESOURCEW(IDD_EXITINGPROPERTIES), TAlphaForm::ExitingProperties) {}

TfmExitingProperties::~TfmExitingProperties() = default;

bool TfmExitingProperties::Click(int Id) {
  if (Id != IDC_EXIT_CBALLOWFADEOUT) return false;
  cbAllowFadeoutClick();
  return true;
}

void TfmExitingProperties::SliderChange(int Id) {
  if (Id == IDC_EXIT_TBFADEOUT) tbFadeoutChange();
}

// The ends of the slider follow the fade-out's switch.
int TfmExitingProperties::LabelOption(int Id) const {
  return Id == IDC_EXIT_LBFADEOUT300 || Id == IDC_EXIT_LBFADEOUT1500 ? IDC_EXIT_CBALLOWFADEOUT : 0;
}

void TfmExitingProperties::FormCreate() {
  SetupSlider(GetDlgItem(FHandle, IDC_EXIT_TBFADEOUT), FadeoutPositionMin, FadeoutPositionMax);
  FHints.Add(FHandle, {{IDC_EXIT_CBALLOWFADEOUT, L"Uncheck to quick exiting without flame fade out"},
                       {IDC_EXIT_TBFADEOUT, L"Fade out duration"},
                       {IDC_EXIT_CBIGNOREMOUSE, L"Don't exit on mouse move; exit screensaver only by key pressing"}});
}

void TfmExitingProperties::FormShow() {
  const TExitingChoice Shown = ExitingChoiceFrom(Settings);
  CheckDlgButton(FHandle, IDC_EXIT_CBALLOWFADEOUT, Shown.AllowFadeout ? BST_CHECKED : BST_UNCHECKED);
  cbAllowFadeoutClick();
  CheckDlgButton(FHandle, IDC_EXIT_CBIGNOREMOUSE, Shown.IgnoreMouse ? BST_CHECKED : BST_UNCHECKED);
  SendDlgItemMessageW(FHandle, IDC_EXIT_TBFADEOUT, TBM_SETPOS, TRUE, Shown.FadeoutPos);
  tbFadeoutChange();
}

void TfmExitingProperties::btnOkClick() {
  StoreExitingChoice(Settings, {IsDlgButtonChecked(FHandle, IDC_EXIT_CBALLOWFADEOUT) == BST_CHECKED, FadeoutPos(),
                                IsDlgButtonChecked(FHandle, IDC_EXIT_CBIGNOREMOUSE) == BST_CHECKED});
  EndDialog(FHandle, IDOK);
}

void TfmExitingProperties::btnCancelClick() { EndDialog(FHandle, IDCANCEL); }

void TfmExitingProperties::cbAllowFadeoutClick() {
  const bool On = IsDlgButtonChecked(FHandle, IDC_EXIT_CBALLOWFADEOUT) == BST_CHECKED;
  EnableWindow(GetDlgItem(FHandle, IDC_EXIT_TBFADEOUT), On);
  InvalidateRect(GetDlgItem(FHandle, IDC_EXIT_LBFADEOUT300), nullptr, TRUE);
  InvalidateRect(GetDlgItem(FHandle, IDC_EXIT_LBFADEOUT1500), nullptr, TRUE);
}

void TfmExitingProperties::tbFadeoutChange() {
  SetDlgItemTextW(FHandle, IDC_EXIT_CBALLOWFADEOUT, ToWide(FadeoutCaption(FadeoutPos())).c_str());
}

int TfmExitingProperties::FadeoutPos() const {
  return static_cast<int>(SendDlgItemMessageW(FHandle, IDC_EXIT_TBFADEOUT, TBM_GETPOS, 0, 0));
}

}  // namespace emberdell
