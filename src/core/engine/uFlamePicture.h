// The picture side of the engine: the grey background and the outlines
// where sparks start, made from the background picture, and the smoothing of
// a screenshot.
#pragma once

#include <cstddef>
#include <cstdint>

namespace emberdell {

// Grey level of 32-bit B, G, R, x pixels: (blue + green + red) div 3.
void GreyFromPixels(const uint8_t* Pixels, size_t Count, uint8_t* Grey);

// 255 where the low eight bits of the absolute Laplacian reach 50, for rows
// 2 .. H - 7 and columns 2 .. W - 2; 0 everywhere else.
void BuildEdgeMask(const uint8_t* Grey, int Width, int Height, uint8_t* Edges);

// True when the picture (32-bit pixels) would give the flame at least one
// spark position: a uniform picture, such as the blank desktop Windows shows
// a screensaver on its own desktop, has none.
bool PictureHasEdges(const uint8_t* Pixels, int Width, int Height);

// In place, rows 2 .. H - 2 and columns 2 .. W - 2: (eight neighbours + 8 x
// centre) div 16, so the neighbours above and to the left are already smoothed.
void SmoothShot(uint8_t* Image, int Width, int Height);

}  // namespace emberdell
