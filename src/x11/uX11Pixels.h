// The 8-bit flame image expanded through its colour table into the 32-bit
// pixels an X TrueColor visual takes. Kept behind one function so a faster
// expansion can take its place without the host noticing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/engine/uCore.h"

namespace emberdell {

// Where red, green and blue sit in a pixel, as the visual's masks say;
// Opaque holds the bits a 32-bit visual keeps for alpha, set in every pixel
// so a compositor shows the fire and not the desktop behind it.
struct TPixelFormat {
  uint32_t RedMask = 0x00FF0000;
  uint32_t GreenMask = 0x0000FF00;
  uint32_t BlueMask = 0x000000FF;
  uint32_t Opaque = 0;
};

// One channel value 0..255 moved into Mask, keeping its top bits when the
// mask holds fewer than eight.
uint32_t PlaceChannel(uint8_t Value, uint32_t Mask);

// The 256 pixels of Info's colour table in Format.
void MakePixelTable(const TBitmapInfo8& Info, const TPixelFormat& Format, uint32_t Table[256]);

// Width x Height pixels of Bits (rows Stride bytes apart) through Table into
// Out (rows OutStride bytes apart).
void ExpandFrame(const uint8_t* Bits, size_t Stride, int Width, int Height, const uint32_t Table[256], uint8_t* Out,
                 size_t OutStride);

// As ExpandFrame, but only where Bits differ from Previous (Width x Height
// bytes, no padding), which then holds Bits. Most of a screen keeps its
// colour from one frame to the next; writing only what changed saves most of
// the work while the colour table stays. Use ExpandFrame after the table
// changed or when Out holds something else.
void ExpandChanges(const uint8_t* Bits, size_t Stride, int Width, int Height, const uint32_t Table[256],
                   uint8_t* Previous, uint8_t* Out, size_t OutStride);

// X pixels back to blue, green, red, reserved (Count pixels of 32 bits).
void PixelsToBgrx(const uint32_t* Pixels, size_t Count, const TPixelFormat& Format, uint8_t* Out);

}  // namespace emberdell
