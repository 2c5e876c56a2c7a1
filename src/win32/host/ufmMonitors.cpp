#include "win32/host/ufmMonitors.h"

#include "win32/engine/uWindowCanvas.h"

namespace emberdell {

namespace {

bool IsDeactivation(UINT Message, WPARAM WParam) {
  switch (Message) {
    case WM_ACTIVATE: return LOWORD(WParam) == WA_INACTIVE;
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE: return WParam == FALSE;
    default: return false;
  }
}

// No cursor: the run hides it over its windows.
template <class TForm>
bool RegisterMonitorClass(HINSTANCE Instance, const wchar_t* Name) {
  return TForm::RegisterClass(Instance, Name, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
}

const wchar_t* ClassNameOf(const TfmFirstMonitor*) { return kFirstMonitorClass; }
const wchar_t* ClassNameOf(const TfmSecondMonitor*) { return kSecondMonitorClass; }

}  // namespace

template <class TDerived>
HWND TfmMonitor<TDerived>::Create(HINSTANCE Instance, const RECT& Bounds) {
  return this->CreateHandle(0, ClassNameOf(static_cast<TDerived*>(this)), kWindowCaption, WS_POPUP, Bounds.left,
                            Bounds.top, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top, nullptr, Instance);
}

template <class TDerived>
TfmMonitor<TDerived>::~TfmMonitor() {
  if (this->FHandle != nullptr) SetWindowLongPtrW(this->FHandle, GWLP_USERDATA, 0);
}

template <class TDerived>
bool TfmMonitor<TDerived>::CommonMessage(UINT Message, WPARAM WParam, LPARAM LParam, LRESULT& Result) {
  switch (Message) {
    case WM_SETCURSOR:
      SetCursor(nullptr);
      Result = TRUE;
      return true;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
      // Another window taking over ends the run like any other input; the
      // default handling still follows.
      if (IsDeactivation(Message, WParam)) FOwner.MonitorDeactivated(Message, WParam, LParam);
      return false;
    case WM_CLOSE:
      FOwner.MonitorClosed();
      Result = 0;
      return true;
    default:
      return false;
  }
}

template class TfmMonitor<TfmFirstMonitor>;
template class TfmMonitor<TfmSecondMonitor>;

bool TfmFirstMonitor::Register(HINSTANCE Instance) {
  return RegisterMonitorClass<TfmFirstMonitor>(Instance, kFirstMonitorClass);
}

void TfmFirstMonitor::DrawBottomLine() {
  if (FHandle == nullptr) return;
  RECT Client;
  GetClientRect(FHandle, &Client);
  HDC Dc = GetDC(FHandle);
  if (Dc == nullptr) return;
  RECT Line{0, Client.bottom - 1, Client.right, Client.bottom};
  FillRect(Dc, &Line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(FHandle, Dc);
}

LRESULT TfmFirstMonitor::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  LRESULT Result = 0;
  if (CommonMessage(Message, WParam, LParam, Result)) return Result;
  switch (Message) {
    case WM_ERASEBKGND:
      if (FBurning) return 1;
      break;
    case WM_PAINT:
      if (FBurning) {
        TWindowCanvas::PaintFromFrames(Window);
        DrawBottomLine();
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(Window, Message, WParam, LParam);
}

bool TfmSecondMonitor::Register(HINSTANCE Instance) {
  return RegisterMonitorClass<TfmSecondMonitor>(Instance, kSecondMonitorClass);
}

LRESULT TfmSecondMonitor::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  LRESULT Result = 0;
  if (CommonMessage(Message, WParam, LParam, Result)) return Result;
  return DefWindowProcW(Window, Message, WParam, LParam);
}

}  // namespace emberdell
