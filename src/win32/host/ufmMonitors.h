// The full-screen windows: TfmFirstMonitor is the surface the flame burns
// on, TfmSecondMonitor blacks out a monitor that does not burn. Both are
// borderless, black, hide the cursor and are captioned "Emberdell
// Screensaver"; what ends the run they leave to the form that owns it.
#pragma once

#include <windows.h>

#include "win32/host/uWindow.h"

namespace emberdell {

inline constexpr wchar_t kFirstMonitorClass[] = L"TfmFirstMonitor";
inline constexpr wchar_t kSecondMonitorClass[] = L"TfmSecondMonitor";
inline constexpr wchar_t kWindowCaption[] = L"Emberdell Screensaver";

// What the monitor windows tell the form that owns the run.
class IMonitorOwner {
 public:
  // Another window took over (WM_ACTIVATE, WM_ACTIVATEAPP or WM_NCACTIVATE
  // losing the activation). These are sent, not posted, so the message loop
  // never sees them.
  virtual void MonitorDeactivated(UINT Message, WPARAM WParam, LPARAM LParam) = 0;
  virtual void MonitorClosed() = 0;

 protected:
  ~IMonitorOwner() = default;
};

// The handling both windows share.
template <class TDerived>
class TfmMonitor : public TWindow<TDerived> {
 public:
  // A hidden window over Bounds (screen coordinates); null when it cannot be
  // made.
  HWND Create(HINSTANCE Instance, const RECT& Bounds);

 protected:
  explicit TfmMonitor(IMonitorOwner& Owner) : FOwner(Owner) {}
  // The window may outlive the object (a run's windows go with the process):
  // from here on it gets the default handling.
  ~TfmMonitor();
  // Returns true with Result set when the message was handled.
  bool CommonMessage(UINT Message, WPARAM WParam, LPARAM LParam, LRESULT& Result);

  IMonitorOwner& FOwner;
};

class TfmFirstMonitor : public TfmMonitor<TfmFirstMonitor> {
 public:
  explicit TfmFirstMonitor(IMonitorOwner& Owner) : TfmMonitor(Owner) {}
  static bool Register(HINSTANCE Instance);
  // From the moment its engine exists, the window is covered by its frames
  // and never erased: erasing would flash black over the desktop before the
  // first one.
  void SetBurning(bool Burning) { FBurning = Burning; }
  // The bottom row stays out of the flame area; it is painted black.
  void DrawBottomLine();

  friend class TWindow<TfmFirstMonitor>;

 private:
  LRESULT WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  bool FBurning = false;
};

class TfmSecondMonitor : public TfmMonitor<TfmSecondMonitor> {
 public:
  explicit TfmSecondMonitor(IMonitorOwner& Owner) : TfmMonitor(Owner) {}
  static bool Register(HINSTANCE Instance);

  friend class TWindow<TfmSecondMonitor>;

 private:
  LRESULT WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
};

}  // namespace emberdell
