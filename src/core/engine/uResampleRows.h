// The resampler's two sums, one row or one column at a time, so a picture
// can be fitted while it is still being decoded. Each output is the same
// clamped sum of the same taps as in ResampleBitmap, so the bytes agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/engine/uResample.h"

namespace emberdell {

// A contributor table without its zero-weight taps, laid out flat.
struct TTapList {
  std::vector<int32_t> Start;  // taps of output i: Start[i] .. Start[i + 1] - 1
  std::vector<int32_t> Index;  // source index
  std::vector<int32_t> Weight;
  // The same taps two at a time, where every weight fits in 16 bits (a
  // picture shrunk to less than about half): the second of an odd count
  // repeats the first with weight 0. Empty otherwise.
  std::vector<int32_t> PairStart, PairFirst, PairSecond, PairWeights;  // weights: first | second << 16
};

// Reversed reads the source from its far end: index p becomes Length - 1 - p,
// for a picture stored mirrored.
TTapList MakeTapList(const TContributorTable& Table, bool Reversed);

// Out[(i - First) * OutStep bytes] := the clamped sum of weight x Source pixel
// (index) over the taps of output i, for i in [First, Last); Source holds
// 4-byte pixels. KeepFourth leaves each output's fourth byte as it was.
void SumAlong(const uint8_t* Source, const TTapList& Taps, int First, int Last, uint8_t* Out,
              ptrdiff_t OutStep, bool KeepFourth, TResampleKernel Kernel);

// Out[x] := the clamped sum of Weights[k] x Rows[k][x] over k < Count, for
// the Width 4-byte pixels of a row.
void SumAcross(const uint8_t* const* Rows, const int32_t* Weights, int Count, int Width, uint8_t* Out,
               bool KeepFourth, TResampleKernel Kernel);

}  // namespace emberdell
