// The "PEN" cursor of the curve image: a pen drawn diagonally, its tip, the
// hot spot, at the lower left. Made at build time as a .cur file.
#pragma once

#include <cstdint>
#include <vector>

namespace emberdell {

inline constexpr int PenCursorSize = 32;
inline constexpr int PenHotSpotX = 12, PenHotSpotY = 24;

// What the cursor shows at (X, Y), top row first.
enum class TPenPixel : uint8_t { Clear, Black, White };
TPenPixel PenCursorPixel(int X, int Y);

// The whole .cur file: one 32 x 32 monochrome image with its hot spot.
std::vector<uint8_t> MakePenCursor();

}  // namespace emberdell
