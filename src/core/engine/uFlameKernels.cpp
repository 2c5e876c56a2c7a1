// The packed arithmetic under the fire's step and blend: SSE2 and AVX2
// where the processor has them, a 64-bit word at a time where it has not.
// WebAssembly with SIMD runs the SSE2 code through emscripten's SSE2 header,
// whose operations are single WebAssembly SIMD instructions here.
#include "core/engine/uFlameKernels.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#elif defined(__EMSCRIPTEN__) && defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace emberdell {

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

// Every visit and every blend moves the streams to other rows, and the
// processor's own prefetching starts late on each of them. Asked for while
// the work is under way, a little with every step rather than all at once
// (which stalls on the outstanding misses), the next rows are there in time.
// The next visit reads the row two below this visit's and writes the row
// under this one, which no visit has touched yet.
[[gnu::always_inline]] inline void FetchNextVisit(const uint8_t* p, size_t W) {
  __builtin_prefetch(p + 4 * W, 0, 2);
  __builtin_prefetch(p + W, 1, 2);
}

[[gnu::always_inline]] inline void FetchAhead(const uint8_t* Image, const uint8_t* Background, size_t i) {
  __builtin_prefetch(Background + i, 0, 2);
  __builtin_prefetch(Image + i, 1, 2);
}

// The packed blends' marks of changed blocks, gathered in a register and
// stored once per word: a store to the same word for every packed step
// would make each wait for the one before, and a branch on whether bytes
// changed would keep guessing wrong in a flickering fire.
class TChangeMarks {
 public:
  explicit TChangeMarks(uint64_t* Words) : FWords(Words) {}
  ~TChangeMarks() { Flush(); }
  TChangeMarks(const TChangeMarks&) = delete;
  TChangeMarks& operator=(const TChangeMarks&) = delete;
  // The blocks of bytes Begin and Begin + Count - 1, when Changed.
  [[gnu::always_inline]] void Mark(size_t Begin, size_t Count, bool Changed) {
    if (FWords == nullptr) return;
    Put(Begin / TChangedBlocks::BlockBytes, Changed);
    Put((Begin + Count - 1) / TChangedBlocks::BlockBytes, Changed);
  }

 private:
  [[gnu::always_inline]] void Put(size_t Block, bool Changed) {
    if (Block / 64 != FWord) {
      Flush();
      FWord = Block / 64;
    }
    FBits |= uint64_t(Changed) << (Block % 64);
  }
  void Flush() {
    if (FWords != nullptr && FBits != 0) FWords[FWord] |= FBits;
    FBits = 0;
  }
  uint64_t* FWords;
  size_t FWord = 0;
  uint64_t FBits = 0;
};

// The cells of one row from x up to RegionEnd, 8 (SSE2) or 16 (AVX2) at a
// time: each 16-bit lane holds one cell, its low byte the pixel at even x.
// Returns where the packed part stopped.
#if defined(__SSE2__)
int RowCellsSse2(uint8_t* Row, size_t W, int x, int RegionEnd, int lw, int rw, uint8_t Cooling, bool FetchNext,
                 uint8_t* Cold) {
  const __m128i Low = _mm_set1_epi16(0x00FF);
  const __m128i LW = _mm_set1_epi16(static_cast<short>(lw));
  const __m128i RW = _mm_set1_epi16(static_cast<short>(rw));
  const __m128i Cool = _mm_set1_epi16(Cooling);
  __m128i Warm = _mm_setzero_si128();
  for (; x + 16 <= RegionEnd; x += 16) {
    const uint8_t* p = Row + x;
    if (FetchNext) FetchNextVisit(p, W);
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
    // Once per chunk: a flag updated on every step would chain the steps
    // through memory.
    Warm = _mm_or_si128(Warm, Cooled);
    if (Cold != nullptr && ((x + 16) % TStepHistory::ChunkPixels == 0 || x + 32 > RegionEnd)) {
      Cold[x / TStepHistory::ChunkPixels] &=
          static_cast<uint8_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(Warm, _mm_setzero_si128())) == 0xFFFF);
      Warm = _mm_setzero_si128();
    }
  }
  return x;
}

size_t BlendSse2(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t i, size_t End, size_t Ahead,
                 uint64_t* Changed) {
  // Halving eight-bit lanes: shift the 16-bit lanes and drop the bit that
  // crossed from the neighbouring byte. Only the final "+ 10" can overflow.
  const __m128i Seven = _mm_set1_epi8(0x7F);
  const __m128i Ten = _mm_set1_epi8(10);
  // Blends bytes i .. i + 15; the lanes that kept their byte are all ones.
  const auto Sixteen = [&](size_t j) {
    if (Ahead != 0) FetchAhead(Image, Background, j + Ahead);
    const __m128i h = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Heat + j));
    const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Background + j));
    const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Image + j));
    __m128i s = _mm_add_epi8(_mm_and_si128(_mm_srli_epi16(h, 1), Seven), _mm_and_si128(_mm_srli_epi16(g, 1), Seven));
    s = _mm_and_si128(_mm_srli_epi16(s, 1), Seven);
    s = _mm_add_epi8(s, _mm_and_si128(_mm_srli_epi16(m, 1), Seven));
    const __m128i n = _mm_adds_epu8(s, Ten);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Image + j), n);
    return _mm_cmpeq_epi8(n, m);
  };
  constexpr size_t Block = TChangedBlocks::BlockBytes, WordBytes = 64 * Block;
  static_assert(Block == 32, "a block is two 16-byte steps");
  if (Changed != nullptr && i % Block == 0) {
    // Block-aligned, a block is exactly two steps and a word of marks is
    // gathered in a register, one bit a block: where the processor runs
    // this code with 128-bit lanes only (WebAssembly), the general marks'
    // two bits a step would cost as much as the blend itself.
    const size_t Whole = End - (End - i) % Block;
    while (i < Whole) {
      const size_t Word = i / WordBytes;
      const size_t Stop = std::min((Word + 1) * WordBytes, Whole);
      uint64_t Bits = 0;
      for (; i < Stop; i += Block) {
        const __m128i Same = _mm_and_si128(Sixteen(i), Sixteen(i + 16));
        Bits |= uint64_t(_mm_movemask_epi8(Same) != 0xFFFF) << (i / Block % 64);
      }
      Changed[Word] |= Bits;
    }
  }
  // Elsewhere two steps share their marks, which may then note a block
  // whose bytes stayed.
  TChangeMarks Marks(Changed);
  for (; i + 32 <= End; i += 32) {
    const __m128i Same = _mm_and_si128(Sixteen(i), Sixteen(i + 16));
    Marks.Mark(i, 32, _mm_movemask_epi8(Same) != 0xFFFF);
  }
  if (i + 16 <= End) {
    Marks.Mark(i, 16, _mm_movemask_epi8(Sixteen(i)) != 0xFFFF);
    i += 16;
  }
  return i;
}
#endif

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) int RowCellsAvx2(uint8_t* Row, size_t W, int x, int RegionEnd, int lw, int rw,
                                                  uint8_t Cooling, bool FetchNext, uint8_t* Cold) {
  const __m256i Low = _mm256_set1_epi16(0x00FF);
  const __m256i LW = _mm256_set1_epi16(static_cast<short>(lw));
  const __m256i RW = _mm256_set1_epi16(static_cast<short>(rw));
  const __m256i Cool = _mm256_set1_epi16(Cooling);
  __m256i Warm = _mm256_setzero_si256();
  for (; x + 32 <= RegionEnd; x += 32) {
    const uint8_t* p = Row + x;
    if (FetchNext) FetchNextVisit(p, W);
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
    Warm = _mm256_or_si256(Warm, Cooled);
    if (Cold != nullptr && ((x + 32) % TStepHistory::ChunkPixels == 0 || x + 64 > RegionEnd)) {
      Cold[x / TStepHistory::ChunkPixels] &= static_cast<uint8_t>(_mm256_testz_si256(Warm, Warm));
      Warm = _mm256_setzero_si256();
    }
  }
  return RowCellsSse2(Row, W, x, RegionEnd, lw, rw, Cooling, FetchNext, Cold);
}

__attribute__((target("avx2"))) size_t BlendAvx2(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background,
                                                 size_t i, size_t End, size_t Ahead, uint64_t* Changed) {
  const __m256i Seven = _mm256_set1_epi8(0x7F);
  const __m256i Ten = _mm256_set1_epi8(10);
  TChangeMarks Marks(Changed);
  for (; i + 32 <= End; i += 32) {
    if (Ahead != 0) FetchAhead(Image, Background, i + Ahead);
    const __m256i h = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Heat + i));
    const __m256i g = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Background + i));
    const __m256i m = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Image + i));
    __m256i s = _mm256_add_epi8(_mm256_and_si256(_mm256_srli_epi16(h, 1), Seven),
                                _mm256_and_si256(_mm256_srli_epi16(g, 1), Seven));
    s = _mm256_and_si256(_mm256_srli_epi16(s, 1), Seven);
    s = _mm256_add_epi8(s, _mm256_and_si256(_mm256_srli_epi16(m, 1), Seven));
    const __m256i n = _mm256_adds_epu8(s, Ten);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Image + i), n);
    Marks.Mark(i, 32, _mm256_movemask_epi8(_mm256_cmpeq_epi8(n, m)) != -1);
  }
  return BlendSse2(Image, Heat, Background, i, End, Ahead, Changed);
}

// Eight pixels per gather; two gathers in flight so neither waits for the
// other's table reads.
__attribute__((target("avx2"))) size_t ExpandAvx2(const uint8_t* Index, const uint32_t* Table, uint32_t* Out,
                                                  size_t Count) {
  const int* Entries = reinterpret_cast<const int*>(Table);
  size_t i = 0;
  for (; i + 16 <= Count; i += 16) {
    const __m256i a = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(Index + i)));
    const __m256i b = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(Index + i + 8)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Out + i), _mm256_i32gather_epi32(Entries, a, 4));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Out + i + 8), _mm256_i32gather_epi32(Entries, b, 4));
  }
  return i;
}
#endif

}  // namespace

int RowCellsPacked(uint8_t* Row, size_t W, int x, int End, int lw, int rw, uint8_t Cooling, bool FetchNext,
                   uint8_t* Cold) {
  switch (SimdSetting()) {
#if defined(__x86_64__) || defined(__i386__)
    case TSimdLevel::Avx2: return RowCellsAvx2(Row, W, x, End, lw, rw, Cooling, FetchNext, Cold);
#endif
#if defined(__SSE2__)
    case TSimdLevel::Sse2: return RowCellsSse2(Row, W, x, End, lw, rw, Cooling, FetchNext, Cold);
#endif
    default: return x;
  }
}

bool AllZero(const uint8_t* Bytes, size_t Count) {
  uint64_t Any = 0;
  size_t i = 0;
  for (; i + 8 <= Count; i += 8) {
    uint64_t w;
    std::memcpy(&w, Bytes + i, 8);
    Any |= w;
  }
  for (; i < Count; ++i) Any |= Bytes[i];
  return Any == 0;
}

size_t BlendPacked(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End,
                   size_t Ahead, uint64_t* Changed) {
  switch (SimdSetting()) {
#if defined(__x86_64__) || defined(__i386__)
    case TSimdLevel::Avx2: return BlendAvx2(Image, Heat, Background, Begin, End, Ahead, Changed);
#endif
#if defined(__SSE2__)
    case TSimdLevel::Sse2: return BlendSse2(Image, Heat, Background, Begin, End, Ahead, Changed);
#endif
    default: break;
  }
  // Eight bytes at a time in a 64-bit word: the same halving, then a
  // saturating "+ 10" from the bytes that reach 246.
  const uint64_t Seven = 0x7F7F7F7F7F7F7F7Full, Ones = 0x0101010101010101ull;
  size_t i = Begin;
  TChangeMarks Marks(Changed);
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
    Marks.Mark(i, 8, Out != m);
    std::memcpy(Image + i, &Out, 8);
  }
  return i;
}

void ExpandThroughColorTable(const uint8_t* Index, const uint32_t* Table, uint32_t* Out, size_t Count) {
  size_t i = 0;
#if defined(__x86_64__) || defined(__i386__)
  if (SimdSetting() == TSimdLevel::Avx2) i = ExpandAvx2(Index, Table, Out, Count);
#endif
  for (; i + 8 <= Count; i += 8) ExpandEight(Index + i, Table, Out + i);
  for (; i < Count; ++i) Out[i] = Table[Index[i]];
}

TSimdLevel ActiveSimd() { return SimdSetting(); }

TSimdLevel ForceSimd(TSimdLevel Level) {
  const TSimdLevel Best = DetectSimd();
  if (static_cast<int>(Level) > static_cast<int>(Best)) Level = Best;
  SimdSetting() = Level;
  return Level;
}

void BlendReference(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End) {
  for (size_t i = Begin; i < End; ++i) {
    const unsigned v = (((Heat[i] >> 1) + (Background[i] >> 1)) >> 1) + (Image[i] >> 1) + 10;
    Image[i] = static_cast<uint8_t>(v > 255 ? 255 : v);
  }
}

void BlendRange(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End,
                size_t Ahead, uint64_t* Changed) {
  if (End <= Begin) return;
  const size_t i = BlendPacked(Image, Heat, Background, Begin, End, Ahead, Changed);
  // The last few bytes are marked without looking.
  if (i < End && Changed != nullptr) MarkChangedBlocks(Changed, i, End);
  BlendReference(Image, Heat, Background, i, End);
}

void Blend(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End,
           uint64_t* Changed) {
  BlendRange(Image, Heat, Background, Begin, End, 0, Changed);
}

void TChangedBlocks::Fit(size_t Bytes) {
  const size_t Blocks = (Bytes + BlockBytes - 1) / BlockBytes;
  Words.assign((Blocks + 63) / 64, 0);
  All = true;
}

void TChangedBlocks::Clear() {
  std::fill(Words.begin(), Words.end(), 0);
  All = false;
}

}  // namespace emberdell
