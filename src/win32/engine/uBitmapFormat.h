// The one pixel format the program reads and writes through GDI: 32 bits,
// blue, green, red and a fourth byte, uncompressed.
#pragma once

#include <windows.h>

namespace emberdell {

// The format of a Width x Height picture; as everywhere in GDI, a negative
// Height means the rows run top-down.
inline BITMAPINFO Bgr32Format(int Width, int Height) {
  BITMAPINFO Format{};
  Format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  Format.bmiHeader.biWidth = Width;
  Format.bmiHeader.biHeight = Height;
  Format.bmiHeader.biPlanes = 1;
  Format.bmiHeader.biBitCount = 32;
  Format.bmiHeader.biCompression = BI_RGB;
  return Format;
}

}  // namespace emberdell
