#include "core/engine/uResample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>

#include "core/shared/uPrecision.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace emberdell {

TExtended MitchellFilter(TExtended x) {
  x = Abs(x);
  if (x < 1) return TExtended(7) / 6 * x * x * x - 2 * x * x + TExtended(8) / 9;
  if (x < 2) return TExtended(-7) / 18 * x * x * x + 2 * x * x - TExtended(10) / 3 * x + TExtended(16) / 9;
  return 0;
}

namespace {

// Reflects an index at the ends. With a source of one or two pixels the
// reflection itself can land outside (j = -2 with S = 2 gives 2); the nearest
// edge pixel is the only sensible answer there, so it is clamped.
int32_t MirrorIndex(long long j, int S) {
  if (j < 0)
    j = -j;
  else if (j >= S)
    j = 2LL * S - 1 - j;
  return static_cast<int32_t>(std::clamp<long long>(j, 0, S - 1));
}

// Kept out of line so that all of its x87 arithmetic happens between the
// caller's precision switch and the switch back.
[[gnu::noinline]] void BuildTable(TContributorTable& Table) {
  const int S = Table.SourceLength, D = Table.DestLength;
  Table.Contributors.assign(static_cast<size_t>(std::max(D, 0)), {});
  if (S <= 0 || D <= 0) return;
  if (D < S) {
    // Shrinking: the filter is widened by S / D and its weights scaled down
    // by the same factor, so every destination pixel averages its footprint.
    const float Scale = static_cast<float>(TExtended(D) / TExtended(S));
    for (int i = 0; i < D; ++i) {
      auto& List = Table.Contributors[i];
      List.reserve(static_cast<size_t>(4LL * S / D + 1));
      const long long First = ((static_cast<long long>(i) - 2) * S - D + 1) / D;
      const long long Last = ((static_cast<long long>(i) + 2) * S + D - 1) / D;
      for (long long j = First; j <= Last; ++j) {
        const float x = static_cast<float>(Abs(TExtended(i) - TExtended(j) * TExtended(Scale)));
        if (!(x < 2.0f)) continue;
        const int32_t Weight = static_cast<int32_t>(RoundHalfEven(MitchellFilter(x) * TExtended(Scale) * 65536));
        List.push_back({MirrorIndex(j, S), Weight});
      }
    }
  } else {
    const float Scale = static_cast<float>(TExtended(S) / TExtended(D));
    for (int i = 0; i < D; ++i) {
      auto& List = Table.Contributors[i];
      List.reserve(5);
      const float Centre = static_cast<float>(TExtended(i) * TExtended(Scale));
      const long long First = (static_cast<long long>(i) * S - 3LL * D + 1) / D;
      const long long Last = (static_cast<long long>(i) * S + 3LL * D - 1) / D;
      for (long long j = First; j <= Last; ++j) {
        const float x = static_cast<float>(Abs(TExtended(Centre) - TExtended(j)));
        if (!(x < 2.0f)) continue;
        const int32_t Weight = static_cast<int32_t>(RoundHalfEven(MitchellFilter(x) * 65536));
        List.push_back({MirrorIndex(j, S), Weight});
      }
    }
  }
}

struct TContributorCache {
  std::mutex Lock;
  std::vector<std::unique_ptr<TContributorTable>> Entries;
};

// Never destroyed: a table handed out must outlive every caller, including
// threads still running while the process ends.
TContributorCache& Cache() {
  static TContributorCache* const Instance = new TContributorCache;
  return *Instance;
}

// A table with the zero-weight taps left out and the indices turned into byte
// offsets, laid out flat so the pixel loops are plain sums.
struct TTapPlan {
  std::vector<int32_t> Start;  // taps of index i: Start[i] .. Start[i + 1] - 1
  std::vector<int32_t> Offset;
  std::vector<int32_t> Weight;
};

void MakePlan(const TContributorTable& Table, size_t Stride, TTapPlan& Plan) {
  size_t Count = 0;
  for (const auto& List : Table.Contributors) Count += List.size();
  Plan.Start.resize(Table.Contributors.size() + 1);
  Plan.Offset.clear();
  Plan.Weight.clear();
  Plan.Offset.reserve(Count);
  Plan.Weight.reserve(Count);
  for (size_t i = 0; i < Table.Contributors.size(); ++i) {
    Plan.Start[i] = static_cast<int32_t>(Plan.Offset.size());
    for (const TContributor& Tap : Table.Contributors[i]) {
      if (Tap.Weight == 0) continue;
      Plan.Offset.push_back(static_cast<int32_t>(Tap.Pixel * Stride));
      Plan.Weight.push_back(Tap.Weight);
    }
  }
  Plan.Start.back() = static_cast<int32_t>(Plan.Offset.size());
}


// Everything one resize needs, shared by both kernels, as plain pointers and
// numbers. The kernels take it by value: a store through a byte pointer could
// otherwise alias the job, and the compiler would reload every field after
// each pixel.
struct TColumnJob {
  const uint8_t* Source;
  size_t SourceStride;
  int SH;
  uint8_t* Dest;
  size_t DestStride;
  int DW, DH;
  const int32_t *HStart, *HOffset, *HWeight;  // byte offsets into a source row
  const int32_t *VStart, *VOffset, *VWeight;  // byte offsets into the column buffer
  uint8_t* Column;                            // SH pixels
};

void ResampleColumnsPortable(const TColumnJob J) {
  for (int i = 0; i < J.DW; ++i) {
    const int32_t k0 = J.HStart[i], k1 = J.HStart[i + 1];
    const uint8_t* Row = J.Source;
    for (int r = 0; r < J.SH; ++r, Row += J.SourceStride) {
      int32_t b = 0, g = 0, red = 0;
      for (int32_t k = k0; k < k1; ++k) {
        const uint8_t* p = Row + J.HOffset[k];
        const int32_t w = J.HWeight[k];
        b += w * p[0];
        g += w * p[1];
        red += w * p[2];
      }
      uint8_t* q = J.Column + static_cast<size_t>(r) * 4;
      q[0] = ClampChannelSum(b);
      q[1] = ClampChannelSum(g);
      q[2] = ClampChannelSum(red);
    }
    uint8_t* Out = J.Dest + static_cast<size_t>(i) * 4;
    for (int j = 0; j < J.DH; ++j, Out += J.DestStride) {
      int32_t b = 0, g = 0, red = 0;
      for (int32_t k = J.VStart[j]; k < J.VStart[j + 1]; ++k) {
        const uint8_t* p = J.Column + J.VOffset[k];
        const int32_t w = J.VWeight[k];
        b += w * p[0];
        g += w * p[1];
        red += w * p[2];
      }
      Out[0] = ClampChannelSum(b);
      Out[1] = ClampChannelSum(g);
      Out[2] = ClampChannelSum(red);
    }
  }
}

#if defined(__x86_64__) || defined(__i386__)
// The same sums with all four channels of a pixel in one register: one
// multiply per tap instead of three. SSE4.1 is needed for the 32-bit
// multiply and the signed min/max of the clamp; results are identical.
#define EMBERDELL_SSE41 __attribute__((target("sse4.1")))

EMBERDELL_SSE41 inline __m128i WeightedPixel(const uint8_t* p, int32_t w) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_mullo_epi32(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(v)), _mm_set1_epi32(w));
}

// ClampChannelSum on all lanes, packed back to four bytes.
EMBERDELL_SSE41 inline uint32_t ClampPixel(__m128i s) {
  s = _mm_min_epi32(_mm_max_epi32(s, _mm_setzero_si128()), _mm_set1_epi32(255 * 65536));
  s = _mm_srli_epi32(s, 16);
  s = _mm_packus_epi32(s, s);
  s = _mm_packus_epi16(s, s);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(s));
}

// Writes blue, green and red; the fourth byte keeps its value.
inline void StoreColour(uint8_t* q, uint32_t v) {
  uint32_t Old;
  std::memcpy(&Old, q, 4);
  const uint32_t Merged = (Old & 0xFF000000u) | (v & 0x00FFFFFFu);
  std::memcpy(q, &Merged, 4);
}

EMBERDELL_SSE41 void ResampleColumnsSse41(const TColumnJob J) {
  for (int i = 0; i < J.DW; ++i) {
    const int32_t k0 = J.HStart[i], k1 = J.HStart[i + 1];
    const uint8_t* Row = J.Source;
    for (int r = 0; r < J.SH; ++r, Row += J.SourceStride) {
      __m128i s = _mm_setzero_si128();
      for (int32_t k = k0; k < k1; ++k) s = _mm_add_epi32(s, WeightedPixel(Row + J.HOffset[k], J.HWeight[k]));
      const uint32_t v = ClampPixel(s);
      std::memcpy(J.Column + static_cast<size_t>(r) * 4, &v, 4);
    }
    uint8_t* Out = J.Dest + static_cast<size_t>(i) * 4;
    for (int j = 0; j < J.DH; ++j, Out += J.DestStride) {
      __m128i s = _mm_setzero_si128();
      for (int32_t k = J.VStart[j]; k < J.VStart[j + 1]; ++k)
        s = _mm_add_epi32(s, WeightedPixel(J.Column + J.VOffset[k], J.VWeight[k]));
      StoreColour(Out, ClampPixel(s));
    }
  }
}

bool HaveSse41() {
  static const bool Have = __builtin_cpu_supports("sse4.1");
  return Have;
}
#endif

}  // namespace

const TContributorTable& GetContributors(int SourceLength, int DestLength) {
  TContributorCache& C = Cache();
  std::lock_guard<std::mutex> Guard(C.Lock);
  for (const auto& Entry : C.Entries)
    if (Entry->SourceLength == SourceLength && Entry->DestLength == DestLength) return *Entry;
  auto Table = std::make_unique<TContributorTable>();
  Table->SourceLength = SourceLength;
  Table->DestLength = DestLength;
  {
    TExtendedPrecision Precision;
    BuildTable(*Table);
  }
  C.Entries.push_back(std::move(Table));
  return *C.Entries.back();
}

void ResampleBitmap(const uint8_t* Source, int SW, int SH, uint8_t* Dest, int DW, int DH, TResampleKernel Kernel) {
  if (DW <= 0 || DH <= 0) return;
  SW = std::max(SW, 0);
  SH = std::max(SH, 0);
  TTapPlan Horizontal, Vertical;
  MakePlan(GetContributors(SW, DW), 4, Horizontal);
  MakePlan(GetContributors(SH, DH), 4, Vertical);
  std::vector<uint8_t> Column(static_cast<size_t>(SH) * 4, 0);
  const TColumnJob Job{Source,
                       static_cast<size_t>(SW) * 4,
                       SH,
                       Dest,
                       static_cast<size_t>(DW) * 4,
                       DW,
                       DH,
                       Horizontal.Start.data(),
                       Horizontal.Offset.data(),
                       Horizontal.Weight.data(),
                       Vertical.Start.data(),
                       Vertical.Offset.data(),
                       Vertical.Weight.data(),
                       Column.data()};
#if defined(__x86_64__) || defined(__i386__)
  if (Kernel == TResampleKernel::Fastest && HaveSse41()) {
    ResampleColumnsSse41(Job);
    return;
  }
#endif
  (void)Kernel;
  ResampleColumnsPortable(Job);
}

void ResampleBitmap(const TPixelImage& Source, TPixelImage& Dest) {
  const size_t Needed = static_cast<size_t>(std::max(Dest.Width, 0)) * std::max(Dest.Height, 0) * 4;
  if (Dest.Pixels.size() < Needed) Dest.Pixels.resize(Needed, 0);
  const size_t Have = static_cast<size_t>(std::max(Source.Width, 0)) * std::max(Source.Height, 0) * 4;
  if (Source.Pixels.size() < Have) return;  // inconsistent picture: leave Dest alone
  ResampleBitmap(Source.Pixels.data(), Source.Width, Source.Height, Dest.Pixels.data(), Dest.Width, Dest.Height);
}

}  // namespace emberdell
