#include "core/engine/uResampleRows.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace emberdell {

TTapList MakeTapList(const TContributorTable& Table, bool Reversed) {
  TTapList List;
  List.Start.reserve(Table.Contributors.size() + 1);
  for (const auto& Taps : Table.Contributors) {
    List.Start.push_back(static_cast<int32_t>(List.Index.size()));
    for (const TContributor& Tap : Taps) {
      if (Tap.Weight == 0) continue;
      List.Index.push_back(Reversed ? Table.SourceLength - 1 - Tap.Pixel : Tap.Pixel);
      List.Weight.push_back(Tap.Weight);
    }
  }
  List.Start.push_back(static_cast<int32_t>(List.Index.size()));
  const bool Narrow = std::all_of(List.Weight.begin(), List.Weight.end(),
                                  [](int32_t w) { return w >= INT16_MIN && w <= INT16_MAX; });
  if (!Narrow) return List;
  for (size_t i = 0; i + 1 < List.Start.size(); ++i) {
    List.PairStart.push_back(static_cast<int32_t>(List.PairFirst.size()));
    for (int32_t k = List.Start[i]; k < List.Start[i + 1]; k += 2) {
      const bool Both = k + 1 < List.Start[i + 1];
      List.PairFirst.push_back(List.Index[k]);
      List.PairSecond.push_back(List.Index[Both ? k + 1 : k]);
      const uint32_t Second = Both ? static_cast<uint32_t>(List.Weight[k + 1]) : 0;
      List.PairWeights.push_back(static_cast<int32_t>((static_cast<uint32_t>(List.Weight[k]) & 0xFFFFu) | Second << 16));
    }
  }
  List.PairStart.push_back(static_cast<int32_t>(List.PairFirst.size()));
  return List;
}

namespace {

inline void Store(uint8_t* q, uint8_t b, uint8_t g, uint8_t r, bool KeepFourth) {
  q[0] = b;
  q[1] = g;
  q[2] = r;
  if (!KeepFourth) q[3] = 0;
}

void SumAlongPortable(const uint8_t* Source, const TTapList& Taps, int First, int Last, uint8_t* Out,
                      ptrdiff_t OutStep, bool KeepFourth) {
  const int32_t* Index = Taps.Index.data();
  const int32_t* Weight = Taps.Weight.data();
  for (int i = First; i < Last; ++i, Out += OutStep) {
    int32_t b = 0, g = 0, r = 0;
    for (int32_t k = Taps.Start[i]; k < Taps.Start[i + 1]; ++k) {
      const uint8_t* p = Source + static_cast<size_t>(Index[k]) * 4;
      b += Weight[k] * p[0];
      g += Weight[k] * p[1];
      r += Weight[k] * p[2];
    }
    Store(Out, ClampChannelSum(b), ClampChannelSum(g), ClampChannelSum(r), KeepFourth);
  }
}

void SumAcrossPortable(const uint8_t* const* Rows, const int32_t* Weights, int Count, int Width, uint8_t* Out,
                       bool KeepFourth) {
  for (int x = 0; x < Width; ++x, Out += 4) {
    int32_t b = 0, g = 0, r = 0;
    for (int k = 0; k < Count; ++k) {
      const uint8_t* p = Rows[k] + static_cast<size_t>(x) * 4;
      b += Weights[k] * p[0];
      g += Weights[k] * p[1];
      r += Weights[k] * p[2];
    }
    Store(Out, ClampChannelSum(b), ClampChannelSum(g), ClampChannelSum(r), KeepFourth);
  }
}

#if defined(__x86_64__) || defined(__i386__)
#define EMBERDELL_SSE41 __attribute__((target("sse4.1")))

EMBERDELL_SSE41 inline __m128i Widen(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(v));
}

EMBERDELL_SSE41 inline uint32_t Clamp(__m128i s) {
  s = _mm_min_epi32(_mm_max_epi32(s, _mm_setzero_si128()), _mm_set1_epi32(255 * 65536));
  s = _mm_srli_epi32(s, 16);
  s = _mm_packus_epi32(s, s);
  s = _mm_packus_epi16(s, s);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(s));
}

inline void Put(uint8_t* q, uint32_t v, bool KeepFourth) {
  uint32_t Old = 0;
  if (KeepFourth) std::memcpy(&Old, q, 4);
  const uint32_t Merged = (Old & 0xFF000000u) | (v & 0x00FFFFFFu);
  std::memcpy(q, &Merged, 4);
}

// Two taps a multiply: their channels interleaved as 16-bit pairs against
// the two weights, summed exactly into 32 bits by pmaddwd.
EMBERDELL_SSE41 void SumAlongPairsSse41(const uint8_t* Source, const TTapList& Taps, int First, int Last,
                                        uint8_t* Out, ptrdiff_t OutStep, bool KeepFourth) {
  const int32_t* Start = Taps.PairStart.data();
  const int32_t* A = Taps.PairFirst.data();
  const int32_t* B = Taps.PairSecond.data();
  const int32_t* W = Taps.PairWeights.data();
  for (int i = First; i < Last; ++i, Out += OutStep) {
    __m128i s = _mm_setzero_si128();
    for (int32_t k = Start[i]; k < Start[i + 1]; ++k) {
      int32_t a, b;
      std::memcpy(&a, Source + static_cast<size_t>(A[k]) * 4, 4);
      std::memcpy(&b, Source + static_cast<size_t>(B[k]) * 4, 4);
      const __m128i Pair = _mm_cvtepu8_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(a), _mm_cvtsi32_si128(b)));
      s = _mm_add_epi32(s, _mm_madd_epi16(Pair, _mm_set1_epi32(W[k])));
    }
    Put(Out, Clamp(s), KeepFourth);
  }
}

EMBERDELL_SSE41 void SumAlongSse41(const uint8_t* Source, const TTapList& Taps, int First, int Last, uint8_t* Out,
                                   ptrdiff_t OutStep, bool KeepFourth) {
  if (!Taps.PairStart.empty()) {
    SumAlongPairsSse41(Source, Taps, First, Last, Out, OutStep, KeepFourth);
    return;
  }
  const int32_t* Start = Taps.Start.data();
  const int32_t* Index = Taps.Index.data();
  const int32_t* Weight = Taps.Weight.data();
  for (int i = First; i < Last; ++i, Out += OutStep) {
    __m128i s = _mm_setzero_si128();
    for (int32_t k = Start[i]; k < Start[i + 1]; ++k)
      s = _mm_add_epi32(s, _mm_mullo_epi32(Widen(Source + static_cast<size_t>(Index[k]) * 4), _mm_set1_epi32(Weight[k])));
    Put(Out, Clamp(s), KeepFourth);
  }
}

// Two pixels a step: their sums are independent, so the multiplies overlap.
EMBERDELL_SSE41 void SumAcrossSse41(const uint8_t* const* Rows, const int32_t* Weights, int Count, int Width,
                                    uint8_t* Out, bool KeepFourth) {
  int x = 0;
  for (; x + 2 <= Width; x += 2) {
    __m128i s0 = _mm_setzero_si128(), s1 = _mm_setzero_si128();
    const size_t At = static_cast<size_t>(x) * 4;
    for (int k = 0; k < Count; ++k) {
      const __m128i w = _mm_set1_epi32(Weights[k]);
      s0 = _mm_add_epi32(s0, _mm_mullo_epi32(Widen(Rows[k] + At), w));
      s1 = _mm_add_epi32(s1, _mm_mullo_epi32(Widen(Rows[k] + At + 4), w));
    }
    Put(Out + At, Clamp(s0), KeepFourth);
    Put(Out + At + 4, Clamp(s1), KeepFourth);
  }
  for (; x < Width; ++x) {
    __m128i s = _mm_setzero_si128();
    const size_t At = static_cast<size_t>(x) * 4;
    for (int k = 0; k < Count; ++k)
      s = _mm_add_epi32(s, _mm_mullo_epi32(Widen(Rows[k] + At), _mm_set1_epi32(Weights[k])));
    Put(Out + At, Clamp(s), KeepFourth);
  }
}

bool HaveSse41() {
  static const bool Have = __builtin_cpu_supports("sse4.1");
  return Have;
}
#endif

}  // namespace

void SumAlong(const uint8_t* Source, const TTapList& Taps, int First, int Last, uint8_t* Out, ptrdiff_t OutStep,
              bool KeepFourth, TResampleKernel Kernel) {
#if defined(__x86_64__) || defined(__i386__)
  if (Kernel == TResampleKernel::Fastest && HaveSse41()) {
    SumAlongSse41(Source, Taps, First, Last, Out, OutStep, KeepFourth);
    return;
  }
#endif
  (void)Kernel;
  SumAlongPortable(Source, Taps, First, Last, Out, OutStep, KeepFourth);
}

void SumAcross(const uint8_t* const* Rows, const int32_t* Weights, int Count, int Width, uint8_t* Out,
               bool KeepFourth, TResampleKernel Kernel) {
#if defined(__x86_64__) || defined(__i386__)
  if (Kernel == TResampleKernel::Fastest && HaveSse41()) {
    SumAcrossSse41(Rows, Weights, Count, Width, Out, KeepFourth);
    return;
  }
#endif
  (void)Kernel;
  SumAcrossPortable(Rows, Weights, Count, Width, Out, KeepFourth);
}

}  // namespace emberdell
