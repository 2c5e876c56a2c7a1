// The "PEN" cursor of the curve image: a pen drawn diagonally, its tip, the
// hot spot, at the lower left, in the colours of the rest of the artwork.
// Made at build time as a .cur file with alpha.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/uArtwork.h"

namespace emberdell {

inline constexpr int PenCursorSize = PenSize;
inline constexpr int PenHotSpotX = PenTipX, PenHotSpotY = PenTipY;

// What the cursor shows at (X, Y), top row first: nothing (mostly
// transparent), the dark lead and rim, or the light pen itself.
enum class TPenPixel : uint8_t { Clear, Black, White };
TPenPixel PenCursorPixel(int X, int Y);

// The whole .cur file: one 32 x 32 image of 32 bits with alpha, and its hot spot.
std::vector<uint8_t> MakePenCursor();

}  // namespace emberdell
