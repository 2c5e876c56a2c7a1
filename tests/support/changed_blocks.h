// The changed blocks of a frame found by comparing it with the one before:
// what the engine's own marks must cover, and what a test that makes its
// frames by hand gives a canvas.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/engine/uFlameStep.h"

namespace emberdell::support {

// The blocks of a Width x Height 8-bit image (rows Stride bytes apart) in
// which After differs from Before.
inline TChangedBlocks BlocksThatDiffer(const uint8_t* Before, const uint8_t* After, int Width, int Height,
                                       size_t Stride) {
  TChangedBlocks Changed;
  Changed.Fit(static_cast<size_t>(Width) * static_cast<size_t>(Height));
  Changed.Clear();
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      const size_t At = static_cast<size_t>(y) * Stride + static_cast<size_t>(x);
      if (Before[At] == After[At]) continue;
      const size_t Byte = static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x);
      MarkChangedBlocks(Changed.Words.data(), Byte, Byte + 1);
    }
  return Changed;
}

// Everything changed: a first frame.
inline TChangedBlocks AllBlocks(int Width, int Height) {
  TChangedBlocks Changed;
  Changed.Fit(static_cast<size_t>(Width) * static_cast<size_t>(Height));
  return Changed;
}

}  // namespace emberdell::support
