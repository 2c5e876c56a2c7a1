// Drawing a frame into a window: one device context and one
// SetDIBitsToDevice per frame, on the frame thread.
#pragma once

#include <windows.h>

#include "core/engine/uCore.h"

namespace emberdell {

class TWindowCanvas : public IFlameCanvas {
 public:
  explicit TWindowCanvas(HWND Window) : FWindow(Window) {}
  void DrawFrame(const TBitmapInfo8& Info, const uint8_t* Bits) override;

 private:
  HWND FWindow;
};

}  // namespace emberdell
