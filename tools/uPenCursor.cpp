#include "tools/uPenCursor.h"

#include <cmath>

namespace emberdell {

TPenPixel PenCursorPixel(int X, int Y) {
  // Distance along the pen from the tip (s) and across it (d), the pen lying
  // at 45 degrees up and to the right of the hot spot.
  const double px = X - PenHotSpotX, py = PenHotSpotY - Y;
  const double s = (px + py) / std::sqrt(2.0), d = (px - py) / std::sqrt(2.0);
  constexpr double Cone = 6, Length = 26, Half = 3.2;
  if (s < -0.8 || s > Length) return TPenPixel::Clear;
  const double Width = s < Cone ? Half * std::max(s, 0.0) / Cone + 0.9 : Half;
  if (std::fabs(d) > Width) return TPenPixel::Clear;
  // The lead at the tip, the outline, the band where the cone meets the
  // body and the cap are black; the rest of the pen is white.
  if (s < 2.2 || std::fabs(d) > Width - 1.1 || std::fabs(s - Cone) < 0.8 || s > Length - 1.2)
    return TPenPixel::Black;
  return TPenPixel::White;
}

std::vector<uint8_t> MakePenCursor() {
  constexpr int N = PenCursorSize, RowBytes = N / 8;
  constexpr int MaskBytes = RowBytes * N, ImageBytes = 40 + 8 + 2 * MaskBytes;
  std::vector<uint8_t> f;
  const auto u16 = [&](unsigned v) { f.push_back(uint8_t(v)), f.push_back(uint8_t(v >> 8)); };
  const auto u32 = [&](unsigned v) { u16(v & 0xFFFF), u16(v >> 16); };
  // Directory: reserved, type 2 (cursor), one entry whose planes and bit
  // count fields carry the hot spot.
  u16(0), u16(2), u16(1);
  f.push_back(N), f.push_back(N), f.push_back(0), f.push_back(0);
  u16(PenHotSpotX), u16(PenHotSpotY), u32(ImageBytes), u32(22);
  // The image: a bitmap header of double height (colour and mask), a
  // two-entry colour table, then the XOR and AND masks, bottom row first.
  u32(40), u32(N), u32(2 * N), u16(1), u16(1), u32(0), u32(2 * MaskBytes), u32(0), u32(0), u32(2), u32(0);
  u32(0x000000), u32(0xFFFFFF);
  for (int Pass = 0; Pass < 2; ++Pass)
    for (int y = N - 1; y >= 0; --y)
      for (int b = 0; b < RowBytes; ++b) {
        uint8_t Bits = 0;
        for (int i = 0; i < 8; ++i) {
          const TPenPixel p = PenCursorPixel(b * 8 + i, y);
          const bool Set = Pass == 0 ? p == TPenPixel::White : p == TPenPixel::Clear;
          if (Set) Bits |= uint8_t(0x80 >> i);
        }
        f.push_back(Bits);
      }
  return f;
}

}  // namespace emberdell
