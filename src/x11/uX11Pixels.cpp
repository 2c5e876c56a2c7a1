#include "x11/uX11Pixels.h"

#include "core/engine/uFlameStep.h"

#include <cstring>

namespace emberdell {

namespace {

int LowestBit(uint32_t Mask) {
  int Shift = 0;
  while (Mask != 0 && (Mask & 1u) == 0) {
    Mask >>= 1;
    ++Shift;
  }
  return Shift;
}

int BitCount(uint32_t Mask) {
  int n = 0;
  for (; Mask != 0; Mask &= Mask - 1) ++n;
  return n;
}

uint8_t TakeChannel(uint32_t Pixel, uint32_t Mask) {
  if (Mask == 0) return 0;
  const int Bits = BitCount(Mask);
  uint32_t v = (Pixel & Mask) >> LowestBit(Mask);
  if (Bits >= 8) return static_cast<uint8_t>(v >> (Bits - 8));
  // Fewer bits: spread them over the byte so full intensity stays 255.
  const uint32_t Max = (1u << Bits) - 1;
  return static_cast<uint8_t>((v * 255 + Max / 2) / Max);
}

}  // namespace

uint32_t PlaceChannel(uint8_t Value, uint32_t Mask) {
  if (Mask == 0) return 0;
  const int Bits = BitCount(Mask);
  const uint32_t v = Bits >= 8 ? static_cast<uint32_t>(Value) << (Bits - 8) : static_cast<uint32_t>(Value) >> (8 - Bits);
  return (v << LowestBit(Mask)) & Mask;
}

void MakePixelTable(const TBitmapInfo8& Info, const TPixelFormat& Format, uint32_t Table[256]) {
  for (int i = 0; i < 256; ++i)
    Table[i] = PlaceChannel(Info.Colors[i][2], Format.RedMask) | PlaceChannel(Info.Colors[i][1], Format.GreenMask) |
               PlaceChannel(Info.Colors[i][0], Format.BlueMask) | Format.Opaque;
}

void PixelsToBgrx(const uint32_t* Pixels, size_t Count, const TPixelFormat& Format, uint8_t* Out) {
  for (size_t i = 0; i < Count; ++i) {
    const uint32_t p = Pixels[i];
    Out[4 * i + 0] = TakeChannel(p, Format.BlueMask);
    Out[4 * i + 1] = TakeChannel(p, Format.GreenMask);
    Out[4 * i + 2] = TakeChannel(p, Format.RedMask);
    Out[4 * i + 3] = 0;
  }
}

}  // namespace emberdell
