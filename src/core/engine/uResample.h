// Filtered resizing of 32-bit pictures with the Mitchell-Netravali filter
// (B = C = 1/3), in 16.16 fixed point. Used once per flame start to fit a
// background picture, never per frame.
#pragma once

#include <cstdint>
#include <vector>

#include "core/engine/uImageFiles.h"
#include "core/shared/uPrecision.h"

namespace emberdell {

struct TContributor {
  int32_t Pixel;   // source index, always inside 0 .. SourceLength - 1
  int32_t Weight;  // 16 fraction bits; may be 0 or negative
};

// One list of taps per destination index.
struct TContributorTable {
  int SourceLength = 0;
  int DestLength = 0;
  std::vector<std::vector<TContributor>> Contributors;
};

// The filter itself, for |x| in any range (0 from 2 on).
TExtended MitchellFilter(TExtended x);

// The tap table for resizing SourceLength pixels to DestLength pixels. Tables
// are built once per pair and kept for the life of the process, so the
// reference stays valid; any thread may call this.
const TContributorTable& GetContributors(int SourceLength, int DestLength);

// A channel sum with 16 fraction bits brought back to a byte.
inline uint8_t ClampChannelSum(int32_t S) {
  if (S < 0) return 0;
  if (S > 255 * 65536) return 255;
  return static_cast<uint8_t>(S >> 16);
}

// Resizes Source (SW x SH) into Dest (DW x DH); both are 32-bit B, G, R,
// reserved, top row first. Only blue, green and red of Dest are written: its
// fourth bytes keep what the caller put there.
// Kernel chooses between the plain loops and, where the processor has them,
// vector instructions; both give the same bytes.
enum class TResampleKernel { Fastest, Portable };
void ResampleBitmap(const uint8_t* Source, int SW, int SH, uint8_t* Dest, int DW, int DH,
                    TResampleKernel Kernel = TResampleKernel::Fastest);

// The same for pictures; Dest's size is the caller's choice and its pixel
// buffer must already hold Width x Height pixels.
void ResampleBitmap(const TPixelImage& Source, TPixelImage& Dest);

}  // namespace emberdell
