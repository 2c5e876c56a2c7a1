// The heat step, the blend, the band and the masks, pinned to worked numbers
// and checked against the plain versions of the rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "core/engine/uFlamePicture.h"
#include "core/engine/uFlameStep.h"
#include "core/shared/uRandom.h"
#include "tests/support/changed_blocks.h"

using namespace emberdell;

namespace {

struct TField {
  int W, H;
  std::vector<uint8_t> Heat, Edges;
  TField(int w, int h) : W(w), H(h), Heat(size_t(w) * h), Edges(size_t(w) * h) {}
  uint8_t& At(int x, int y) { return Heat[size_t(y) * W + x]; }
};

TStepParams Params(const TField& F, int Wind = 0, int Intensity = 5, uint8_t Cooling = 3) {
  TStepParams P;
  P.Width = F.W;
  P.Height = F.H;
  BandRows(F.H, 100, P.Top, P.Bottom);
  P.Wind = Wind;
  P.FlameIntensity = Intensity;
  P.Cooling = Cooling;
  return P;
}

std::vector<int> Row(TField& F, int y) {
  std::vector<int> r;
  for (int x = 0; x < F.W; ++x) r.push_back(F.At(x, y));
  return r;
}

// Every packed variant this processor has, restoring the best afterwards.
std::vector<TSimdLevel> SimdLevels() {
  std::vector<TSimdLevel> Levels;
  for (TSimdLevel l : {TSimdLevel::Scalar, TSimdLevel::Sse2, TSimdLevel::Avx2})
    if (ForceSimd(l) == l) Levels.push_back(l);
  ForceSimd(TSimdLevel::Avx2);
  return Levels;
}

// Runs the fast step (with and without its blend, at every packed level)
// beside the rules as written, and insists on identical bytes and seeds.
void StepBoth(TField& F, const TStepParams& P, uint32_t& Seed) {
  std::vector<uint8_t> Grey(F.Heat.size()), Image(F.Heat.size());
  for (size_t i = 0; i < Grey.size(); ++i) {
    Grey[i] = uint8_t(i * 37);
    Image[i] = uint8_t(i * 11 + F.Heat[i]);
  }
  TField G = F;
  uint32_t SeedRef = Seed;
  FlameStepReference(F.Heat.data(), F.Edges.data(), P, SeedRef);
  std::vector<uint8_t> ImageRef = Image;
  BlendReference(ImageRef.data(), F.Heat.data(), Grey.data(), size_t(P.Top) * F.W, size_t(P.Bottom) * F.W);
  for (TSimdLevel Level : SimdLevels()) {
    ForceSimd(Level);
    TField Fast = G;
    uint32_t SeedFast = Seed;
    std::vector<int> Sparks;
    FlameStep(Fast.Heat.data(), Fast.Edges.data(), P, SeedFast, Sparks);
    EXPECT_EQ(F.Heat, Fast.Heat) << "level " << int(Level);
    EXPECT_EQ(SeedRef, SeedFast);

    TField Fused = G;
    uint32_t SeedFused = Seed;
    std::vector<uint8_t> ImageFused = Image;
    TStepScratch Scratch;
    const TBlendTarget Target{ImageFused.data(), Grey.data()};
    FlameStep(Fused.Heat.data(), Fused.Edges.data(), P, SeedFused, Scratch, &Target);
    EXPECT_EQ(F.Heat, Fused.Heat) << "level " << int(Level);
    EXPECT_EQ(ImageRef, ImageFused) << "level " << int(Level);
    EXPECT_EQ(SeedRef, SeedFused);
  }
  ForceSimd(TSimdLevel::Avx2);
  Seed = SeedRef;
}

}  // namespace

TEST(BandRows, WorkedExamplesAndOutOfRangeHeights) {
  constexpr int Empty = -1;  // any empty band: Top == Bottom
  struct Case {
    int AreaHeight, Percent, Top, Bottom;
  };
  const Case Cases[] = {
      {767, 100, 0, 767},
      {767, 50, 191, 575},
      {212, 50, 52, 159},  // 212 / 100 is not exact, so 2.12 x 50 / 2 lands just below 53
      {600, 150, 0, 600},
      {600, -20, Empty, Empty},
      {600, 0, Empty, Empty},
      {0, 100, 0, 0},
      {600, 2000000000, 0, 600},
  };
  for (const Case& c : Cases) {
    SCOPED_TRACE(testing::Message() << c.AreaHeight << " rows at " << c.Percent << "%");
    int Top = -7, Bottom = -9;
    BandRows(c.AreaHeight, c.Percent, Top, Bottom);
    if (c.Top == Empty) {
      EXPECT_EQ(Top, Bottom);
    } else {
      EXPECT_EQ(Top, c.Top);
      EXPECT_EQ(Bottom, c.Bottom);
    }
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Windows starts threads with the x87 unit at 53-bit precision, where
// 212 / 100 * 50 / 2 rounds up to exactly 53. The band must not care.
TEST(BandRows, IndependentOfTheThreadsPrecisionControl) {
  int Top = -1, Bottom = -1;
  std::thread([&] {
    uint16_t Cw;
    __asm__ volatile("fnstcw %0" : "=m"(Cw));
    uint16_t Double = static_cast<uint16_t>((Cw & ~0x0300u) | 0x0200u);
    __asm__ volatile("fldcw %0" : : "m"(Double));
    BandRows(212, 50, Top, Bottom);
    __asm__ volatile("fldcw %0" : : "m"(Cw));
  }).join();
  EXPECT_EQ(Top, 52);
  EXPECT_EQ(Bottom, 159);
}
#endif

TEST(FlameStep, SingleCellArithmetic) {
  struct Case { int L, C, R, B, Cooling, Expected; };
  // (2L + 2C + 2R + 2B) shr 3 without wind; a value below the cooling stays.
  const Case Cases[] = {{0, 0, 1, 2, 3, 0}, {2, 2, 2, 2, 3, 2}, {255, 255, 255, 255, 3, 252}, {3, 3, 3, 3, 3, 0}};
  for (const Case& c : Cases) {
    TField F(8, 12);
    // The cell at (2, 4): left (0, 4), right (4, 4), below (2, 6).
    F.At(0, 4) = uint8_t(c.L);
    F.At(2, 4) = uint8_t(c.C);
    F.At(4, 4) = uint8_t(c.R);
    F.At(2, 6) = uint8_t(c.B);
    TStepParams P = Params(F, 0, 5, uint8_t(c.Cooling));
    P.Top = 2;  // visit row 4 only
    P.Bottom = 7;
    uint32_t Seed = 1;
    StepBoth(F, P, Seed);
    EXPECT_EQ(F.At(2, 3), c.Expected);
    EXPECT_EQ(F.At(3, 2), c.Expected);
  }
}

TEST(FlameStep, OneHotCellRisesAndSpreads) {
  TField F(8, 12);
  F.At(4, 8) = 255;
  uint32_t Seed = 0;
  StepBoth(F, Params(F), Seed);
  for (int y : {4, 5}) EXPECT_EQ(Row(F, y), (std::vector<int>{0, 0, 0, 0, 60, 60, 0, 0})) << y;
  for (int y : {6, 7}) EXPECT_EQ(Row(F, y), (std::vector<int>{0, 0, 60, 60, 60, 60, 60, 60})) << y;
  EXPECT_EQ(F.At(4, 8), 255);

  StepBoth(F, Params(F), Seed);
  const std::vector<std::vector<int>> Expected = {{0, 0, 0, 0, 12, 12, 0, 0},
                                                  {0, 0, 27, 27, 27, 27, 27, 27},
                                                  {12, 12, 27, 27, 105, 105, 27, 27},
                                                  {12, 12, 60, 60, 60, 60, 60, 60}};
  for (int y = 0; y < 8; ++y) EXPECT_EQ(Row(F, y), Expected[y / 2]) << "row " << y;
  EXPECT_EQ(F.At(4, 8), 255);
}

TEST(FlameStep, WindOnlyCountsBySign) {
  for (int Wind : {1, 7, 1000000}) {
    TField F(8, 12);
    F.At(4, 8) = 255;
    uint32_t Seed = 0;
    StepBoth(F, Params(F, Wind), Seed);
    for (int y : {6, 7}) EXPECT_EQ(Row(F, y), (std::vector<int>{0, 0, 28, 28, 60, 60, 92, 92})) << Wind;
  }
  TField Left(8, 12), Minus3(8, 12);
  Left.At(4, 8) = Minus3.At(4, 8) = 255;
  uint32_t s1 = 0, s2 = 0;
  StepBoth(Left, Params(Left, -1), s1);
  StepBoth(Minus3, Params(Minus3, -3), s2);
  EXPECT_EQ(Left.Heat, Minus3.Heat);
  EXPECT_EQ(Row(Left, 6), (std::vector<int>{0, 0, 92, 92, 60, 60, 28, 28}));
}

TEST(FlameStep, SparksFollowTheGeneratorCellByCell) {
  // Every other cell of row 4 is an edge; with intensity 10 a cell ignites
  // when Random(2) draws 1. Replay the draws by hand.
  TField F(16, 12);
  for (int x = 0; x < 16; x += 4) F.Edges[4 * 16 + x] = 255;
  TStepParams P = Params(F, 0, 10);
  P.Top = 2;
  P.Bottom = 7;
  const uint32_t Start = 12345;
  uint32_t Seed = Start, Replay = Start;
  StepBoth(F, P, Seed);
  int Sparks = 0;
  for (int x = 0; x < 16; x += 4) {
    const bool Ignites = RandomStep(Replay, 2) == 1;
    EXPECT_EQ(F.At(x, 6), Ignites ? 255 : 0) << x;
    Sparks += Ignites;
  }
  EXPECT_EQ(Seed, Replay);  // one draw per edge cell, none for the others
  EXPECT_GT(Sparks, 0);
}

TEST(FlameStep, NoSparksFromIntensityElevenOrMore) {
  for (int Intensity : {11, 12, 1000, 2147483647}) {
    TField F(32, 20);
    std::fill(F.Edges.begin(), F.Edges.end(), 255);
    uint32_t Seed = 99;
    for (int i = 0; i < 20; ++i) StepBoth(F, Params(F, 0, Intensity), Seed);
    for (uint8_t h : F.Heat) ASSERT_EQ(h, 0) << Intensity;
  }
}

TEST(FlameStep, FastVersionMatchesTheRulesOnRandomFields) {
  // Widths around the packed chunk size, odd widths, tiny areas, bands of
  // every kind, winds, intensities and seeds.
  uint32_t Gen = 2024;
  auto Next = [&](uint32_t n) { return RandomStep(Gen, n); };
  const int Widths[] = {1, 2, 3, 5, 8, 15, 16, 17, 18, 31, 32, 33, 34, 62, 63, 64, 66, 130, 257};
  for (int W : Widths) {
    for (int Trial = 0; Trial < 12; ++Trial) {
      const int H = 1 + int(Next(60));
      TField F(W, H);
      for (auto& h : F.Heat) h = uint8_t(Next(4) == 0 ? Next(256) : 0);
      const uint32_t Density = 1 + Next(8);
      for (auto& e : F.Edges) e = Next(Density) == 0 ? 255 : (Next(50) == 0 ? uint8_t(1 + Next(254)) : 0);
      TStepParams P = Params(F, int(Next(5)) - 2, int(Next(14)), uint8_t(Next(20)));
      BandRows(H, int(Next(130)) - 10, P.Top, P.Bottom);
      uint32_t Seed = Next(0xFFFFFFFFu);
      for (int Frame = 0; Frame < 4; ++Frame) {
        SCOPED_TRACE(testing::Message() << "W=" << W << " H=" << H << " trial " << Trial << " frame " << Frame);
        StepBoth(F, P, Seed);
        if (HasFatalFailure()) return;
      }
    }
  }
}

// With a history the step and blend leave cold stretches alone; every frame
// must still match the rules. Fields with edges only in some columns keep
// wide stretches cold beside burning ones; widths around the stretch size;
// the band moves (to an odd top and back), a new fire starts in cold
// stretches, then the edges go and the cooling rises as in the fade-out, all
// without telling the history.
TEST(FlameStep, SkippingColdStretchesMatchesTheRulesFrameAfterFrame) {
  const int Widths[] = {2, 66, 254, 256, 258, 600, 1030, 1536, 2050, 31};
  const std::pair<int, int> Bands[] = {{0, 100}, {12, 60}, {20, 61}, {26, 100}};
  uint32_t Gen = 77;
  for (TSimdLevel Level : SimdLevels()) {
    for (int W : Widths) {
      ForceSimd(Level);
      SCOPED_TRACE(testing::Message() << "level " << int(Level) << " W=" << W);
      const int H = 48;
      TField F(W, H);
      // Edges and some heat in a band of columns only.
      const int EdgeFrom = W / 3, EdgeTo = W / 3 + std::max(2, W / 12);
      for (int y = 0; y < H; ++y)
        for (int x = EdgeFrom; x < EdgeTo && x < W; ++x) {
          F.Edges[size_t(y) * W + x] = RandomStep(Gen, 3) == 0 ? 255 : 0;
          F.At(x, y) = RandomStep(Gen, 9) == 0 ? uint8_t(RandomStep(Gen, 256)) : 0;
        }
      std::vector<uint8_t> Grey(F.Heat.size()), Image(F.Heat.size());
      for (size_t i = 0; i < Grey.size(); ++i) {
        Grey[i] = uint8_t(RandomStep(Gen, 256));
        Image[i] = uint8_t(RandomStep(Gen, 256));
      }
      TField Fast = F;
      std::vector<uint8_t> FastImage = Image;
      TEdgeCells Cells;
      Cells.Build(F.Edges.data(), W, H);
      TStepScratch Scratch;
      TStepHistory History;
      uint32_t Seed = 4242, FastSeed = Seed;
      uint8_t Cooling = 3;
      for (int Frame = 0; Frame < 45; ++Frame) {
        // A fire starts in stretches that were cold, on rows only the shifted
        // band visits: no spark tells the history there.
        if (Frame == 14) {
          for (int y = 1; y < H; y += 2)
            for (int x = 2 * W / 3; x < 2 * W / 3 + std::max(2, W / 12); x += 2) F.Edges[size_t(y) * W + x] = 255;
          Cells.Build(F.Edges.data(), W, H);
        }
        if (Frame == 32) {
          std::fill(F.Edges.begin(), F.Edges.end(), 0);
          Cells.Clear();
          Cooling = 10;
        }
        TStepParams P = Params(F, 1, 9, Cooling);
        for (auto [From, Height] : Bands)
          if (Frame >= From) BandRows(H, Height, P.Top, P.Bottom);
        FlameStepReference(F.Heat.data(), F.Edges.data(), P, Seed);
        BlendReference(Image.data(), F.Heat.data(), Grey.data(), size_t(P.Top) * W, size_t(P.Bottom) * W);
        const TBlendTarget Target{FastImage.data(), Grey.data()};
        FlameStep(Fast.Heat.data(), Cells, P, FastSeed, Scratch, &Target, &History);
        ASSERT_EQ(F.Heat, Fast.Heat) << "frame " << Frame;
        ASSERT_EQ(Image, FastImage) << "frame " << Frame;
        ASSERT_EQ(Seed, FastSeed) << "frame " << Frame;
      }
    }
  }
  ForceSimd(TSimdLevel::Avx2);
}

TEST(Blend, ColdHeatSettlesTheImageWithinTheRememberedNumberOfFrames) {
  const uint8_t NoHeat = 0;
  for (int Grey = 0; Grey < 256; ++Grey)
    for (int Start = 0; Start < 256; ++Start) {
      uint8_t Img = uint8_t(Start);
      const uint8_t g = uint8_t(Grey);
      for (int i = 0; i < TStepHistory::SettleBlends; ++i) BlendReference(&Img, &NoHeat, &g, 0, 1);
      const uint8_t Settled = Img;
      BlendReference(&Img, &NoHeat, &g, 0, 1);
      ASSERT_EQ(Img, Settled) << "grey " << Grey << " from " << Start;
    }
}

TEST(Blend, SettlingSequences) {
  auto Run = [](uint8_t Heat, uint8_t Grey, uint8_t Start, int Frames) {
    std::vector<int> Seq;
    uint8_t Img = Start;
    for (int i = 0; i < Frames; ++i) {
      Blend(&Img, &Heat, &Grey, 0, 1);
      Seq.push_back(Img);
    }
    return Seq;
  };
  EXPECT_EQ(Run(0, 0, 128, 8), (std::vector<int>{74, 47, 33, 26, 23, 21, 20, 20}));
  EXPECT_EQ(Run(255, 255, 20, 5), (std::vector<int>{147, 210, 242, 255, 255}));
  EXPECT_EQ(Run(0, 255, 128, 6), (std::vector<int>{137, 141, 143, 144, 145, 145}));
  EXPECT_EQ(Run(0, 0, 0, 40).back(), 19);
}

// Every byte, and a mark on every block that changed, none outside the range
// or where 255s stay 255; ranges on and off a block, across words of marks.
TEST(Blend, PackedVersionMatchesEveryByteAndMarksTheChangedBlocks) {
  const std::pair<size_t, size_t> Ranges[] = {{0, 1},    {3, 15},   {3, 16},    {3, 17},      {3, 33},  {3, 100},
                                              {3, 4099}, {0, 4099}, {32, 6150}, {2016, 4200}, {1, 6150}, {4064, 4096}};
  constexpr size_t Block = TChangedBlocks::BlockBytes, Settled = 1000, SettledEnd = 3000;
  uint32_t Gen = 7;
  for (const auto& [Begin, End] : Ranges) {
    const size_t Size = End + 40;
    std::vector<uint8_t> Heat(Size), Grey(Size), A(Size);
    for (size_t i = 0; i < Size; ++i)
      for (std::vector<uint8_t>* v : {&Heat, &Grey, &A}) (*v)[i] = uint8_t(RandomStep(Gen, 256));
    // Every combination of extremes shows up in the first bytes.
    const uint8_t Extremes[] = {0, 1, 254, 255};
    for (size_t i = 0; i < std::min(Size, size_t(64)); ++i) {
      Heat[i] = Extremes[i % 4];
      Grey[i] = Extremes[(i / 4) % 4];
      A[i] = Extremes[(i / 16) % 4];
    }
    for (size_t i = Settled; i < std::min(SettledEnd, Size); ++i) Heat[i] = Grey[i] = A[i] = 255;
    const std::vector<uint8_t> Start = A;
    BlendReference(A.data(), Heat.data(), Grey.data(), Begin, End);
    const TChangedBlocks Differ = support::BlocksThatDiffer(Start.data(), A.data(), int(Size), 1, Size);
    for (TSimdLevel Level : SimdLevels()) {
      SCOPED_TRACE(testing::Message() << Begin << ".." << End << " level " << int(ForceSimd(Level)));
      std::vector<uint8_t> B = Start;
      TChangedBlocks Changed = Differ;
      Changed.Clear();
      Blend(B.data(), Heat.data(), Grey.data(), Begin, End, Changed.Words.data());
      ASSERT_EQ(A, B);
      for (size_t k = 0; k * Block < Size; ++k) {
        const bool Kept = k * Block >= Settled + Block && (k + 2) * Block <= std::min(SettledEnd, End);
        const bool MayMark = !Kept && (k + 1) * Block > Begin && k * Block < End;
        EXPECT_TRUE(Differ.Marked(k) ? Changed.Marked(k) : MayMark || !Changed.Marked(k)) << "block " << k;
      }
    }
  }
  ForceSimd(TSimdLevel::Avx2);
}

TEST(ExpandThroughColorTable, EveryIndexAtEveryLevelAndAlignment) {
  // Four distinct bytes per entry, the spare one included: the entry is
  // copied whole, not just its colours.
  uint32_t Table[256];
  for (uint32_t j = 0; j < 256; ++j) Table[j] = (j ^ 0x5A) | ((255 - j) << 8) | ((j * 7 & 255) << 16) | ((j + 1) << 24);
  uint32_t Gen = 99;
  std::vector<uint8_t> Index(1100);
  for (size_t i = 0; i < Index.size(); ++i) Index[i] = i < 256 ? uint8_t(i) : uint8_t(RandomStep(Gen, 256));
  constexpr uint32_t Guard = 0xDEADBEEF;
  for (TSimdLevel Level : SimdLevels()) {
    ForceSimd(Level);
    for (size_t Count : {0, 1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 256, 1027})
      for (size_t From : {0, 1, 3})
        for (size_t To : {0, 1, 2}) {
          std::vector<uint32_t> Out(Count + To + 20, Guard);
          ExpandThroughColorTable(Index.data() + From, Table, Out.data() + To, Count);
          for (size_t i = 0; i < Out.size(); ++i) {
            const bool Inside = i >= To && i < To + Count;
            ASSERT_EQ(Out[i], Inside ? Table[Index[From + i - To]] : Guard)
                << "level " << int(Level) << " count " << Count << " from " << From << " to " << To << " at " << i;
          }
        }
  }
  ForceSimd(TSimdLevel::Avx2);
}

TEST(EdgeMask, OnlyTheLowByteOfTheLaplacianCounts) {
  const int W = 9, H = 14;
  // Centre (4, 4) dark; its neighbours add up to the Laplacian wanted.
  auto MaskFor = [&](int Centre, int NeighbourSum) {
    std::vector<uint8_t> Grey(W * H, 0), Edges(W * H, 7);
    Grey[4 * W + 4] = uint8_t(Centre);
    int Left = NeighbourSum;
    const int Offsets[][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    for (auto& o : Offsets) {
      const int v = Left > 255 ? 255 : Left;
      Grey[(4 + o[1]) * W + 4 + o[0]] = uint8_t(v);
      Left -= v;
    }
    BuildEdgeMask(Grey.data(), W, H, Edges.data());
    return Edges[4 * W + 4];
  };
  EXPECT_EQ(MaskFor(0, 300), 0);    // |L| = 300, low byte 44
  EXPECT_EQ(MaskFor(0, 50), 255);   // 50
  EXPECT_EQ(MaskFor(0, 306), 255);  // low byte 50
  EXPECT_EQ(MaskFor(0, 49), 0);
  EXPECT_EQ(MaskFor(50, 350), 255);  // L = -50
  EXPECT_EQ(MaskFor(100, 800), 0);   // L = 0
}

TEST(EdgeMask, BordersNeverHoldSparks) {
  const int W = 12, H = 20;
  std::vector<uint8_t> Grey(W * H), Edges(W * H);
  for (int i = 0; i < W * H; ++i) Grey[i] = (i % 2) ? 255 : 0;  // edges everywhere
  BuildEdgeMask(Grey.data(), W, H, Edges.data());
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const bool Inside = y >= 2 && y <= H - 7 && x >= 2 && x <= W - 2;
      EXPECT_EQ(Edges[y * W + x] != 0, Inside) << x << "," << y;
    }
  // Too small for any edge: nothing is read out of bounds either.
  for (int w = 0; w < 5; ++w)
    for (int h = 0; h < 10; ++h) {
      std::vector<uint8_t> g(size_t(w) * h + 1, 255), e(size_t(w) * h + 1, 9);
      BuildEdgeMask(g.data(), w, h, e.data());
      for (int i = 0; i < w * h; ++i) EXPECT_EQ(e[i], 0);
    }
}

TEST(SmoothShot, OnlyInnerPixelsAndInPlace) {
  std::vector<uint8_t> Img(16, 0);
  Img[2 * 4 + 2] = 160;
  SmoothShot(Img.data(), 4, 4);
  std::vector<uint8_t> Expected(16, 0);
  Expected[2 * 4 + 2] = 80;  // 8 x 160 / 16; no other pixel is touched
  EXPECT_EQ(Img, Expected);

  std::vector<uint8_t> Five(25, 0);
  for (int i = 0; i < 25; ++i) Five[i] = uint8_t(16 * (i % 5));
  std::vector<uint8_t> Before = Five;
  SmoothShot(Five.data(), 5, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool Smoothed = (x == 2 || x == 3) && (y == 2 || y == 3);
      if (!Smoothed) {
        EXPECT_EQ(Five[y * 5 + x], Before[y * 5 + x]) << x << "," << y;
      }
    }
  // (2, 2): neighbours 16+32+48 above, 16+48 beside, 16+32+48 below, centre 32.
  EXPECT_EQ(Five[12], (16 + 32 + 48 + 16 + 48 + 16 + 32 + 48 + 8 * 32) / 16);
  // (3, 2) reads the already smoothed (2, 2) on its left.
  const int Left = Five[12];
  EXPECT_EQ(Five[13], (32 + 48 + 64 + Left + 64 + 32 + 48 + 64 + 8 * 48) / 16);
}

TEST(EdgeMask, UniformPicturesHaveNoEdges) {
  std::vector<uint8_t> Flat(64 * 48 * 4, 90);
  EXPECT_FALSE(PictureHasEdges(Flat.data(), 64, 48));
  EXPECT_FALSE(PictureHasEdges(nullptr, 64, 48));
  // One bright pixel inside the rows and columns that may spark.
  Flat[(20 * 64 + 30) * 4 + 2] = 255;
  Flat[(20 * 64 + 30) * 4 + 1] = 255;
  EXPECT_TRUE(PictureHasEdges(Flat.data(), 64, 48));
  // The same pixel on the border rows cannot spark.
  std::vector<uint8_t> Border(64 * 48 * 4, 90);
  std::memset(&Border[(47 * 64 + 30) * 4], 255, 4);
  EXPECT_FALSE(PictureHasEdges(Border.data(), 64, 48));
}
