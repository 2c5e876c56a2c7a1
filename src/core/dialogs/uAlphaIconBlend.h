// The blend that lays a 32-bit icon with alpha over a window, as the
// dialogs' icons are drawn.
#pragma once

#include <cstddef>
#include <cstdint>

namespace emberdell {

// One colour channel of an icon pixel with straight alpha over the window:
// each term is rounded to single precision, the sum truncated.
uint8_t BlendAlphaChannel(uint8_t Background, uint8_t Icon, uint8_t Alpha);
// Lays an N x N icon over Pixels. Icon holds blue, green, red, alpha per
// pixel with its bottom row first, as a bottom-up 32-bit DIB reads; Pixels
// are 0x00RRGGBB words, top row first, Stride words apart.
void BlendAlphaIcon(uint32_t* Pixels, size_t Stride, const uint8_t* Icon, int N);

}  // namespace emberdell
