// The flame's colour table as the 32-bit pixels an X TrueColor visual takes,
// and those pixels back to the engine's colours for captures.
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

// X pixels back to blue, green, red, reserved (Count pixels of 32 bits).
void PixelsToBgrx(const uint32_t* Pixels, size_t Count, const TPixelFormat& Format, uint8_t* Out);

}  // namespace emberdell
