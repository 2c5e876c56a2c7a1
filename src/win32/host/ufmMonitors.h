// The full-screen windows: TfmFirstMonitor is the surface the flame burns
// on, TfmSecondMonitor blacks out a monitor that does not burn. Both are
// borderless, black and captioned "Emberdell Screensaver"; their messages go
// to the main form, which owns the run.
#pragma once

#include <windows.h>

namespace emberdell {

inline constexpr wchar_t kFirstMonitorClass[] = L"TfmFirstMonitor";
inline constexpr wchar_t kSecondMonitorClass[] = L"TfmSecondMonitor";
inline constexpr wchar_t kWindowCaption[] = L"Emberdell Screensaver";

// Registers both window classes with the given procedure.
bool RegisterMonitorClasses(HINSTANCE Instance, WNDPROC Procedure);
// A hidden window over Bounds (screen coordinates).
HWND CreateMonitorWindow(HINSTANCE Instance, const wchar_t* ClassName, const RECT& Bounds);

}  // namespace emberdell
