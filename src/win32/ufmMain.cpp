#include "ufmMain.h"

namespace emberdell {

namespace {

LRESULT CALLBACK MainFormProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      DestroyWindow(Window);
      return 0;
    case WM_SETCURSOR:
      // A screensaver shows no cursor over its own window.
      SetCursor(nullptr);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(Window, Message, WParam, LParam);
  }
}

}  // namespace

int RunFullScreen(HINSTANCE Instance) {
  WNDCLASSEXW Class{};
  Class.cbSize = sizeof(Class);
  Class.lpfnWndProc = MainFormProc;
  Class.hInstance = Instance;
  Class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  Class.lpszClassName = kMainFormClass;
  if (!RegisterClassExW(&Class)) return 1;

  // The virtual screen spans every monitor, so none is left uncovered.
  const int Left = GetSystemMetrics(SM_XVIRTUALSCREEN), Top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int Width = GetSystemMetrics(SM_CXVIRTUALSCREEN), Height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  HWND Window = CreateWindowExW(WS_EX_TOPMOST, kMainFormClass, L"Emberdell Screensaver", WS_POPUP, Left, Top,
                                Width, Height, nullptr, nullptr, Instance, nullptr);
  if (Window == nullptr) return 1;
  ShowWindow(Window, SW_SHOW);
  SetForegroundWindow(Window);
  UpdateWindow(Window);

  MSG Message;
  while (GetMessageW(&Message, nullptr, 0, 0) > 0) {
    TranslateMessage(&Message);
    DispatchMessageW(&Message);
  }
  return static_cast<int>(Message.wParam);
}

}  // namespace emberdell
