#include "uFlameStep.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "uPrecision.h"
#include "uRandom.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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
  return S;
}

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

void FlameStep(uint8_t* Heat, const uint8_t* Edges, const TStepParams& P, uint32_t& Seed,
               std::vector<int>& Sparks) {
  if (P.Width <= 0) return;
  const TStepSetup S = Setup(P);
  const int Width = P.Width;
  const size_t W = static_cast<size_t>(Width);
  // With an odd width the last cell (x = W - 1) wraps its writes into the
  // next row's first column; it is done last and on its own, as the walk
  // over the flat array would do it. All other cells write inside their row.
  const int RegionEnd = (Width % 2 == 0) ? Width : Width - 1;
  const bool OddTail = (Width % 2) != 0;
  struct TSaved {
    size_t p;
    uint16_t Up1, Up2;
  };
  TSaved SavedStack[64];
  std::vector<TSaved> SavedHeap;

  for (int y = P.Top + 2; y <= P.Bottom - 3; y += 2) {
    const size_t RowStart = static_cast<size_t>(y) * W;
    uint8_t* Row = Heat + RowStart;
    const uint8_t* EdgeRow = Edges + RowStart;

    // 1. The draws, in cell order: only edge cells draw.
    Sparks.clear();
    int x = 0;
#if defined(__SSE2__)
    {
      const __m128i Low = _mm_set1_epi16(0x00FF);
      const __m128i Zero = _mm_setzero_si128();
      for (; x + 16 <= Width; x += 16) {
        const __m128i e = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(EdgeRow + x)), Low);
        unsigned Bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(e, Zero))) ^ 0xFFFFu;
        while (Bits != 0) {
          const int Lane = __builtin_ctz(Bits);
          Bits &= ~(3u << Lane);
          if (RandomStep(Seed, S.Range) == 1 && S.CanIgnite) Sparks.push_back(x + Lane);
        }
      }
    }
#endif
    for (; x < Width; x += 2)
      if (EdgeRow[x] != 0 && RandomStep(Seed, S.Range) == 1 && S.CanIgnite) Sparks.push_back(x);

    // 2. A sparking cell leaves the cell above as it was: remember it, let
    //    the packed pass write every cell, then put it back.
    TSaved* Saved = SavedStack;
    size_t SavedCount = 0;
    if (Sparks.size() > 64) {
      SavedHeap.resize(Sparks.size());
      Saved = SavedHeap.data();
    }
    for (int sx : Sparks) {
      if (sx >= RegionEnd) continue;
      const size_t p = RowStart + static_cast<size_t>(sx);
      uint16_t a, b;
      std::memcpy(&a, Heat + p - W, 2);
      std::memcpy(&b, Heat + p - 2 * W, 2);
      Saved[SavedCount++] = {p, a, b};
    }

    // 3. Every cell of the row reads only values that this row does not
    //    write (its own row, the row below and the wrapped neighbours), except
    //    the first cell's left neighbour (W - 2, y - 1), which the last cells
    //    overwrite: going left to right reads it first.
    x = 0;
#if defined(__SSE2__)
    {
      const __m128i Low = _mm_set1_epi16(0x00FF);
      const __m128i LW = _mm_set1_epi16(static_cast<short>(S.lw));
      const __m128i RW = _mm_set1_epi16(static_cast<short>(S.rw));
      const __m128i Cool = _mm_set1_epi16(P.Cooling);
      for (; x + 16 <= RegionEnd; x += 16) {
        const uint8_t* p = Row + x;
        const __m128i L = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 2)), Low);
        const __m128i C = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), Low);
        const __m128i R = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2)), Low);
        const __m128i B = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * W)), Low);
        __m128i Sum = _mm_add_epi16(_mm_mullo_epi16(L, LW), _mm_mullo_epi16(R, RW));
        Sum = _mm_add_epi16(Sum, _mm_slli_epi16(_mm_add_epi16(C, B), 1));
        const __m128i v = _mm_srli_epi16(Sum, 3);
        const __m128i Below = _mm_cmplt_epi16(v, Cool);
        const __m128i Cooled =
            _mm_or_si128(_mm_and_si128(Below, v), _mm_andnot_si128(Below, _mm_sub_epi16(v, Cool)));
        const __m128i Both = _mm_or_si128(Cooled, _mm_slli_epi16(Cooled, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Row + x - W), Both);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Row + x - 2 * W), Both);
      }
    }
#endif
    for (; x < RegionEnd; x += 2) {
      const size_t p = RowStart + static_cast<size_t>(x);
      WriteCell(Heat, p, W, CellValue(Heat, p, W, S.lw, S.rw, P.Cooling));
    }
    for (size_t i = 0; i < SavedCount; ++i) {
      std::memcpy(Heat + Saved[i].p - W, &Saved[i].Up1, 2);
      std::memcpy(Heat + Saved[i].p - 2 * W, &Saved[i].Up2, 2);
    }
    if (OddTail) {
      const size_t p = RowStart + static_cast<size_t>(Width - 1);
      const bool Sparked = !Sparks.empty() && Sparks.back() == Width - 1;
      if (!Sparked) WriteCell(Heat, p, W, CellValue(Heat, p, W, S.lw, S.rw, P.Cooling));
    }
    // 4. The sparks land in the row below, which no cell of this row reads
    //    except the sparking cell itself.
    for (int sx : Sparks) Row[2 * W + static_cast<size_t>(sx)] = 255;
  }
}

void BlendReference(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End) {
  for (size_t i = Begin; i < End; ++i) {
    const unsigned v = (((Heat[i] >> 1) + (Background[i] >> 1)) >> 1) + (Image[i] >> 1) + 10;
    Image[i] = static_cast<uint8_t>(v > 255 ? 255 : v);
  }
}

void Blend(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End) {
  size_t i = Begin;
#if defined(__SSE2__)
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
#else
  // Eight bytes at a time in a 64-bit word, the same halving and a
  // saturating add built from the carry bits.
  const uint64_t Seven = 0x7F7F7F7F7F7F7F7Full;
  for (; i + 8 <= End; i += 8) {
    uint64_t h, g, m;
    std::memcpy(&h, Heat + i, 8);
    std::memcpy(&g, Background + i, 8);
    std::memcpy(&m, Image + i, 8);
    uint64_t s = ((h >> 1) & Seven) + ((g >> 1) & Seven);
    s = ((s >> 1) & Seven) + ((m >> 1) & Seven);
    // s <= 254 per byte; adding 10 overflows a byte exactly when s >= 246.
    uint64_t Sum = 0;
    for (int b = 0; b < 64; b += 8) {
      unsigned v = static_cast<unsigned>((s >> b) & 0xFF) + 10;
      Sum |= static_cast<uint64_t>(v > 255 ? 255 : v) << b;
    }
    std::memcpy(Image + i, &Sum, 8);
  }
#endif
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
  std::memset(Edges, 0, W * static_cast<size_t>(std::max(Height, 0)));
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
