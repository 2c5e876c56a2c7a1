// Draws a 32-bit icon with straight alpha over what a device context already
// shows, pixel by pixel, so soft edges blend with any background.
#pragma once

#include <windows.h>

namespace emberdell {

// Blends the Size x Size colour image of Icon over Dc at (X, Y). Nothing
// happens for a null icon or device context.
void DrawAlphaIcon(HDC Dc, int X, int Y, HICON Icon, int Size);
inline void DrawAlphaIcon16(HDC Dc, int X, int Y, HICON Icon) { DrawAlphaIcon(Dc, X, Y, Icon, 16); }
inline void DrawAlphaIcon32(HDC Dc, int X, int Y, HICON Icon) { DrawAlphaIcon(Dc, X, Y, Icon, 32); }

}  // namespace emberdell
