#include "core/engine/uFlameStep.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/shared/uPrecision.h"
#include "core/shared/uRandom.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace emberdell {

void BandRows(int Height, int PictureHeight, int& Top, int& Bottom) {
  long double Half;
  long long T, B;
  {
    TExtendedPrecision Precision;
    // Left to right, one rounding per operation: H / 100 is inexact, so a
    // product that should be whole can land just below it.
    volatile long double h = static_cast<long double>(Height);
    Half = h / 100.0L;
    Half = Half * static_cast<long double>(100 - static_cast<long long>(PictureHeight));
    Half = Half / 2.0L;
    T = static_cast<long long>(Half);
    B = static_cast<long long>(h - Half);
  }
  T = std::clamp<long long>(T, 0, std::max(Height, 0));
  B = std::clamp<long long>(B, 0, std::max(Height, 0));
  if (B < T) B = T;
  Top = static_cast<int>(T);
  Bottom = static_cast<int>(B);
}

namespace {

struct TStepSetup {
  int lw, rw;
  uint32_t Range;
  bool CanIgnite;
  // Random(Range) = 1 exactly when the new seed lies in [SparkFrom,
  // SparkFrom + SparkSpan): the high half of seed x Range is 1 when
  // 2^32 <= seed x Range < 2^33.
  uint64_t SparkFrom, SparkSpan;
};

TStepSetup Setup(const TStepParams& P) {
  const int s = (P.Wind > 0) - (P.Wind < 0);
  // 22 - 2 x FlameIntensity may leave the 32-bit range for hand-made styles;
  // a range below 2 can never draw a 1, so nothing ignites (FlameIntensity 11
  // and above), but the draws still happen and move the seed.
  const long long Range = 22 - 2 * static_cast<long long>(P.FlameIntensity);
  TStepSetup S;
  S.lw = 2 + s;
  S.rw = 2 - s;
  S.CanIgnite = Range >= 2;
  S.Range = Range <= 0 ? 0u : static_cast<uint32_t>(std::min<long long>(Range, 0xFFFFFFFFll));
  S.SparkFrom = 0;
  S.SparkSpan = 0;
  if (S.CanIgnite) {
    const uint64_t r = S.Range;
    S.SparkFrom = ((uint64_t(1) << 32) + r - 1) / r;
    const uint64_t To = std::min<uint64_t>(((uint64_t(1) << 33) + r - 1) / r, uint64_t(1) << 32);
    S.SparkSpan = To - S.SparkFrom;
  }
  return S;
}

// The generator's step and its powers, for four draws at a time.
constexpr uint32_t A1 = 134775813u, C1 = 1u;
constexpr uint32_t A2 = A1 * A1, C2 = A1 * C1 + 1u;
constexpr uint32_t A3 = A2 * A1, C3 = A1 * C2 + 1u;
constexpr uint32_t A4 = A3 * A1, C4 = A1 * C3 + 1u;

// For each set of the eight cells of a 16-byte chunk (bit k: cell at byte
// 2k is an edge), the byte offsets of those cells in order, and how many.
struct TCellList {
  uint8_t Offset[8];
  int Count;
};
struct TCellLists {
  TCellList List[256];
  constexpr TCellLists() : List{} {
    for (int m = 0; m < 256; ++m) {
      int n = 0;
      for (int k = 0; k < 8; ++k)
        if (m & (1 << k)) List[m].Offset[n++] = static_cast<uint8_t>(2 * k);
      List[m].Count = n;
    }
  }
  const TCellList& operator[](unsigned m) const { return List[m]; }
};
constexpr TCellLists CellLists;

inline uint8_t CellValue(const uint8_t* Heat, size_t p, size_t W, int lw, int rw, uint8_t Cooling) {
  unsigned v = (lw * Heat[p - 2] + 2 * Heat[p] + rw * Heat[p + 2] + 2 * Heat[p + 2 * W]) >> 3;
  if (v >= Cooling) v -= Cooling;
  return static_cast<uint8_t>(v);
}

inline void WriteCell(uint8_t* Heat, size_t p, size_t W, uint8_t v) {
  Heat[p - W] = v;
  Heat[p - 2 * W] = v;
  Heat[p + 1 - W] = v;
  Heat[p + 1 - 2 * W] = v;
}

}  // namespace

void FlameStepReference(uint8_t* Heat, const uint8_t* Edges, const TStepParams& P, uint32_t& Seed) {
  if (P.Width <= 0) return;
  const TStepSetup S = Setup(P);
  const size_t W = static_cast<size_t>(P.Width);
  for (int y = P.Top + 2; y <= P.Bottom - 3; y += 2) {
    for (int x = 0; x < P.Width; x += 2) {
      const size_t p = static_cast<size_t>(y) * W + static_cast<size_t>(x);
      if (Edges[p] != 0 && RandomStep(Seed, S.Range) == 1 && S.CanIgnite) {
        Heat[p + 2 * W] = 255;
        continue;
      }
      WriteCell(Heat, p, W, CellValue(Heat, p, W, S.lw, S.rw, P.Cooling));
    }
  }
}

namespace {

TSimdLevel DetectSimd() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return TSimdLevel::Avx2;
#endif
#if defined(__SSE2__)
  return TSimdLevel::Sse2;
#else
  return TSimdLevel::Scalar;
#endif
}

TSimdLevel& SimdSetting() {
  static TSimdLevel Level = DetectSimd();
  return Level;
}

// The cells of one row from x up to RegionEnd, 8 (SSE2) or 16 (AVX2) at a
// time: each 16-bit lane holds one cell, its low byte the pixel at even x.
// Returns where the packed part stopped.
#if defined(__SSE2__)
int RowCellsSse2(uint8_t* Row, size_t W, int x, int RegionEnd, int lw, int rw, uint8_t Cooling) {
  const __m128i Low = _mm_set1_epi16(0x00FF);
  const __m128i LW = _mm_set1_epi16(static_cast<short>(lw));
  const __m128i RW = _mm_set1_epi16(static_cast<short>(rw));
  const __m128i Cool = _mm_set1_epi16(Cooling);
  for (; x + 16 <= RegionEnd; x += 16) {
    const uint8_t* p = Row + x;
    const __m128i L = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 2)), Low);
    const __m128i C = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), Low);
    const __m128i R = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2)), Low);
    const __m128i B = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * W)), Low);
    __m128i Sum = _mm_add_epi16(_mm_mullo_epi16(L, LW), _mm_mullo_epi16(R, RW));
    Sum = _mm_add_epi16(Sum, _mm_slli_epi16(_mm_add_epi16(C, B), 1));
    const __m128i v = _mm_srli_epi16(Sum, 3);
    // v - cooling where that does not go below zero, else v itself.
    const __m128i Below = _mm_cmplt_epi16(v, Cool);
    const __m128i Cooled = _mm_or_si128(_mm_and_si128(Below, v), _mm_andnot_si128(Below, _mm_sub_epi16(v, Cool)));
    const __m128i Both = _mm_or_si128(Cooled, _mm_slli_epi16(Cooled, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Row + x - W), Both);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Row + x - 2 * W), Both);
  }
  return x;
}

size_t BlendSse2(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t i, size_t End) {
  // Halving eight-bit lanes: shift the 16-bit lanes and drop the bit that
  // crossed from the neighbouring byte. Only the final "+ 10" can overflow.
  const __m128i Seven = _mm_set1_epi8(0x7F);
  const __m128i Ten = _mm_set1_epi8(10);
  for (; i + 16 <= End; i += 16) {
    const __m128i h = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Heat + i));
    const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Background + i));
    const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Image + i));
    __m128i s = _mm_add_epi8(_mm_and_si128(_mm_srli_epi16(h, 1), Seven), _mm_and_si128(_mm_srli_epi16(g, 1), Seven));
    s = _mm_and_si128(_mm_srli_epi16(s, 1), Seven);
    s = _mm_add_epi8(s, _mm_and_si128(_mm_srli_epi16(m, 1), Seven));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Image + i), _mm_adds_epu8(s, Ten));
  }
  return i;
}
#endif

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) int RowCellsAvx2(uint8_t* Row, size_t W, int x, int RegionEnd, int lw, int rw,
                                                  uint8_t Cooling) {
  const __m256i Low = _mm256_set1_epi16(0x00FF);
  const __m256i LW = _mm256_set1_epi16(static_cast<short>(lw));
  const __m256i RW = _mm256_set1_epi16(static_cast<short>(rw));
  const __m256i Cool = _mm256_set1_epi16(Cooling);
  for (; x + 32 <= RegionEnd; x += 32) {
    const uint8_t* p = Row + x;
    const __m256i L = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p - 2)), Low);
    const __m256i C = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), Low);
    const __m256i R = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2)), Low);
    const __m256i B = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2 * W)), Low);
    __m256i Sum = _mm256_add_epi16(_mm256_mullo_epi16(L, LW), _mm256_mullo_epi16(R, RW));
    Sum = _mm256_add_epi16(Sum, _mm256_slli_epi16(_mm256_add_epi16(C, B), 1));
    const __m256i v = _mm256_srli_epi16(Sum, 3);
    // Unsigned: max(v - c, 0) equals v - c exactly when v >= c.
    const __m256i Sub = _mm256_subs_epu16(v, Cool);
    const __m256i Below = _mm256_cmpgt_epi16(Cool, v);
    const __m256i Cooled = _mm256_blendv_epi8(Sub, v, Below);
    const __m256i Both = _mm256_or_si256(Cooled, _mm256_slli_epi16(Cooled, 8));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Row + x - W), Both);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Row + x - 2 * W), Both);
  }
  return RowCellsSse2(Row, W, x, RegionEnd, lw, rw, Cooling);
}

__attribute__((target("avx2"))) size_t BlendAvx2(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background,
                                                 size_t i, size_t End) {
  const __m256i Seven = _mm256_set1_epi8(0x7F);
  const __m256i Ten = _mm256_set1_epi8(10);
  for (; i + 32 <= End; i += 32) {
    const __m256i h = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Heat + i));
    const __m256i g = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Background + i));
    const __m256i m = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Image + i));
    __m256i s = _mm256_add_epi8(_mm256_and_si256(_mm256_srli_epi16(h, 1), Seven),
                                _mm256_and_si256(_mm256_srli_epi16(g, 1), Seven));
    s = _mm256_and_si256(_mm256_srli_epi16(s, 1), Seven);
    s = _mm256_add_epi8(s, _mm256_and_si256(_mm256_srli_epi16(m, 1), Seven));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Image + i), _mm256_adds_epu8(s, Ten));
  }
  return BlendSse2(Image, Heat, Background, i, End);
}
#endif

int RowCellsPacked(uint8_t* Row, size_t W, int RegionEnd, int lw, int rw, uint8_t Cooling) {
  switch (SimdSetting()) {
#if defined(__x86_64__) || defined(__i386__)
    case TSimdLevel::Avx2: return RowCellsAvx2(Row, W, 0, RegionEnd, lw, rw, Cooling);
#endif
#if defined(__SSE2__)
    case TSimdLevel::Sse2: return RowCellsSse2(Row, W, 0, RegionEnd, lw, rw, Cooling);
#endif
    default: return 0;
  }
}

size_t BlendPacked(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End) {
  switch (SimdSetting()) {
#if defined(__x86_64__) || defined(__i386__)
    case TSimdLevel::Avx2: return BlendAvx2(Image, Heat, Background, Begin, End);
#endif
#if defined(__SSE2__)
    case TSimdLevel::Sse2: return BlendSse2(Image, Heat, Background, Begin, End);
#endif
    default: break;
  }
  // Eight bytes at a time in a 64-bit word: the same halving, then a
  // saturating "+ 10" from the bytes that reach 246.
  const uint64_t Seven = 0x7F7F7F7F7F7F7F7Full, Ones = 0x0101010101010101ull;
  size_t i = Begin;
  for (; i + 8 <= End; i += 8) {
    uint64_t h, g, m;
    std::memcpy(&h, Heat + i, 8);
    std::memcpy(&g, Background + i, 8);
    std::memcpy(&m, Image + i, 8);
    uint64_t s = ((h >> 1) & Seven) + ((g >> 1) & Seven);
    s = ((s >> 1) & Seven) + ((m >> 1) & Seven);  // every byte <= 254
    // A byte overflows with + 10 when it is >= 246: its top bit and the
    // carry out of (byte & 0x7F) + 10 are both set.
    const uint64_t Carry = (((s & Seven) + 10 * Ones) & s) & (Ones << 7);
    const uint64_t Mask = (Carry >> 7) * 0xFF;
    const uint64_t Sum = ((s & Seven) + 10 * Ones) ^ (s & (Ones << 7));
    const uint64_t Out = Sum | Mask;
    std::memcpy(Image + i, &Out, 8);
  }
  return i;
}

}  // namespace

TSimdLevel ActiveSimd() { return SimdSetting(); }

TSimdLevel ForceSimd(TSimdLevel Level) {
  const TSimdLevel Best = DetectSimd();
  if (static_cast<int>(Level) > static_cast<int>(Best)) Level = Best;
  SimdSetting() = Level;
  return Level;
}

void FlameStep(uint8_t* Heat, const uint8_t* Edges, const TStepParams& P, uint32_t& Seed, TStepScratch& Scratch,
               const TBlendTarget* BlendInto) {
  if (P.Width <= 0) {
    return;
  }
  const TStepSetup S = Setup(P);
  const int Width = P.Width;
  const size_t W = static_cast<size_t>(Width);
  // With an odd width the last cell (x = W - 1) wraps its writes into the
  // next row's first column; it is done last and on its own, as the walk
  // over the flat array would do it. All other cells write inside their row.
  const int RegionEnd = (Width % 2 == 0) ? Width : Width - 1;
  const bool OddTail = (Width % 2) != 0;
  const size_t MaxSparks = W / 2 + 1;
  if (Scratch.Sparks.size() < MaxSparks) Scratch.Sparks.resize(MaxSparks);
  if (Scratch.Saved.size() < MaxSparks) Scratch.Saved.resize(MaxSparks);
  // Room for a whole chunk's offsets past the last cell.
  if (Scratch.Edges.size() < MaxSparks + 16) Scratch.Edges.resize(MaxSparks + 16);
  int* Sparks = Scratch.Sparks.data();
  int* Edge = Scratch.Edges.data();
  // A local copy: the compiler cannot tell the caller's seed from the lists
  // written in the same loop and would store it on every draw.
  uint32_t LocalSeed = Seed;
  TStepScratch::TSaved* Saved = Scratch.Saved.data();

  // Rows above the last visited row are final as soon as that row is done,
  // so they are blended while still in the cache.
  int Blended = P.Top;
  auto BlendUpTo = [&](int EndRow) {
    if (BlendInto == nullptr || EndRow <= Blended) return;
    const size_t b = static_cast<size_t>(Blended) * W, e = static_cast<size_t>(EndRow) * W;
    const size_t i = BlendPacked(BlendInto->Image, Heat, BlendInto->Background, b, e);
    BlendReference(BlendInto->Image, Heat, BlendInto->Background, i, e);
    Blended = EndRow;
  };

  for (int y = P.Top + 2; y <= P.Bottom - 3; y += 2) {
    const size_t RowStart = static_cast<size_t>(y) * W;
    uint8_t* Row = Heat + RowStart;
    const uint8_t* EdgeRow = Edges + RowStart;

    // 1. The draws, in cell order: only edge cells draw. First the row's edge
    //    cells are listed, eight cells at a time through a table and without
    //    a branch; then one tight loop draws for each, in order.
    int EdgeCount = 0;
    int x = 0;
#if defined(__SSE2__)
    {
      const __m128i Low = _mm_set1_epi16(0x00FF);
      const __m128i Zero = _mm_setzero_si128();
      for (; x + 16 <= Width; x += 16) {
        const __m128i e = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(EdgeRow + x)), Low);
        // Most of a picture has no outline: skip such chunks at once.
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(e, Zero)) == 0xFFFF) continue;
        const __m128i Empty = _mm_cmpeq_epi16(e, Zero);
        const unsigned Mask = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(Empty, Zero))) & 0xFFu;
        const TCellList& Cells = CellLists[Mask];
        for (int k = 0; k < 8; ++k) Edge[EdgeCount + k] = x + Cells.Offset[k];
        EdgeCount += Cells.Count;
      }
    }
#endif
    for (; x < Width; x += 2) {
      Edge[EdgeCount] = x;
      EdgeCount += EdgeRow[x] != 0;
    }
    // Four draws per step of the chain: seed i + k is A^k x seed i + C_k, so
    // the four multiplications do not wait for each other.
    int SparkCount = 0;
    int i = 0;
    auto Take = [&](uint32_t Drawn, int Cell) {
      Sparks[SparkCount] = Cell;
      SparkCount += (static_cast<uint64_t>(Drawn) - S.SparkFrom) < S.SparkSpan;
    };
    for (; i + 4 <= EdgeCount; i += 4) {
      const uint32_t s = LocalSeed;
      Take(A1 * s + C1, Edge[i]);
      Take(A2 * s + C2, Edge[i + 1]);
      Take(A3 * s + C3, Edge[i + 2]);
      LocalSeed = A4 * s + C4;
      Take(LocalSeed, Edge[i + 3]);
    }
    for (; i < EdgeCount; ++i) {
      LocalSeed = A1 * LocalSeed + C1;
      Take(LocalSeed, Edge[i]);
    }

    // 2. A sparking cell leaves the cell above as it was: remember it, let
    //    the packed pass write every cell, then put it back.
    int SavedCount = 0;
    for (int i = 0; i < SparkCount; ++i) {
      if (Sparks[i] >= RegionEnd) continue;
      const size_t p = RowStart + static_cast<size_t>(Sparks[i]);
      std::memcpy(&Saved[SavedCount].Up1, Heat + p - W, 2);
      std::memcpy(&Saved[SavedCount].Up2, Heat + p - 2 * W, 2);
      Saved[SavedCount++].p = p;
    }

    // 3. Every cell of the row reads only values that this row does not
    //    write (its own row, the row below and the wrapped neighbours), except
    //    the first cell's left neighbour (W - 2, y - 1), which the last cells
    //    overwrite: going left to right reads it first.
    x = RowCellsPacked(Row, W, RegionEnd, S.lw, S.rw, P.Cooling);
    for (; x < RegionEnd; x += 2) {
      const size_t p = RowStart + static_cast<size_t>(x);
      WriteCell(Heat, p, W, CellValue(Heat, p, W, S.lw, S.rw, P.Cooling));
    }
    for (int i = 0; i < SavedCount; ++i) {
      std::memcpy(Heat + Saved[i].p - W, &Saved[i].Up1, 2);
      std::memcpy(Heat + Saved[i].p - 2 * W, &Saved[i].Up2, 2);
    }
    if (OddTail) {
      const size_t p = RowStart + static_cast<size_t>(Width - 1);
      const bool Sparked = SparkCount > 0 && Sparks[SparkCount - 1] == Width - 1;
      if (!Sparked) WriteCell(Heat, p, W, CellValue(Heat, p, W, S.lw, S.rw, P.Cooling));
    }
    // 4. The sparks land in the row below, which no cell of this row reads
    //    except the sparking cell itself.
    for (int i = 0; i < SparkCount; ++i) Row[2 * W + static_cast<size_t>(Sparks[i])] = 255;

    // The odd tail writes the first pixel of row y, so only rows above y are final.
    BlendUpTo(y - 1);
  }
  BlendUpTo(P.Bottom);
  Seed = LocalSeed;
}

void FlameStep(uint8_t* Heat, const uint8_t* Edges, const TStepParams& Params, uint32_t& Seed,
               std::vector<int>& Sparks) {
  TStepScratch Scratch;
  Scratch.Sparks.swap(Sparks);
  FlameStep(Heat, Edges, Params, Seed, Scratch, nullptr);
  Sparks.swap(Scratch.Sparks);
}

void BlendReference(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End) {
  for (size_t i = Begin; i < End; ++i) {
    const unsigned v = (((Heat[i] >> 1) + (Background[i] >> 1)) >> 1) + (Image[i] >> 1) + 10;
    Image[i] = static_cast<uint8_t>(v > 255 ? 255 : v);
  }
}

void Blend(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End) {
  if (End <= Begin) return;
  const size_t i = BlendPacked(Image, Heat, Background, Begin, End);
  BlendReference(Image, Heat, Background, i, End);
}

void GreyFromPixels(const uint8_t* Pixels, size_t Count, uint8_t* Grey) {
  for (size_t i = 0; i < Count; ++i) {
    const uint8_t* px = Pixels + 4 * i;
    Grey[i] = static_cast<uint8_t>((px[0] + px[1] + px[2]) / 3);
  }
}

void BuildEdgeMask(const uint8_t* Grey, int Width, int Height, uint8_t* Edges) {
  const size_t W = static_cast<size_t>(std::max(Width, 0));
  const size_t N = W * static_cast<size_t>(std::max(Height, 0));
  if (N == 0) return;
  std::memset(Edges, 0, N);
  for (int y = 2; y <= Height - 7; ++y) {
    for (int x = 2; x <= Width - 2; ++x) {
      const size_t p = static_cast<size_t>(y) * W + static_cast<size_t>(x);
      const int Sum = Grey[p - W - 1] + Grey[p - W] + Grey[p - W + 1] + Grey[p - 1] + Grey[p + 1] +
                      Grey[p + W - 1] + Grey[p + W] + Grey[p + W + 1];
      const int L = Sum - 8 * Grey[p];
      // Only the low byte of |L| counts: |L| = 300 gives 44 and is no edge.
      const int e = (L < 0 ? -L : L) & 0xFF;
      Edges[p] = e >= 50 ? 255 : 0;
    }
  }
}

bool PictureHasEdges(const uint8_t* Pixels, int Width, int Height) {
  if (Pixels == nullptr || Width <= 0 || Height <= 0) return false;
  const size_t N = static_cast<size_t>(Width) * static_cast<size_t>(Height);
  std::vector<uint8_t> Grey(N), Edges(N);
  GreyFromPixels(Pixels, N, Grey.data());
  BuildEdgeMask(Grey.data(), Width, Height, Edges.data());
  for (uint8_t e : Edges)
    if (e != 0) return true;
  return false;
}

void SmoothShot(uint8_t* Image, int Width, int Height) {
  const size_t W = static_cast<size_t>(std::max(Width, 0));
  for (int y = 2; y <= Height - 2; ++y) {
    for (int x = 2; x <= Width - 2; ++x) {
      const size_t p = static_cast<size_t>(y) * W + static_cast<size_t>(x);
      const int Sum = Image[p - W - 1] + Image[p - W] + Image[p - W + 1] + Image[p - 1] + Image[p + 1] +
                      Image[p + W - 1] + Image[p + W] + Image[p + W + 1];
      Image[p] = static_cast<uint8_t>((Sum + 8 * Image[p]) / 16);
    }
  }
}

}  // namespace emberdell
