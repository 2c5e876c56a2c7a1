// TfmPerformance: the speed and picture-height dialog of the settings window.
// The speed is live on the running preview; the rest is stored on OK.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "win32/host/uWindow.h"

namespace emberdell {

class TfmPerformance : public TDialog<TfmPerformance> {
 public:
  // SetFrameInterval changes the frame-pacing period, in ms; it is called on
  // every speed change and on Cancel.
  TfmPerformance(HINSTANCE Instance, std::function<void(uint32_t)> SetFrameInterval);
  ~TfmPerformance();
  // Shows the dialog modally over Owner, from the current settings.
  void Execute(HWND Owner);

  friend class TDialog<TfmPerformance>;

 private:
  INT_PTR DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  // (the implementer adds the handlers: FormCreate, FormShow, tbFPSChange, ...)

  HINSTANCE FInstance;
  std::function<void(uint32_t)> FSetFrameInterval;
};

}  // namespace emberdell
