#include "core/engine/uFlameStep.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "core/engine/uFlameKernels.h"
#include "core/shared/uPrecision.h"
#include "core/shared/uRandom.h"

namespace emberdell {

void BandRows(int Height, int PictureHeight, int& Top, int& Bottom) {
  TExtended Half;
  long long T, B;
  {
    TExtendedPrecision Precision;
    // Left to right, one rounding per operation: H / 100 is inexact, so a
    // product that should be whole can land just below it.
    TExtendedInMemory h = TExtended(Height);
    Half = h / 100;
    Half = Half * TExtended(100 - static_cast<long long>(PictureHeight));
    Half = Half / 2;
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

// The stages of one row of the fast step. They are inlined into the row loop:
// the seed and the lists stay in registers as they did in one body.
#define EMBERDELL_ROW_STAGE [[gnu::always_inline]] inline

// 1a. The x of every edge cell of the row, in cell order, from its bits.
EMBERDELL_ROW_STAGE int ListEdgeCells(const uint64_t* Words, size_t WordCount, int* Edge) {
  int EdgeCount = 0;
  for (size_t w = 0; w < WordCount; ++w) {
    const int Base = static_cast<int>(w * 128);
    for (uint64_t m = Words[w]; m != 0; m &= m - 1) Edge[EdgeCount++] = Base + 2 * std::countr_zero(m);
  }
  return EdgeCount;
}

// 1b. One draw per edge cell, in order; the cells that draw a 1 spark. Four
//     draws per step of the chain: seed i + k is A^k x seed i + C_k, so the
//     four multiplications do not wait for each other.
EMBERDELL_ROW_STAGE int DrawSparks(const int* Edge, int EdgeCount, const TStepSetup& S, uint32_t& Seed,
                                   int* Sparks) {
  int SparkCount = 0;
  auto Take = [&](uint32_t Drawn, int Cell) {
    Sparks[SparkCount] = Cell;
    SparkCount += (static_cast<uint64_t>(Drawn) - S.SparkFrom) < S.SparkSpan;
  };
  int i = 0;
  for (; i + 4 <= EdgeCount; i += 4) {
    const uint32_t s = Seed;
    Take(A1 * s + C1, Edge[i]);
    Take(A2 * s + C2, Edge[i + 1]);
    Take(A3 * s + C3, Edge[i + 2]);
    Seed = A4 * s + C4;
    Take(Seed, Edge[i + 3]);
  }
  for (; i < EdgeCount; ++i) {
    Seed = A1 * Seed + C1;
    Take(Seed, Edge[i]);
  }
  return SparkCount;
}

// 2. A sparking cell leaves the cell above as it was: remember it, so that
//    the packed pass may write every cell and it can be put back. The odd
//    tail cell is not written by the packed pass and needs no saving.
EMBERDELL_ROW_STAGE int SaveAboveSparks(const uint8_t* Heat, size_t RowStart, size_t W, const int* Sparks,
                                        int SparkCount, int RegionEnd, TStepScratch::TSaved* Saved) {
  int SavedCount = 0;
  for (int i = 0; i < SparkCount; ++i) {
    if (Sparks[i] >= RegionEnd) continue;
    const size_t p = RowStart + static_cast<size_t>(Sparks[i]);
    std::memcpy(&Saved[SavedCount].Up1, Heat + p - W, 2);
    std::memcpy(&Saved[SavedCount].Up2, Heat + p - 2 * W, 2);
    Saved[SavedCount++].p = p;
  }
  return SavedCount;
}

EMBERDELL_ROW_STAGE void RestoreAboveSparks(uint8_t* Heat, size_t W, const TStepScratch::TSaved* Saved,
                                            int SavedCount) {
  for (int i = 0; i < SavedCount; ++i) {
    std::memcpy(Heat + Saved[i].p - W, &Saved[i].Up1, 2);
    std::memcpy(Heat + Saved[i].p - 2 * W, &Saved[i].Up2, 2);
  }
}

// 3. Every cell of the row reads only values that this row does not write
//    (its own row, the row below and the wrapped neighbours), except the first
//    cell's left neighbour (W - 2, y - 1), which the last cells overwrite:
//    going left to right reads it first.
//    With Cold, clears the chunks where a cell comes out above zero.
EMBERDELL_ROW_STAGE void CoolRow(uint8_t* Heat, size_t RowStart, size_t W, int From, int To, const TStepSetup& S,
                                 uint8_t Cooling, bool FetchNext, uint8_t* Cold) {
  int x = RowCellsPacked(Heat + RowStart, W, From, To, S.lw, S.rw, Cooling, FetchNext, Cold);
  for (; x < To; x += 2) {
    const size_t p = RowStart + static_cast<size_t>(x);
    const uint8_t v = CellValue(Heat, p, W, S.lw, S.rw, Cooling);
    WriteCell(Heat, p, W, v);
    if (Cold != nullptr && v != 0) Cold[x / TStepHistory::ChunkPixels] = 0;
  }
}

// 4. The sparks land in the row below, which no cell of this row reads except
//    the sparking cell itself.
EMBERDELL_ROW_STAGE void LandSparks(uint8_t* Row, size_t W, const int* Sparks, int SparkCount) {
  for (int i = 0; i < SparkCount; ++i) Row[2 * W + static_cast<size_t>(Sparks[i])] = 255;
}

// With a history: which chunks of the row must be worked. A chunk whose
// cells read only cold heat (its own row and its neighbours' edges, the row
// below) and whose rows above are cold already would write zeros over zeros.
// Row y is what the visit of y + 2 wrote (rows y + 1 and y), the row below
// what the visit of y + 4 wrote; the first cell's left neighbour is the last
// chunk of row y - 1, the last cell's right one the first chunk of row y + 1.
// Returns the number of begin/end pairs in Runs.
EMBERDELL_ROW_STAGE int WarmRuns(const uint8_t* Own, const uint8_t* Mid, const uint8_t* Low, int Chunks,
                                 int RegionEnd, int* Runs) {
  constexpr int C = TStepHistory::ChunkPixels;
  int Count = 0, Start = -1;
  for (int c = 0; c < Chunks; ++c) {
    const bool Still = Own[c] != 0 && Mid != nullptr && Low != nullptr && Low[c] != 0 && Mid[c] != 0 &&
                       (c > 0 ? Mid[c - 1] : Own[Chunks - 1]) != 0 && (c + 1 < Chunks ? Mid[c + 1] : Mid[0]) != 0;
    if (!Still) {
      if (Start < 0) Start = c * C;
    } else if (Start >= 0) {
      Runs[2 * Count] = Start;
      Runs[2 * Count++ + 1] = c * C;
      Start = -1;
    }
  }
  if (Start >= 0) {
    Runs[2 * Count] = Start;
    Runs[2 * Count++ + 1] = RegionEnd;
  }
  return Count;
}

#undef EMBERDELL_ROW_STAGE

// One row of the band's blend with a history: a chunk whose heat has been
// cold for SettleBlends blends in a row holds its settled image already.
// Cold, when known, tells for each chunk whether the row's heat is zero.
void BlendRowQuietly(const TBlendTarget& Into, const uint8_t* Heat, size_t RowStart, size_t W, int Chunks,
                     uint8_t* Quiet, const uint8_t* Cold, size_t Ahead) {
  constexpr size_t C = TStepHistory::ChunkPixels;
  constexpr size_t None = ~size_t(0);
  size_t Start = None;
  auto Flush = [&](size_t End) {
    if (Start == None) return;
    BlendRange(Into.Image, Heat, Into.Background, Start, End, Ahead, Into.Changed);
    Start = None;
  };
  for (int c = 0; c < Chunks; ++c) {
    const size_t b = RowStart + static_cast<size_t>(c) * C;
    const size_t e = std::min(b + C, RowStart + W);
    const bool NoHeat = Cold != nullptr ? Cold[c] != 0 : AllZero(Heat + b, e - b);
    if (NoHeat) {
      if (Quiet[c] >= TStepHistory::SettleBlends) {
        Flush(b);
        continue;
      }
      ++Quiet[c];
    } else {
      Quiet[c] = 0;
    }
    if (Start == None) Start = b;
  }
  Flush(RowStart + W);
}

}  // namespace

void TEdgeCells::Build(const uint8_t* Edges, int Width, int Height) {
  const size_t Cells = Width > 0 ? (static_cast<size_t>(Width) + 1) / 2 : 0;
  const size_t Rows = Height > 0 ? static_cast<size_t>(Height) : 0;
  WordsPerRow = (Cells + 63) / 64;
  Words.assign(WordsPerRow * Rows, 0);
  for (size_t y = 0; y < Rows; ++y) {
    const uint8_t* Row = Edges + y * static_cast<size_t>(Width);
    uint64_t* Out = Words.data() + y * WordsPerRow;
    for (size_t c = 0; c < Cells; ++c)
      if (Row[2 * c] != 0) Out[c / 64] |= uint64_t(1) << (c % 64);
  }
}

void TEdgeCells::Clear() { std::fill(Words.begin(), Words.end(), 0); }

void TStepHistory::Fit(const TStepParams& P) {
  if (P.Width == Width && P.Height == Height && P.Top == Top && P.Bottom == Bottom) return;
  Width = P.Width;
  Height = P.Height;
  Top = P.Top;
  Bottom = P.Bottom;
  Chunks = (std::max(Width, 0) + ChunkPixels - 1) / ChunkPixels;
  const size_t Cells = static_cast<size_t>(Chunks) * static_cast<size_t>(std::max(Height, 0));
  ColdAbove.assign(Cells, 0);
  QuietBlends.assign(Cells, 0);
  Steps = 0;
}

double TStepHistory::SettledShare() const {
  if (Width < 0 || Chunks == 0 || Bottom <= Top) return 0;
  const size_t Begin = static_cast<size_t>(Top) * static_cast<size_t>(Chunks);
  const size_t End = static_cast<size_t>(Bottom) * static_cast<size_t>(Chunks);
  size_t Settled = 0;
  for (size_t i = Begin; i < End; ++i) Settled += QuietBlends[i] >= SettleBlends;
  return static_cast<double>(Settled) / static_cast<double>(End - Begin);
}

namespace {

// What a visit of the band shares with its rows, whatever it remembers.
struct TBand {
  uint8_t* Heat;
  const TStepParams& P;
  const TStepSetup& S;
  size_t W;
  // With an odd width the last cell (x = W - 1) wraps its writes into the
  // next row's first column; it is done last and on its own, as the walk
  // over the flat array would do it. All other cells write inside their row.
  int RegionEnd;
  size_t BandEnd;
  const TBlendTarget* BlendInto;
};

// Without a history: every cell of every row, every frame.
class TEveryCell {
 public:
  explicit TEveryCell(const TBand& B) : B(B) {}

  void Cool(int /*y*/, size_t RowStart, bool FetchNext, const int*, int, const TStepScratch::TSaved* Saved, int SavedCount) {
    CoolRow(B.Heat, RowStart, B.W, 0, B.RegionEnd, B.S, B.P.Cooling, FetchNext, nullptr);
    RestoreAboveSparks(B.Heat, B.W, Saved, SavedCount);
  }

  void Blend(int From, int To, int /*Visited*/) {
    const size_t b = static_cast<size_t>(From) * B.W, e = static_cast<size_t>(To) * B.W;
    // The next call blends the two rows after these (one visit on).
    const size_t Ahead = e + 2 * B.W <= B.BandEnd ? 2 * B.W : 0;
    BlendRange(B.BlendInto->Image, B.Heat, B.BlendInto->Background, b, e, Ahead, B.BlendInto->Changed);
  }

 private:
  const TBand& B;
};

// With a history: only the chunks whose heat can change are cooled, and only
// the chunks whose image can change are blended.
class TWarmChunks {
 public:
  TWarmChunks(const TBand& B, TStepHistory& History, TStepScratch& Scratch) : B(B) {
    History.Fit(B.P);
    ++History.Steps;
    Chunks = History.Chunks;
    Cold = History.ColdAbove.data();
    Quiet = History.QuietBlends.data();
    if (Scratch.Runs.size() < static_cast<size_t>(2 * Chunks + 2)) Scratch.Runs.resize(static_cast<size_t>(2 * Chunks + 2));
    Runs = Scratch.Runs.data();
  }

  void Cool(int y, size_t RowStart, bool FetchNext, const int* Sparks, int SparkCount,
            const TStepScratch::TSaved* Saved, int SavedCount) {
    constexpr int C = TStepHistory::ChunkPixels;
    uint8_t* Own = ColdRow(y);
    uint8_t* Low = ColdRow(y + 4);
    const int RunCount = WarmRuns(Own, ColdRow(y + 2), Low, Chunks, B.RegionEnd, Runs);
    for (int i = 0; i < RunCount; ++i) {
      std::fill(Own + Runs[2 * i] / C, Own + (Runs[2 * i + 1] + C - 1) / C, uint8_t(1));
      CoolRow(B.Heat, RowStart, B.W, Runs[2 * i], Runs[2 * i + 1], B.S, B.P.Cooling, FetchNext, Own);
    }
    // A sparking cell keeps what was above it.
    RestoreAboveSparks(B.Heat, B.W, Saved, SavedCount);
    for (int i = 0; i < SavedCount; ++i)
      if ((Saved[i].Up1 | Saved[i].Up2) != 0) Own[(Saved[i].p - RowStart) / C] = 0;
    // The row below is what the visit of y + 4 wrote: no longer cold where a spark lands.
    if (Low != nullptr)
      for (int i = 0; i < SparkCount; ++i) Low[Sparks[i] / C] = 0;
  }

  void Blend(int From, int To, int Visited) {
    for (int r = From; r < To; ++r) {
      // The visit that wrote the row last, if it has happened this frame.
      const int v = B.P.Top + 2 + 2 * ((r - B.P.Top) / 2);
      BlendRowQuietly(*B.BlendInto, B.Heat, static_cast<size_t>(r) * B.W, B.W, Chunks,
                      Quiet + static_cast<size_t>(r) * static_cast<size_t>(Chunks), v <= Visited ? ColdRow(v) : nullptr,
                      static_cast<size_t>(r + 3) * B.W <= B.BandEnd ? 2 * B.W : 0);
    }
  }

 private:
  uint8_t* ColdRow(int v) const {
    return v < B.P.Height ? Cold + static_cast<size_t>(v) * static_cast<size_t>(Chunks) : nullptr;
  }

  const TBand& B;
  int Chunks = 0;
  uint8_t* Cold = nullptr;
  uint8_t* Quiet = nullptr;
  int* Runs = nullptr;
};

template <class TRows>
void VisitBand(const TBand& B, const TEdgeCells& Edges, uint32_t& Seed, TStepScratch& Scratch, TRows& Rows) {
  const TStepParams& P = B.P;
  const size_t W = B.W;
  const int Width = P.Width;
  uint8_t* Heat = B.Heat;
  int* Sparks = Scratch.Sparks.data();
  int* Edge = Scratch.Edges.data();
  TStepScratch::TSaved* Saved = Scratch.Saved.data();
  // A local copy: the compiler cannot tell the caller's seed from the lists
  // written in the same loop and would store it on every draw.
  uint32_t LocalSeed = Seed;

  // Rows above the last visited row are final as soon as that row is done,
  // so they are blended while still in the cache.
  int Blended = P.Top;
  int Visited = P.Top;  // the last row visited so far
  auto BlendUpTo = [&](int EndRow) {
    if (B.BlendInto == nullptr || EndRow <= Blended) return;
    Rows.Blend(Blended, EndRow, Visited);
    Blended = EndRow;
  };

  for (int y = P.Top + 2; y <= P.Bottom - 3; y += 2) {
    const size_t RowStart = static_cast<size_t>(y) * W;
    uint8_t* Row = Heat + RowStart;

    const uint64_t* EdgeRow = Edges.Words.data() + static_cast<size_t>(y) * Edges.WordsPerRow;
    // The bits are long gone from the cache by the next frame, and the visit
    // waits for each of their lines before it can draw.
    if (y + 2 <= P.Bottom - 3)
      for (size_t w = 0; w < Edges.WordsPerRow; w += 8) __builtin_prefetch(EdgeRow + 2 * Edges.WordsPerRow + w, 0, 2);
    const int EdgeCount = ListEdgeCells(EdgeRow, Edges.WordsPerRow, Edge);
    const int SparkCount = DrawSparks(Edge, EdgeCount, B.S, LocalSeed, Sparks);
    const int SavedCount = SaveAboveSparks(Heat, RowStart, W, Sparks, SparkCount, B.RegionEnd, Saved);
    Rows.Cool(y, RowStart, y + 2 <= P.Bottom - 3, Sparks, SparkCount, Saved, SavedCount);
    if (B.RegionEnd != Width) {
      const size_t p = RowStart + static_cast<size_t>(Width - 1);
      const bool Sparked = SparkCount > 0 && Sparks[SparkCount - 1] == Width - 1;
      if (!Sparked) WriteCell(Heat, p, W, CellValue(Heat, p, W, B.S.lw, B.S.rw, P.Cooling));
    }
    LandSparks(Row, W, Sparks, SparkCount);
    Visited = y;

    // The odd tail writes the first pixel of row y, so only rows above y are final.
    BlendUpTo(y - 1);
  }
  BlendUpTo(P.Bottom);
  Seed = LocalSeed;
}

}  // namespace

void FlameStep(uint8_t* Heat, const TEdgeCells& Edges, const TStepParams& P, uint32_t& Seed, TStepScratch& Scratch,
               const TBlendTarget* BlendInto, TStepHistory* History) {
  if (P.Width <= 0) return;
  const TStepSetup S = Setup(P);
  const size_t W = static_cast<size_t>(P.Width);
  const size_t MaxSparks = W / 2 + 1;
  if (Scratch.Sparks.size() < MaxSparks) Scratch.Sparks.resize(MaxSparks);
  if (Scratch.Saved.size() < MaxSparks) Scratch.Saved.resize(MaxSparks);
  // Room for a whole chunk's offsets past the last cell.
  if (Scratch.Edges.size() < MaxSparks + 16) Scratch.Edges.resize(MaxSparks + 16);
  const TBand B{Heat, P, S, W, P.Width - P.Width % 2, static_cast<size_t>(P.Bottom) * W, BlendInto};
  // The odd tail's writes cross into the next row, out of the chunks' reach:
  // odd widths take every cell every frame.
  if (History != nullptr && B.RegionEnd == P.Width) {
    TWarmChunks Rows(B, *History, Scratch);
    VisitBand(B, Edges, Seed, Scratch, Rows);
  } else {
    TEveryCell Rows(B);
    VisitBand(B, Edges, Seed, Scratch, Rows);
  }
}

void FlameStep(uint8_t* Heat, const uint8_t* Edges, const TStepParams& Params, uint32_t& Seed,
               TStepScratch& Scratch, const TBlendTarget* BlendInto, TStepHistory* History) {
  TEdgeCells Cells;
  Cells.Build(Edges, Params.Width, Params.Height);
  FlameStep(Heat, Cells, Params, Seed, Scratch, BlendInto, History);
}

void FlameStep(uint8_t* Heat, const uint8_t* Edges, const TStepParams& Params, uint32_t& Seed,
               std::vector<int>& Sparks) {
  TStepScratch Scratch;
  Scratch.Sparks.swap(Sparks);
  FlameStep(Heat, Edges, Params, Seed, Scratch, nullptr);
  Sparks.swap(Scratch.Sparks);
}

}  // namespace emberdell
