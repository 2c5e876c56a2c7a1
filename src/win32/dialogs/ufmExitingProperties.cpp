#include "win32/dialogs/ufmExitingProperties.h"

#include <commctrl.h>

#include "core/dialogs/uDialogSettings.h"
#include "core/host/uGlobals.h"
#include "dialogs/DialogsIds.h"
#include "win32/dialogs/uAlphaPaintBoxes.h"
#include "win32/dialogs/uPropertiesDialogs.h"
#include "win32/host/uWinText.h"

namespace emberdell {

TfmExitingProperties::TfmExitingProperties(HINSTANCE Instance) : FInstance(Instance) {}

TfmExitingProperties::~TfmExitingProperties() = default;

void TfmExitingProperties::Execute(HWND Owner) {
  INITCOMMONCONTROLSEX Controls{sizeof Controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&Controls);
  ShowModal(FInstance, MAKEINTRESOURCEW(IDD_EXITINGPROPERTIES), Owner);
}

INT_PTR TfmExitingProperties::DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_INITDIALOG:
      FormCreate();
      FormShow();
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(WParam) != BN_CLICKED) return FALSE;
      switch (LOWORD(WParam)) {
        case IDOK: btnOkClick(); return TRUE;
        case IDCANCEL: EndDialog(Window, IDCANCEL); return TRUE;  // the Cancel button and Esc
        case IDC_EXIT_CBALLOWFADEOUT: cbAllowFadeoutClick(); return TRUE;
      }
      return FALSE;
    case WM_HSCROLL:
      if (GetDlgCtrlID(reinterpret_cast<HWND>(LParam)) == IDC_EXIT_TBFADEOUT) tbFadeoutChange();
      return TRUE;
    case WM_CLOSE:
      EndDialog(Window, IDCANCEL);
      return TRUE;
    case WM_LBUTTONDOWN:
      // The labels, the group box and the icon let the press through to here.
      MouseDownToEasyMove(Window);
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      const int Id = GetDlgCtrlID(reinterpret_cast<HWND>(LParam));
      if (Id != IDC_EXIT_LBFADEOUT300 && Id != IDC_EXIT_LBFADEOUT1500) return FALSE;
      const HDC Dc = reinterpret_cast<HDC>(WParam);
      const bool On = IsDlgButtonChecked(Window, IDC_EXIT_CBALLOWFADEOUT) == BST_CHECKED;
      SetTextColor(Dc, GetSysColor(On ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
      SetBkColor(Dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DRAWITEM:
      return AlphaPaintBoxPaint(*reinterpret_cast<const DRAWITEMSTRUCT*>(LParam));
    case WM_DESTROY:
      FreeAlphaPaintBoxes(TAlphaForm::ExitingProperties, Window);
      return FALSE;
  }
  return FALSE;
}

void TfmExitingProperties::FormCreate() {
  SetupAlphaPaintBoxes(TAlphaForm::ExitingProperties, FHandle, FInstance);
  SetWindowLongPtrW(FHandle, GWL_EXSTYLE, GetWindowLongPtrW(FHandle, GWL_EXSTYLE) | WS_EX_APPWINDOW);
  const HWND Slider = GetDlgItem(FHandle, IDC_EXIT_TBFADEOUT);
  SendMessageW(Slider, TBM_SETRANGE, FALSE, MAKELPARAM(FadeoutPositionMin, FadeoutPositionMax));
  SendMessageW(Slider, TBM_SETPAGESIZE, 0, 1);
  SendMessageW(Slider, TBM_SETTICFREQ, 1, 0);
  TDialogHints Hints(FHandle, FInstance);
  Hints.Add(IDOK, L"Apply changes and close window");
  Hints.Add(IDCANCEL, L"Cancel changes and close window");
  Hints.Add(IDC_EXIT_CBALLOWFADEOUT, L"Uncheck to quick exiting without flame fade out");
  Hints.Add(IDC_EXIT_TBFADEOUT, L"Fade out duration");
  Hints.Add(IDC_EXIT_CBIGNOREMOUSE, L"Don't exit on mouse move; exit screensaver only by key pressing");
  CentreOnPrimaryMonitor(FHandle);
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
