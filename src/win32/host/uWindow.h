// One way for a window to exist: the object behind a window is found from its
// handle, never through a global.
//
// A window class derives from TWindow<Its Own Class> and implements
//   LRESULT WindowProc(HWND, UINT, WPARAM, LPARAM)
// which forwards to member handlers. RegisterClass registers the class once per
// process; Create makes a window whose creation parameter is the object, and the
// shared procedure keeps the object in GWLP_USERDATA from WM_NCCREATE on.
// Dialogs made from .rc templates do the same with DWLP_USER at WM_INITDIALOG
// (TDialog below).
#pragma once

#include <windows.h>

#include <exception>

#include "win32/host/uUnexpected.h"

namespace emberdell {

// A mouse press on a window's background moves the window, as a drag of its
// caption would (the dialogs' and the floating preview's way to be moved).
inline void MouseDownToEasyMove(HWND Window) {
  ReleaseCapture();
  SendMessageW(Window, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

// The control Id among Parent's descendants (GetDlgItem looks at children
// only); nullptr when there is none.
inline HWND FindDescendant(HWND Parent, int Id) {
  struct TSearch {
    int Id;
    HWND Found;
  } Search{Id, nullptr};
  EnumChildWindows(
      Parent,
      [](HWND Child, LPARAM Data) -> BOOL {
        auto& s = *reinterpret_cast<TSearch*>(Data);
        if (GetDlgCtrlID(Child) != s.Id) return TRUE;
        s.Found = Child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&Search));
  return Search.Found;
}

// The routing windows and dialogs share. The object arrives with the first
// message (Created, when Creating) and is kept in the window's Slot until
// WM_NCDESTROY, which the object still sees. Handle names the object's handle
// field; Unowned answers messages that reach a window with no object.
template <class TObject, class TMember, class TCall, class TUnowned>
auto RouteToObject(HWND Window, UINT Message, int Slot, bool Creating, TObject* Created, TMember Handle, TCall Call,
                   TUnowned Unowned) -> decltype(Call(Created)) {
  TObject* Self;
  if (Creating) {
    Self = Created;
    SetWindowLongPtrW(Window, Slot, reinterpret_cast<LONG_PTR>(Self));
    if (Self != nullptr) Self->*Handle = Window;
  } else {
    Self = reinterpret_cast<TObject*>(GetWindowLongPtrW(Window, Slot));
  }
  if (Self == nullptr) return Unowned();
  if (Message == WM_NCDESTROY) {
    SetWindowLongPtrW(Window, Slot, 0);
    const auto Result = Call(Self);
    if (Self->*Handle == Window) Self->*Handle = nullptr;
    return Result;
  }
  return Call(Self);
}

template <class TDerived>
class TWindow {
 public:
  HWND Handle() const { return FHandle; }

  // Registers ClassName with the shared procedure. Registering again (a
  // second object of the same class) is not an error.
  static bool RegisterClass(HINSTANCE Instance, const wchar_t* ClassName, HBRUSH Background = nullptr,
                            HCURSOR Cursor = nullptr, UINT Style = 0, HICON Icon = nullptr) {
    WNDCLASSEXW Class{};
    Class.cbSize = sizeof Class;
    Class.style = Style;
    Class.lpfnWndProc = &TWindow::Procedure;
    Class.hInstance = Instance;
    Class.hCursor = Cursor;
    Class.hIcon = Icon;
    Class.hbrBackground = Background;
    Class.lpszClassName = ClassName;
    return RegisterClassExW(&Class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }

 protected:
  TWindow() = default;
  ~TWindow() = default;
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  HWND CreateHandle(DWORD ExStyle, const wchar_t* ClassName, const wchar_t* Caption, DWORD Style, int X, int Y,
                    int Width, int Height, HWND Parent, HINSTANCE Instance) {
    return CreateWindowExW(ExStyle, ClassName, Caption, Style, X, Y, Width, Height, Parent, nullptr, Instance,
                           static_cast<TDerived*>(this));
  }

  HWND FHandle = nullptr;

 private:
  static LRESULT CALLBACK Procedure(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and windows made
    // without an object get the default handling.
    const bool Creating = Message == WM_NCCREATE;
    return RouteToObject(
        Window, Message, GWLP_USERDATA, Creating,
        Creating ? static_cast<TDerived*>(reinterpret_cast<CREATESTRUCTW*>(LParam)->lpCreateParams) : nullptr,
        static_cast<HWND TDerived::*>(&TWindow::FHandle),
        [&](TDerived* Self) { return Guarded(Self, Window, Message, WParam, LParam); },
        [&] { return DefWindowProcW(Window, Message, WParam, LParam); });
  }

  // An exception must not unwind through the system's code. A window whose
  // creation failed is not made; any other message gets the default handling.
  static LRESULT Guarded(TDerived* Self, HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) noexcept {
    try {
      return Self->WindowProc(Window, Message, WParam, LParam);
    } catch (...) {
      ReportUnexpected(std::current_exception());
    }
    if (Message == WM_NCCREATE) return FALSE;
    if (Message == WM_CREATE) return -1;
    return DefWindowProcW(Window, Message, WParam, LParam);
  }
};

// The same for a dialog from a template: DialogProc returns what a dialog
// procedure returns (TRUE when the message was handled).
template <class TDerived>
class TDialog {
 public:
  HWND Handle() const { return FHandle; }

 protected:
  TDialog() = default;
  ~TDialog() = default;
  TDialog(const TDialog&) = delete;
  TDialog& operator=(const TDialog&) = delete;

  INT_PTR ShowModal(HINSTANCE Instance, const wchar_t* Template, HWND Owner) {
    return DialogBoxParamW(Instance, Template, Owner, &TDialog::Procedure,
                           reinterpret_cast<LPARAM>(static_cast<TDerived*>(this)));
  }
  HWND CreateModeless(HINSTANCE Instance, const wchar_t* Template, HWND Owner) {
    return CreateDialogParamW(Instance, Template, Owner, &TDialog::Procedure,
                              reinterpret_cast<LPARAM>(static_cast<TDerived*>(this)));
  }

  HWND FHandle = nullptr;

 private:
  static INT_PTR CALLBACK Procedure(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
    const bool Creating = Message == WM_INITDIALOG;
    return RouteToObject(
        Window, Message, DWLP_USER, Creating, Creating ? reinterpret_cast<TDerived*>(LParam) : nullptr,
        static_cast<HWND TDerived::*>(&TDialog::FHandle),
        [&](TDerived* Self) { return Guarded(Self, Window, Message, WParam, LParam); }, [] { return INT_PTR{FALSE}; });
  }

  // As for windows: nothing unwinds through the dialog manager, which then
  // handles the message itself.
  static INT_PTR Guarded(TDerived* Self, HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) noexcept {
    try {
      return Self->DialogProc(Window, Message, WParam, LParam);
    } catch (...) {
      ReportUnexpected(std::current_exception());
    }
    return FALSE;
  }
};

}  // namespace emberdell
