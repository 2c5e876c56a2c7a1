#include "win32/host/ufmFloatingPreview.h"

#include "core/settings/uSettingsLogic.h"

namespace emberdell {

TfmPreview::~TfmPreview() {
  if (FHandle != nullptr) DestroyWindow(FHandle);
}

HWND TfmPreview::Create(HWND Owner) {
  if (!RegisterClass(FInstance, kFloatingPreviewClass, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)),
                     LoadCursorW(nullptr, IDC_ARROW)))
    return nullptr;
  const DWORD Style = WS_POPUP | WS_CAPTION | WS_SYSMENU, ExStyle = WS_EX_TOOLWINDOW;
  RECT Frame{0, 0, kFloatingPreviewWidth, kFloatingPreviewHeight};
  AdjustWindowRectEx(&Frame, Style, FALSE, ExStyle);
  const int Width = Frame.right - Frame.left, Height = Frame.bottom - Frame.top;
  const TWindowPlace Place =
      PreviewPlace(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), Width, Height);
  CreateHandle(ExStyle, kFloatingPreviewClass, kFloatingPreviewCaption, Style, Place.Left, Place.Top, Width, Height,
               Owner, FInstance);
  return FHandle;
}

LRESULT TfmPreview::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_LBUTTONDOWN:
      // MouseDownToEasyMove: drag the window by any point of it.
      ReleaseCapture();
      SendMessageW(Window, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
      return 0;
    case WM_CLOSE:
      ShowWindow(Window, SW_HIDE);
      if (OnHide) OnHide();
      return 0;
    case WM_PAINT: {
      // The frame thread draws every frame; a repaint waits for the next one.
      PAINTSTRUCT Paint;
      BeginPaint(Window, &Paint);
      EndPaint(Window, &Paint);
      return 0;
    }
    default:
      return DefWindowProcW(Window, Message, WParam, LParam);
  }
}

}  // namespace emberdell
