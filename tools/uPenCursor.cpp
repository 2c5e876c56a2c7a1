#include "tools/uPenCursor.h"

namespace emberdell {

TPenPixel PenCursorPixel(int X, int Y) {
  static const TArtImage Pen = PenPicture();
  const TRgba p = Pen.At(X, Y);
  if (p.A < 128) return TPenPixel::Clear;
  return 30 * p.R + 59 * p.G + 11 * p.B < 100 * 90 ? TPenPixel::Black : TPenPixel::White;
}

std::vector<uint8_t> MakePenCursor() { return CursorFile(PenPicture(), PenHotSpotX, PenHotSpotY); }

}  // namespace emberdell
