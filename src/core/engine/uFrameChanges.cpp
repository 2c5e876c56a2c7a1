#include "core/engine/uFrameChanges.h"

#include <algorithm>
#include <cstring>

#include "core/engine/uFlameKernels.h"
#include "core/engine/uFlameStep.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace emberdell {

namespace {

constexpr int kBlock = 16;

// Bit i set where a[i] != b[i], for the kBlock bytes from a and b.
inline uint32_t DifferingBytes(const uint8_t* a, const uint8_t* b) {
#if defined(__SSE2__)
  const __m128i Same = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a)),
                                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)));
  return ~static_cast<uint32_t>(_mm_movemask_epi8(Same)) & 0xFFFFu;
#else
  uint32_t Mask = 0;
  for (int i = 0; i < kBlock; ++i) Mask |= static_cast<uint32_t>(a[i] != b[i]) << i;
  return Mask;
#endif
}

int64_t Area(const TRect& R) { return int64_t(R.Right - R.Left) * int64_t(R.Bottom - R.Top); }

// One row: each block of sixteen is compared and, when any of it changed,
// looked up in the table, stored whole and remembered; Left and Right widen
// to take it in.
void ExpandRowBlocks(const uint8_t* Row, uint8_t* Old, const uint32_t* Table, uint32_t* Dest, int Width, int& Left,
                     int& Right) {
  int First = Width, Last = 0, x = 0;
  for (; x + kBlock <= Width; x += kBlock) {
    if (DifferingBytes(Row + x, Old + x) == 0) continue;
    std::memcpy(Old + x, Row + x, kBlock);
    // Sixteen loads from the table in the first-level cache: a block at a
    // time, they measure faster than two gathers.
    ExpandEight(Row + x, Table, Dest + x);
    ExpandEight(Row + x + 8, Table, Dest + x + 8);
    First = std::min(First, x);
    Last = x + kBlock;
  }
  for (; x < Width; ++x)
    if (Row[x] != Old[x]) {
      Old[x] = Row[x];
      Dest[x] = Table[Row[x]];
      First = std::min(First, x);
      Last = x + 1;
    }
  Left = std::min(Left, First);
  Right = std::max(Right, Last);
}

#if defined(__x86_64__) || defined(__i386__)
// As ExpandRowBlocks, two blocks to a comparison: most of a quiet desktop is
// unchanged, and there the comparisons are all the work.
__attribute__((target("avx2"))) void ExpandRowPairsAvx2(const uint8_t* Row, uint8_t* Old, const uint32_t* Table,
                                                        uint32_t* Dest, int Width, int& Left, int& Right) {
  int First = Width, Last = 0, x = 0;
  for (; x + 2 * kBlock <= Width; x += 2 * kBlock) {
    const __m256i New = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Row + x));
    const __m256i Was = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Old + x));
    const uint32_t Differing = ~static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(New, Was)));
    if (Differing == 0) continue;
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Old + x), New);
    for (int Half = 0; Half < 2; ++Half) {
      if (((Differing >> (Half * kBlock)) & 0xFFFFu) == 0) continue;
      const int b = x + Half * kBlock;
      ExpandEight(Row + b, Table, Dest + b);
      ExpandEight(Row + b + 8, Table, Dest + b + 8);
      First = std::min(First, b);
      Last = b + kBlock;
    }
  }
  int RestLeft = Width, RestRight = 0;
  if (x < Width)
    ExpandRowBlocks(Row + x, Old + x, Table, Dest + x, Width - x, RestLeft, RestRight);
  if (RestLeft < RestRight) {
    First = std::min(First, x + RestLeft);
    Last = x + RestRight;
  }
  Left = std::min(Left, First);
  Right = std::max(Right, Last);
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

const std::vector<TRect>& TFrameChanges::Update(const uint8_t* Bits, size_t Stride, int Width, int Height,
                                               const uint32_t Table[256], uint8_t* Out, size_t OutStride) {
  FRects.clear();
  if (Width <= 0 || Height <= 0) return FRects;
  const size_t W = static_cast<size_t>(Width);
  const bool Whole = !FValid || Width != FWidth || Height != FHeight ||
                     std::memcmp(Table, FTable, sizeof FTable) != 0;
  if (Whole) {
    std::memcpy(FTable, Table, sizeof FTable);
    FWidth = Width;
    FHeight = Height;
    FPrevious.resize(W * static_cast<size_t>(Height));
    for (size_t y = 0; y < static_cast<size_t>(Height); ++y) {
      ExpandThroughColorTable(Bits + y * Stride, FTable, reinterpret_cast<uint32_t*>(Out + y * OutStride), W);
      std::memcpy(&FPrevious[y * W], Bits + y * Stride, W);
    }
    FValid = true;
    FRects.push_back(TRect{0, 0, Width, Height});
    return FRects;
  }
  const size_t Bands = (static_cast<size_t>(Height) + kChangeBandRows - 1) / kChangeBandRows;
  FBandLeft.assign(Bands, Width);
  FBandRight.assign(Bands, 0);
  const TSimdLevel Simd = ActiveSimd();
  for (int y = 0; y < Height; ++y) {
    const uint8_t* Row = Bits + static_cast<size_t>(y) * Stride;
    uint8_t* Old = &FPrevious[static_cast<size_t>(y) * W];
    uint32_t* Dest = reinterpret_cast<uint32_t*>(Out + static_cast<size_t>(y) * OutStride);
    const size_t Band = static_cast<size_t>(y / kChangeBandRows);
#if defined(__x86_64__) || defined(__i386__)
    if (Simd == TSimdLevel::Avx2) {
      ExpandRowPairsAvx2(Row, Old, FTable, Dest, Width, FBandLeft[Band], FBandRight[Band]);
      continue;
    }
#endif
    ExpandRowBlocks(Row, Old, FTable, Dest, Width, FBandLeft[Band], FBandRight[Band]);
  }
  JoinBands(FBandLeft, FBandRight, Width, Height, FRects);
  return FRects;
}

}  // namespace emberdell
