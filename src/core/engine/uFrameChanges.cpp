#include "core/engine/uFrameChanges.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/engine/uFlameKernels.h"
#include "core/engine/uFlameStep.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace emberdell {

namespace {

int64_t Area(const TRect& R) { return int64_t(R.Right - R.Left) * int64_t(R.Bottom - R.Top); }

#if defined(__x86_64__) || defined(__i386__)
// A whole block of 32 pixels to a 32-byte aligned place: the four stores
// write two whole cache lines, which the processor then neither reads first
// nor keeps. Between frames the window's pixels leave the cache anyway, and
// reading them in before writing over them would be most of the cost of a
// changed block. The table is read entry by entry (bench/README.md).
__attribute__((target("avx2"))) void ExpandBlockStreamingAvx2(const uint8_t* Index, const uint32_t* Table,
                                                              uint32_t* Out) {
  for (int k = 0; k < 32; k += 8) {
    uint64_t x;
    std::memcpy(&x, Index + k, 8);
    const __m256i Pixels = _mm256_setr_epi32(
        static_cast<int>(Table[x & 255]), static_cast<int>(Table[(x >> 8) & 255]),
        static_cast<int>(Table[(x >> 16) & 255]), static_cast<int>(Table[(x >> 24) & 255]),
        static_cast<int>(Table[(x >> 32) & 255]), static_cast<int>(Table[(x >> 40) & 255]),
        static_cast<int>(Table[(x >> 48) & 255]), static_cast<int>(Table[x >> 56]));
    _mm256_stream_si256(reinterpret_cast<__m256i*>(Out + k), Pixels);
  }
}
#endif

}  // namespace

void JoinBands(const std::vector<int32_t>& Left, const std::vector<int32_t>& Right, int Width, int Height,
               std::vector<TRect>& Rects) {
  Rects.clear();
  bool Open = false;
  TRect Current;
  int64_t Needed = 0;  // what Current's bands cover: Current less what joining them wastes
  for (size_t b = 0; b < Left.size(); ++b) {
    if (Left[b] >= Right[b]) continue;
    const int Top = static_cast<int>(b) * kChangeBandRows;
    const TRect Band{std::max(0, Left[b]), Top, std::min(Width, Right[b]), std::min(Height, Top + kChangeBandRows)};
    if (Open) {
      const TRect Joined{std::min(Current.Left, Band.Left), Current.Top, std::max(Current.Right, Band.Right),
                         Band.Bottom};
      // The waste of the whole rectangle counts, not just this band's: a
      // wide flame above a narrow column must not pull the column's rows
      // in one by one.
      if (Area(Joined) <= Needed + Area(Band) + kRectangleCostPixels) {
        Current = Joined;
        Needed += Area(Band);
        continue;
      }
      Rects.push_back(Current);
    }
    Current = Band;
    Needed = Area(Band);
    Open = true;
  }
  if (Open) Rects.push_back(Current);
}

void TFrameChanges::ExpandChangedBlocks(const uint8_t* Bits, size_t Stride, const TChangedBlocks& Changed,
                                        uint8_t* Out, size_t OutStride) {
  constexpr size_t B = TChangedBlocks::BlockBytes;
  const size_t W = static_cast<size_t>(FWidth);
  const uint64_t* Words = Changed.Words.data();
  [[maybe_unused]] const bool Streaming = ActiveSimd() == TSimdLevel::Avx2;
  for (size_t y = 0; y < static_cast<size_t>(FHeight); ++y) {
    const uint8_t* Row = Bits + y * Stride;
    uint32_t* Dest = reinterpret_cast<uint32_t*>(Out + y * OutStride);
    // The row's bytes in the unpadded image, and the blocks they fall in.
    const size_t RowBegin = y * W, RowEnd = RowBegin + W;
    const size_t LastBlock = (RowEnd - 1) / B;
    size_t First = W, Last = 0;
    for (size_t b = RowBegin / B; b <= LastBlock;) {
      const uint64_t Rest = Words[b / 64] >> (b % 64);
      if (Rest == 0) {
        b = (b | 63) + 1;
        continue;
      }
      b += static_cast<size_t>(std::countr_zero(Rest));
      if (b > LastBlock) break;
      const size_t x0 = std::max(b * B, RowBegin) - RowBegin, x1 = std::min(b * B + B, RowEnd) - RowBegin;
      size_t x = x0;
#if defined(__x86_64__) || defined(__i386__)
      if (Streaming && x1 - x0 == B && (reinterpret_cast<uintptr_t>(Dest + x0) & 31) == 0) {
        ExpandBlockStreamingAvx2(Row + x0, FTable, Dest + x0);
        x = x1;
      }
#endif
      for (; x + 8 <= x1; x += 8) ExpandEight(Row + x, FTable, Dest + x);
      for (; x < x1; ++x) Dest[x] = FTable[Row[x]];
      First = std::min(First, x0);
      Last = x1;
      ++b;
    }
    if (First < Last) {
      const size_t Band = y / kChangeBandRows;
      FBandLeft[Band] = std::min(FBandLeft[Band], static_cast<int32_t>(First));
      FBandRight[Band] = std::max(FBandRight[Band], static_cast<int32_t>(Last));
    }
  }
#if defined(__x86_64__) || defined(__i386__)
  // The streamed pixels are in memory before anyone is told to copy them.
  if (Streaming) _mm_sfence();
#endif
}

const std::vector<TRect>& TFrameChanges::Update(const uint8_t* Bits, size_t Stride, int Width, int Height,
                                               const uint32_t Table[256], uint8_t* Out, size_t OutStride,
                                               const TChangedBlocks& Changed) {
  FRects.clear();
  if (Width <= 0 || Height <= 0) return FRects;
  const size_t W = static_cast<size_t>(Width);
  const size_t Pixels = W * static_cast<size_t>(Height);
  // A map for another size says nothing about this frame.
  const bool Mapped = !Changed.All && Changed.Words.size() * 64 * TChangedBlocks::BlockBytes >= Pixels;
  if (!FValid || !Mapped || Width != FWidth || Height != FHeight || std::memcmp(Table, FTable, sizeof FTable) != 0) {
    std::memcpy(FTable, Table, sizeof FTable);
    FWidth = Width;
    FHeight = Height;
    for (size_t y = 0; y < static_cast<size_t>(Height); ++y)
      ExpandThroughColorTable(Bits + y * Stride, FTable, reinterpret_cast<uint32_t*>(Out + y * OutStride), W);
    FValid = true;
    FRects.push_back(TRect{0, 0, Width, Height});
    return FRects;
  }
  const size_t Bands = (static_cast<size_t>(Height) + kChangeBandRows - 1) / kChangeBandRows;
  FBandLeft.assign(Bands, Width);
  FBandRight.assign(Bands, 0);
  ExpandChangedBlocks(Bits, Stride, Changed, Out, OutStride);
  JoinBands(FBandLeft, FBandRight, Width, Height, FRects);
  return FRects;
}

}  // namespace emberdell
