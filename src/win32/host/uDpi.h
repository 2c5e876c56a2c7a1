// The DPI the host's windows are laid out for, and sizes given in pixels at
// 96 DPI brought to it.
#pragma once

#include <windows.h>

namespace emberdell {

// The screen's DPI, which dialog templates, fonts and every size the host
// computes follow; 96 when the screen cannot say.
inline int LayoutDpi() {
  HDC Screen = GetDC(nullptr);
  const int Dpi = Screen != nullptr ? GetDeviceCaps(Screen, LOGPIXELSY) : 96;
  if (Screen != nullptr) ReleaseDC(nullptr, Screen);
  return Dpi > 0 ? Dpi : 96;
}

// Pixels at 96 DPI as many pixels at Dpi, rounded to the nearest.
inline int ScaleToDpi(int Pixels, int Dpi) { return MulDiv(Pixels, Dpi, 96); }

}  // namespace emberdell
