#include "win32/dialogs/uPropertiesDialogs.h"

namespace emberdell {

void CentreOnPrimaryMonitor(HWND Form) {
  RECT Frame;
  if (!GetWindowRect(Form, &Frame)) return;
  const int Width = Frame.right - Frame.left, Height = Frame.bottom - Frame.top;
  // The primary monitor always has its top left corner at the origin.
  const int X = (GetSystemMetrics(SM_CXSCREEN) - Width) / 2, Y = (GetSystemMetrics(SM_CYSCREEN) - Height) / 2;
  SetWindowPos(Form, nullptr, X, Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetupSlider(HWND Slider, int Min, int Max) {
  SendMessageW(Slider, TBM_SETRANGE, FALSE, MAKELPARAM(Min, Max));
  SendMessageW(Slider, TBM_SETPAGESIZE, 0, 1);
  SendMessageW(Slider, TBM_SETTICFREQ, 1, 0);
}

HBRUSH OptionLabelColour(HDC Dc, bool On) {
  SetTextColor(Dc, GetSysColor(On ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  SetBkColor(Dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace emberdell
