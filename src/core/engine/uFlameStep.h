// The per-frame arithmetic of the fire, free of any object state so that the
// fast versions can be checked byte for byte against the rules as written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace emberdell {

// Rows top .. bottom - 1 burn. PH is the picture height in percent; the
// products are taken in extended precision and truncated, so H = 212 and
// PH = 50 give top 52, not 53. PH above 100 is limited to the drawing area and
// PH below 0 (or any band that would end before it starts) burns nothing.
void BandRows(int Height, int PictureHeight, int& Top, int& Bottom);

struct TStepParams {
  int Width = 0;
  int Height = 0;
  int Top = 0;
  int Bottom = 0;
  int32_t Wind = 0;             // only the sign counts
  int32_t FlameIntensity = 0;   // sparks start with a chance of 1 in (22 - 2 * FlameIntensity)
  uint8_t Cooling = 3;
};

// The heat rises one 2x2 cell per step, in place, row after row; Seed is the
// generator's seed, advanced by one draw per edge cell visited.
void FlameStepReference(uint8_t* Heat, const uint8_t* Edges, const TStepParams& Params, uint32_t& Seed);

// The edge mask as the step reads it: one bit per cell (even x), 64 cells to
// a word, every row starting on a new word. A frame reads a sixteenth of what
// the byte mask would take from memory, which keeps large screens' planes in
// the cache.
struct TEdgeCells {
  size_t WordsPerRow = 0;
  std::vector<uint64_t> Words;
  // A cell is an edge where its byte in Edges is not zero.
  void Build(const uint8_t* Edges, int Width, int Height);
  // No cell is an edge.
  void Clear();
};

// Working memory of the fast step, kept between frames so a frame allocates
// nothing.
struct TStepScratch {
  struct TSaved {
    size_t p;
    uint16_t Up1, Up2;
  };
  std::vector<int> Sparks;
  std::vector<int> Edges;
  std::vector<TSaved> Saved;
  std::vector<int> Runs;  // the stretches of a row that are worked, as begin/end pairs
};

// What the fast step remembers from the frames before, so that it can leave
// alone the stretches of a row (chunks) that cannot change: cold heat that
// stays cold and an image settled over cold heat. Made for one size and band;
// the step starts it afresh when either differs, and its owner calls Reset
// whenever heat, image or background change outside the step (a frame
// stepped without it included). New edges and another cooling need no reset:
// a spark marks what it lands on, and cold heat stays cold at any cooling.
struct TStepHistory {
  static constexpr int ChunkPixels = 256;
  // A blend over cold heat takes any image byte to where it rests for its
  // background byte in at most this many frames, and leaves it there.
  static constexpr uint8_t SettleBlends = 8;

  int Width = -1, Height = -1, Top = -1, Bottom = -1;
  int Chunks = 0;  // per row
  // Per visited row y and chunk: rows y - 1 and y - 2, which the visit
  // writes, are all zero.
  std::vector<uint8_t> ColdAbove;
  // Per row and chunk: how many blends in a row found no heat there, up to
  // SettleBlends.
  std::vector<uint8_t> QuietBlends;
  // Steps taken with this history since it started afresh.
  int Steps = 0;

  void Reset() { Width = Height = Top = Bottom = -1; }
  // Starts afresh unless made for these sizes and this band.
  void Fit(const TStepParams& Params);
  // The share of the band's chunks whose image has settled, which the blend
  // leaves alone (0 for a history not yet fitted).
  double SettledShare() const;
};

// Which blocks of an image may hold other bytes than when it was last drawn:
// block k is bytes 32k .. 32k + 31 of the rows laid end to end, unpadded.
// Most of a settled screen keeps its bytes from frame to frame, and the
// blend, which holds old and new bytes side by side, notes the blocks it
// changed; a host then expands and sends only those.
struct TChangedBlocks {
  static constexpr size_t BlockBytes = 32;
  bool All = true;  // any byte may have changed; Words say nothing
  std::vector<uint64_t> Words;

  // For an image of Bytes bytes, every byte changed.
  void Fit(size_t Bytes);
  // Nothing has changed since now.
  void Clear();
  bool Marked(size_t Block) const { return ((Words[Block / 64] >> (Block % 64)) & 1u) != 0; }
};

// Marks the blocks that bytes Begin .. End - 1 (Begin < End) fall in.
inline void MarkChangedBlocks(uint64_t* Words, size_t Begin, size_t End) {
  const size_t Last = (End - 1) / TChangedBlocks::BlockBytes;
  for (size_t b = Begin / TChangedBlocks::BlockBytes; b <= Last; ++b) Words[b / 64] |= uint64_t(1) << (b % 64);
}

// Where the fast step may blend the rows it has finished (see Blend). With
// Changed (sized for the image), the blocks whose bytes the blend changed
// are marked there; others may be marked too.
struct TBlendTarget {
  uint8_t* Image;
  const uint8_t* Background;
  uint64_t* Changed = nullptr;
};

// Same result as the reference, row-wise with packed arithmetic. With
// BlendInto, also blends the band (rows Top .. Bottom - 1) exactly as Blend
// would after the step, each row as soon as its heat is final. With History
// (kept by the caller from frame to frame, used for even widths), skips the
// stretches that are known not to change.
void FlameStep(uint8_t* Heat, const TEdgeCells& Edges, const TStepParams& Params, uint32_t& Seed,
               TStepScratch& Scratch, const TBlendTarget* BlendInto, TStepHistory* History = nullptr);
// Convenience forms from the byte mask, for tests and benchmarks.
void FlameStep(uint8_t* Heat, const uint8_t* Edges, const TStepParams& Params, uint32_t& Seed,
               TStepScratch& Scratch, const TBlendTarget* BlendInto, TStepHistory* History = nullptr);
void FlameStep(uint8_t* Heat, const uint8_t* Edges, const TStepParams& Params, uint32_t& Seed,
               std::vector<int>& Sparks);

// Image[i] := min(255, ((Heat[i] shr 1 + Background[i] shr 1) shr 1) + Image[i] shr 1 + 10)
// for i in [Begin, End).
void BlendReference(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End);
// With Changed, marks at least the blocks where a byte changed.
void Blend(uint8_t* Image, const uint8_t* Heat, const uint8_t* Background, size_t Begin, size_t End,
           uint64_t* Changed = nullptr);

// The packed instructions the fast paths use: the best the processor has,
// unless a test or benchmark asks for less.
enum class TSimdLevel { Scalar = 0, Sse2 = 1, Avx2 = 2 };
TSimdLevel ActiveSimd();
// Returns the level actually set (never above what the processor has).
TSimdLevel ForceSimd(TSimdLevel Level);

// Out[i] := Table[Index[i]] for i in [0, Count): the 8-bit image as the
// 32-bit pixels a window shows, each colour table entry copied whole. Index,
// Out and Count need no alignment.
void ExpandThroughColorTable(const uint8_t* Index, const uint32_t* Table, uint32_t* Out, size_t Count);

}  // namespace emberdell
