// The packed passes the fast step and the blend are built from. Each does
// what it can from its start and returns where it stopped; the caller
// finishes the rest one by one.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/engine/uFlameStep.h"

namespace emberdell {

// Out[i] := Table[Index[i]] for eight pixels: eight indices from one load,
// two pixels to a store, no gather (bench/README.md says why).
inline void ExpandEight(const uint8_t* Index, const uint32_t* Table, uint32_t* Out) {
  static_assert(std::endian::native == std::endian::little, "the first index and pixel are the low bytes");
  uint64_t x;
  std::memcpy(&x, Index, 8);
  // Each pair is stored as soon as it is made, so it never goes through the stack.
  for (int k = 0; k < 4; ++k, x >>= 16) {
    const uint64_t Pair = Table[x & 255] | uint64_t(Table[(x >> 8) & 255]) << 32;
    std::memcpy(Out + 2 * k, &Pair, 8);
  }
}

// The cells of one row from x (even) up to End, as CellValue and WriteCell
// would give them, for the cells the packed width covers. FetchNext asks for
// the rows the next visit (two rows down) reads and writes first; only when
// there is one. With Cold (per chunk of TStepHistory::ChunkPixels pixels
// from the row's start), clears the chunks where a cell came out above zero.
int RowCellsPacked(uint8_t* Row, size_t W, int x, int End, int lw, int rw, uint8_t Cooling, bool FetchNext,
                   uint8_t* Cold);

// True when Bytes[0 .. Count) are all zero.
bool AllZero(const uint8_t* Bytes, size_t Count);

// Blend for i in [Begin, returned end), a whole number of packed words. With
// Ahead above zero, asks for image and background Ahead bytes on, which the
// caller blends next: [Begin + Ahead, End + Ahead) must lie inside both.
// With Changed, marks the blocks (see TChangedBlocks) where a byte changed.
size_t BlendPacked(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End,
                   size_t Ahead, uint64_t* Changed);
// Blend for i in [Begin, End): the packed words, then the last few bytes
// plainly (marked changed without looking). Ahead as for BlendPacked.
void BlendRange(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End,
                size_t Ahead, uint64_t* Changed);

}  // namespace emberdell
