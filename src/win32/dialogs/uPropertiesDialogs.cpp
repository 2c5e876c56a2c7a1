#include "win32/dialogs/uPropertiesDialogs.h"

#include <commctrl.h>

namespace emberdell {

void CentreOnPrimaryMonitor(HWND Form) {
  RECT Frame;
  if (!GetWindowRect(Form, &Frame)) return;
  const int Width = Frame.right - Frame.left, Height = Frame.bottom - Frame.top;
  // The primary monitor always has its top left corner at the origin.
  const int X = (GetSystemMetrics(SM_CXSCREEN) - Width) / 2, Y = (GetSystemMetrics(SM_CYSCREEN) - Height) / 2;
  SetWindowPos(Form, nullptr, X, Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TDialogHints::TDialogHints(HWND Form, HINSTANCE Instance)
    : FForm(Form),
      FTips(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Form, nullptr, Instance, nullptr)) {}

void TDialogHints::Add(int Id, const wchar_t* Text) {
  const HWND Control = GetDlgItem(FForm, Id);
  if (FTips == nullptr || Control == nullptr) return;
  TTTOOLINFOW Tool{};
  Tool.cbSize = sizeof Tool;
  Tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  Tool.hwnd = FForm;
  Tool.uId = reinterpret_cast<UINT_PTR>(Control);
  Tool.lpszText = const_cast<wchar_t*>(Text);
  SendMessageW(FTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&Tool));
}

}  // namespace emberdell
