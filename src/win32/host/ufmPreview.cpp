#include "win32/host/ufmPreview.h"

#include "core/settings/uSettingsLogic.h"
#include "win32/engine/uWindowCanvas.h"

namespace emberdell {

namespace {

bool RunningUnderWine() {
  HMODULE Ntdll = GetModuleHandleW(L"ntdll.dll");
  return Ntdll != nullptr && GetProcAddress(Ntdll, "wine_get_version") != nullptr;
}

}  // namespace

void PumpMessages() {
  MSG Message;
  while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&Message);
    DispatchMessageW(&Message);
  }
}

TPreviewSurface::~TPreviewSurface() { Destroy(); }

bool TPreviewSurface::Register(HINSTANCE Instance) {
  return RegisterClass(Instance, kPreviewClass, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

HWND TPreviewSurface::Create(HINSTANCE Instance, DWORD ExStyle, DWORD Style, int Width, int Height, HWND Parent) {
  return CreateHandle(ExStyle, kPreviewClass, L"", Style, 0, 0, Width, Height, Parent, Instance);
}

void TPreviewSurface::Destroy() {
  if (FHandle != nullptr && IsWindow(FHandle)) DestroyWindow(FHandle);
  FHandle = nullptr;
}

void TPreviewSurface::Abandon() {
  if (FHandle != nullptr && IsWindow(FHandle)) SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
  FHandle = nullptr;
}

LRESULT TPreviewSurface::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      TWindowCanvas::PaintFromFrames(Window);
      return 0;
    default:
      return DefWindowProcW(Window, Message, WParam, LParam);
  }
}

THostPreview::THostPreview(HINSTANCE Instance, HWND ParentWindow)
    : FInstance(Instance), FParentWindow(ParentWindow) {}

bool THostPreview::Open(ITickClock& Clock) {
  HWND Parent = FParentWindow;
  if (Parent == nullptr || !IsWindow(Parent) || !TPreviewSurface::Register(FInstance)) return false;
  // The host may show its window after starting us. Sleeping between the
  // checks keeps the wait from spinning a core; a window that stays hidden
  // ends the preview as one that goes away does.
  const THostWindowWait Waited = WaitForHostWindow(
      Clock, [Parent] { return IsWindow(Parent) != FALSE; }, [Parent] { return IsWindowVisible(Parent) != FALSE; },
      PumpMessages);
  if (Waited != THostWindowWait::Shown || !GetClientRect(Parent, &FClient)) return false;
  // The flame burns in a child window of our own over the host's whole
  // client area. The system's dialog ends a preview by destroying the child
  // windows of its preview window, which stays visible: the child's end is
  // then our signal to go. The child never tells its parent about itself:
  // the host's thread may be blocked waiting for us when it goes.
  if (FChild.Create(FInstance, WS_EX_NOPARENTNOTIFY, WS_CHILD | WS_VISIBLE | WS_DISABLED, FClient.right, FClient.bottom, Parent) ==
      nullptr)
    return false;
  // Wine shows nothing that one process draws into a window inside another
  // process's window. There the frames go to a borderless window of our own
  // laid exactly over the child; the child still decides when the preview ends.
  // It has no owner: nothing of ours may wait on the host's windows.
  if (RunningUnderWine() &&
      FOverlay.Create(FInstance, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, WS_POPUP | WS_DISABLED,
                      FClient.right, FClient.bottom, nullptr) != nullptr)
    FollowPreviewArea();
  return true;
}

HWND THostPreview::Surface() const { return FOverlay.Handle() != nullptr ? FOverlay.Handle() : FChild.Handle(); }

void THostPreview::WaitForEnd() {
  HWND Parent = FParentWindow;
  while (IsWindow(Parent) && IsWindowVisible(Parent) && FChild.Handle() != nullptr && IsWindow(FChild.Handle())) {
    PumpMessages();
    if (FOverlay.Handle() != nullptr) FollowPreviewArea();
    Sleep(1);
  }
}

void THostPreview::Close() {
  // Destroying a child of the host's window would wait on the host's thread,
  // which may be blocked waiting for this process to end: the child is left
  // to go with our thread.
  FChild.Abandon();
  FOverlay.Destroy();
}

void THostPreview::FollowPreviewArea() {
  HWND Child = FChild.Handle(), Overlay = FOverlay.Handle();
  RECT Area{};
  GetClientRect(Child, &Area);
  MapWindowPoints(Child, nullptr, reinterpret_cast<POINT*>(&Area), 2);
  RECT Now{};
  GetWindowRect(Overlay, &Now);
  const bool Visible = IsWindowVisible(Overlay) != FALSE;
  if (Visible && Now.left == Area.left && Now.top == Area.top) return;
  SetWindowPos(Overlay, HWND_TOPMOST, Area.left, Area.top, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | (Visible ? 0 : SWP_SHOWWINDOW));
}

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
      MouseDownToEasyMove(Window);
      return 0;
    case WM_CLOSE:
      ShowWindow(Window, SW_HIDE);
      if (OnHide) OnHide();
      return 0;
    case WM_PAINT:
      // The frame thread draws every frame; a repaint waits for the next one.
      TWindowCanvas::PaintFromFrames(Window);
      return 0;
    default:
      return DefWindowProcW(Window, Message, WParam, LParam);
  }
}

}  // namespace emberdell
