// What the sound and exiting dialogs share as settings dialogs: their place
// in the middle of the primary monitor, their icon box, their sliders, their
// hints, and the messages each of them answers alike.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "win32/dialogs/uAlphaPaintBoxes.h"
#include "win32/host/uHints.h"
#include "win32/host/uWindow.h"

namespace emberdell {

// Puts Form's centre on the centre of the primary monitor (the whole
// monitor, not its work area, as every settings dialog sits).
void CentreOnPrimaryMonitor(HWND Form);

// A slider of the positions Min to Max with a tick at each, which the arrow
// and page keys move by one position.
void SetupSlider(HWND Slider, int Min, int Max);

// The colours of a label that belongs to an option: grey text while the
// option is off. Returns the brush of the dialog's face beneath it.
HBRUSH OptionLabelColour(HDC Dc, bool On);

// A settings dialog TForm made from the template Template. The form derives
// from TPropertiesDialog<TForm> and has
//   void FormCreate();  void FormShow();  void btnOkClick();  void btnCancelClick();
//   bool Click(int Id);  void SliderChange(int Id);  int LabelOption(int Id) const;
// The dialog runs FormCreate then FormShow as it opens, btnOkClick for OK,
// btnCancelClick for Cancel, Esc and the close box, Click for any other
// button (false when it is none of the form's), SliderChange when a slider
// moves, moves itself on a press on its background and draws its icon box.
// A label for which LabelOption names a check box (0 for none) is grey while
// that box is clear.
template <class TForm>
class TPropertiesDialog : public TDialog<TForm> {
 public:
  // Shows the dialog modally over Owner, from the current settings.
  void Execute(HWND Owner) {
    INITCOMMONCONTROLSEX Controls{sizeof Controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&Controls);
    this->ShowModal(FInstance, FTemplate, Owner);
  }

 protected:
  TPropertiesDialog(HINSTANCE Instance, const wchar_t* Template, TAlphaForm Icons)
      : FInstance(Instance), FTemplate(Template), FIcons(Icons) {}
  ~TPropertiesDialog() = default;

  HINSTANCE FInstance;
  // From the dialog's opening on; the form adds the hints of its own
  // controls in FormCreate.
  THints FHints;

 private:
  friend class TDialog<TForm>;

  INT_PTR DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
    TForm& Form = static_cast<TForm&>(*this);
    switch (Message) {
      case WM_INITDIALOG:
        SetupAlphaPaintBoxes(FIcons, Window, FInstance);
        // Its own taskbar button, though the settings window owns it.
        SetWindowLongPtrW(Window, GWL_EXSTYLE, GetWindowLongPtrW(Window, GWL_EXSTYLE) | WS_EX_APPWINDOW);
        FHints.Create(Window, FInstance);
        FHints.Add(Window, {{IDOK, L"Apply changes and close window"}, {IDCANCEL, L"Cancel changes and close window"}});
        Form.FormCreate();
        CentreOnPrimaryMonitor(Window);
        Form.FormShow();
        return TRUE;
      case WM_COMMAND:
        if (HIWORD(WParam) != BN_CLICKED) break;
        if (LOWORD(WParam) == IDOK) {
          Form.btnOkClick();
          return TRUE;
        }
        if (LOWORD(WParam) == IDCANCEL) {  // the Cancel button and Esc
          Form.btnCancelClick();
          return TRUE;
        }
        return Form.Click(LOWORD(WParam));
      case WM_HSCROLL:
        Form.SliderChange(GetDlgCtrlID(reinterpret_cast<HWND>(LParam)));
        return TRUE;
      case WM_CTLCOLORSTATIC: {
        const int Option = Form.LabelOption(GetDlgCtrlID(reinterpret_cast<HWND>(LParam)));
        if (Option == 0) return FALSE;
        const bool On = IsDlgButtonChecked(Window, Option) == BST_CHECKED;
        return reinterpret_cast<INT_PTR>(OptionLabelColour(reinterpret_cast<HDC>(WParam), On));
      }
      case WM_CLOSE:
        Form.btnCancelClick();
        return TRUE;
      case WM_LBUTTONDOWN:
        // The labels, the group box and the icon let the press through to here.
        MouseDownToEasyMove(Window);
        return TRUE;
      case WM_DRAWITEM:
        return AlphaPaintBoxPaint(*reinterpret_cast<const DRAWITEMSTRUCT*>(LParam));
      case WM_DESTROY:
        FreeAlphaPaintBoxes(FIcons, Window);
        return FALSE;
    }
    return FALSE;
  }

  const wchar_t* FTemplate;
  TAlphaForm FIcons;
};

}  // namespace emberdell
