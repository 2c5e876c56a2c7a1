// What a host must send to the screen for the next frame. Away from the
// flames the blend settles on fixed values within a few frames, so on most
// desktops much of the screen keeps its colour from one frame to the next:
// only the pixels whose index changed are expanded, and only rectangles
// around them need copying to the screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/engine/uCore.h"

namespace emberdell {

class TFrameChanges {
 public:
  // Brings Out (Width x Height 32-bit pixels, rows OutStride bytes apart) up
  // to the 8-bit frame in Bits (rows Stride bytes apart) through Table, and
  // returns rectangles that together cover every pixel that differs from
  // what Out held. Only the blocks Changed marks (the engine's blocks changed
  // since the last Update) are looked at. The whole frame is expanded and
  // returned as one rectangle the first time, after Forget, when Changed
  // says everything changed, and when the size or the table changed.
  const std::vector<TRect>& Update(const uint8_t* Bits, size_t Stride, int Width, int Height, const uint32_t Table[256],
                                   uint8_t* Out, size_t OutStride, const TChangedBlocks& Changed);
  // Out no longer holds the last frame (a new surface, pixels drawn over).
  void Forget() { FValid = false; }

 private:
  void ExpandChangedBlocks(const uint8_t* Bits, size_t Stride, const TChangedBlocks& Changed, uint8_t* Out,
                           size_t OutStride);

  uint32_t FTable[256] = {};
  int FWidth = 0, FHeight = 0;
  bool FValid = false;
  std::vector<TRect> FRects;
  std::vector<int32_t> FBandLeft, FBandRight;
};

// Rows are looked at in bands of this many; a band's changes are covered by
// one rectangle as wide as they reach.
constexpr int kChangeBandRows = 8;

// One copy to the screen costs about as much as this many pixels more in a
// larger one: neighbouring bands are joined while that is cheaper.
constexpr int64_t kRectangleCostPixels = 16384;

// Joins the bands' extents (Left[b] >= Right[b] where band b has no
// changes) into few rectangles over a Width x Height frame.
void JoinBands(const std::vector<int32_t>& Left, const std::vector<int32_t>& Right, int Width, int Height,
               std::vector<TRect>& Rects);

}  // namespace emberdell
