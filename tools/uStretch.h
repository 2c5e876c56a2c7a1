// Nearest-pixel stretching of 32-bit pictures, as a colour-on-colour
// StretchBlt does with the desktop snapshot: no filtering, each target pixel
// takes the source pixel its position falls in.
#pragma once

#include <cstdint>
#include <vector>

namespace emberdell {

// Target pixel x takes the source pixel under its centre:
// floor((x + 1/2) * Source / Target), in integers.
std::vector<uint8_t> StretchNearest(const uint8_t* Pixels, int Width, int Height, int TargetWidth,
                                    int TargetHeight);

}  // namespace emberdell
