#include "win32/settings/ufmAskPresetName.h"

#include "settings/PresetsTabIds.h"
#include "win32/host/uWinText.h"

namespace emberdell {

TfmAskPresetName::TfmAskPresetName(HINSTANCE Instance, std::function<std::string(const std::string&)> NameError)
    : FInstance(Instance), FNameError(std::move(NameError)) {}

bool TfmAskPresetName::Execute(HWND Owner, std::string& Name) {
  if (ShowModal(FInstance, MAKEINTRESOURCEW(IDD_ASKPRESETNAME), Owner) != IDOK) return false;
  Name = FName;
  return true;
}

void TfmAskPresetName::btnOkClick() {
  const HWND Edit = GetDlgItem(FHandle, IDC_NEWPRESETNAME);
  std::wstring Text(size_t(GetWindowTextLengthW(Edit)) + 1, L'\0');
  Text.resize(size_t(GetWindowTextW(Edit, Text.data(), int(Text.size()))));
  const std::string Name = ToUtf8(Text);
  const std::string Error = FNameError ? FNameError(Name) : std::string();
  if (!Error.empty()) {
    MessageBoxW(FHandle, ToWide(Error).c_str(), L"Emberdell - New Flame Style", MB_OK | MB_ICONERROR);
    SetFocus(Edit);
    SendMessageW(Edit, EM_SETSEL, 0, -1);
    return;
  }
  FName = Name;
  EndDialog(FHandle, IDOK);
}

INT_PTR TfmAskPresetName::DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM) {
  switch (Message) {
    case WM_INITDIALOG: {
      const HWND Edit = GetDlgItem(Window, IDC_NEWPRESETNAME);
      SendMessageW(Edit, EM_LIMITTEXT, 20, 0);
      SetFocus(Edit);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      switch (LOWORD(WParam)) {
        case IDOK:  // Enter
        case IDC_ASKOK: btnOkClick(); return TRUE;
        case IDC_ASKCANCEL: EndDialog(Window, IDCANCEL); return TRUE;
        case IDCANCEL: return TRUE;  // Esc does nothing here
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(Window, IDCANCEL);
      return TRUE;
    case WM_LBUTTONDOWN:
      // The background and the label move the dialog, as its caption does.
      MouseDownToEasyMove(Window);
      return TRUE;
  }
  return FALSE;
}

}  // namespace emberdell
