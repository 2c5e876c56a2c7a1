#include "win32/host/ufmMonitors.h"

#include <initializer_list>

namespace emberdell {

bool RegisterMonitorClasses(HINSTANCE Instance, WNDPROC Procedure) {
  for (const wchar_t* Name : {kFirstMonitorClass, kSecondMonitorClass}) {
    WNDCLASSEXW Class{};
    Class.cbSize = sizeof Class;
    Class.lpfnWndProc = Procedure;
    Class.hInstance = Instance;
    Class.hCursor = nullptr;  // the run hides the cursor over its windows
    Class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    Class.lpszClassName = Name;
    if (!RegisterClassExW(&Class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  }
  return true;
}

HWND CreateMonitorWindow(HINSTANCE Instance, const wchar_t* ClassName, const RECT& Bounds) {
  return CreateWindowExW(0, ClassName, kWindowCaption, WS_POPUP, Bounds.left, Bounds.top,
                         Bounds.right - Bounds.left, Bounds.bottom - Bounds.top, nullptr, nullptr, Instance,
                         nullptr);
}

}  // namespace emberdell
