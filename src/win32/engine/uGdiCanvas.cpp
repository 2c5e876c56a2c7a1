#include "win32/engine/uGdiCanvas.h"

namespace emberdell {

static_assert(offsetof(TBitmapInfo8, Colors) == sizeof(BITMAPINFOHEADER));

void TWindowCanvas::DrawFrame(const TBitmapInfo8& Info, const uint8_t* Bits) {
  // A window that has gone or a context that cannot be had costs the frame's
  // picture, nothing else.
  HDC Dc = GetDC(FWindow);
  if (Dc == nullptr) return;
  const int Width = Info.biWidth, Height = -Info.biHeight;
  SetDIBitsToDevice(Dc, 0, 0, Width, Height, 0, 0, 0, Height, Bits, reinterpret_cast<const BITMAPINFO*>(&Info),
                    DIB_RGB_COLORS);
  ReleaseDC(FWindow, Dc);
}

}  // namespace emberdell
