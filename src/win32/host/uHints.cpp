#include "win32/host/uHints.h"

#include <commctrl.h>

namespace emberdell {

void THints::Create(HWND Form, HINSTANCE Instance, bool Topmost, int MaxTipWidth) {
  FForm = Form;
  FTips = CreateWindowExW(Topmost ? WS_EX_TOPMOST : 0, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, Form, nullptr, Instance, nullptr);
  if (FTips != nullptr && MaxTipWidth > 0) SendMessageW(FTips, TTM_SETMAXTIPWIDTH, 0, MaxTipWidth);
}

void THints::Add(HWND Control, const wchar_t* Text) {
  if (FTips == nullptr || Control == nullptr) return;
  TTTOOLINFOW Tool{};
  Tool.cbSize = sizeof Tool;
  Tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  Tool.hwnd = FForm;
  Tool.uId = reinterpret_cast<UINT_PTR>(Control);
  Tool.lpszText = const_cast<wchar_t*>(Text);
  SendMessageW(FTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&Tool));
}

void THints::Add(HWND Parent, std::initializer_list<THint> Hints) {
  for (const THint& Hint : Hints) Add(GetDlgItem(Parent, Hint.Id), Hint.Text);
}

void THints::AddOverArea(HWND Control, const wchar_t* Text) {
  if (FTips == nullptr || Control == nullptr) return;
  TTTOOLINFOW Tool{};
  Tool.cbSize = sizeof Tool;
  // The form itself is subclassed: the mouse over the area reaches it.
  Tool.uFlags = TTF_SUBCLASS;
  Tool.hwnd = FForm;
  Tool.uId = static_cast<UINT_PTR>(GetDlgCtrlID(Control));
  Tool.lpszText = const_cast<wchar_t*>(Text);
  GetWindowRect(Control, &Tool.rect);
  MapWindowPoints(nullptr, FForm, reinterpret_cast<POINT*>(&Tool.rect), 2);
  SendMessageW(FTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&Tool));
}

}  // namespace emberdell
