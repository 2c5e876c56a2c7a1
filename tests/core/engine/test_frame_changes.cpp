// The frame's changes as the hosts send them to the screen: whatever was
// skipped must already be on the screen, and every changed pixel must lie in
// a rectangle that is copied.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/engine/uFlameStep.h"
#include "core/engine/uFrameChanges.h"
#include "core/shared/uRandom.h"
#include "tests/support/changed_blocks.h"

using namespace emberdell;

namespace {

struct TScreen {
  int W, H;
  size_t Stride, OutStride;
  std::vector<uint8_t> Bits, Out;
  TScreen(int Width, int Height, size_t Pad)
      : W(Width), H(Height), Stride(size_t(Width) + Pad), OutStride(size_t(Width) * 4 + 4 * Pad),
        Bits(Stride * size_t(Height), 0), Out(OutStride * size_t(Height), 0xCD) {}
  uint8_t& At(int x, int y) { return Bits[size_t(y) * Stride + size_t(x)]; }
  uint32_t Shown(int x, int y) const {
    uint32_t p;
    std::memcpy(&p, &Out[size_t(y) * OutStride + size_t(x) * 4], 4);
    return p;
  }
};

bool Covered(const std::vector<TRect>& Rects, int x, int y) {
  for (const TRect& R : Rects)
    if (x >= R.Left && x < R.Right && y >= R.Top && y < R.Bottom) return true;
  return false;
}

}  // namespace

TEST(FrameChanges, ScreenMatchesEveryFrameAndEveryChangeIsCopied) {
  uint32_t Table[256], Other[256];
  for (uint32_t j = 0; j < 256; ++j) Table[j] = j * 0x01010101u ^ 0x00A05000u, Other[j] = ~Table[j];
  struct TCase {
    int W, H;
    size_t Pad;
  };
  for (const TSimdLevel Level : {TSimdLevel::Scalar, TSimdLevel::Sse2, TSimdLevel::Avx2})
  for (const TCase& C : {TCase{1, 1, 3}, TCase{17, 3, 3}, TCase{40, 20, 0}, TCase{333, 41, 3}, TCase{16, 16, 0}, TCase{50, 9, 2}}) {
    SCOPED_TRACE(testing::Message() << "level " << int(ForceSimd(Level)));
    TScreen S(C.W, C.H, C.Pad);
    TFrameChanges Changes;
    uint32_t Gen = 7;
    for (auto& b : S.Bits) b = uint8_t(RandomStep(Gen, 256));
    const uint32_t* Now = Table;
    for (int Frame = 0; Frame < 12; ++Frame) {
      std::vector<uint8_t> Before = S.Bits;
      // Frames 3 and 7 change nothing; 5 changes the colour table; the rest
      // change single pixels (corners, row ends, runs across blocks).
      if (Frame == 5) Now = Other;
      if (Frame != 3 && Frame != 7 && Frame != 5) {
        S.At(0, 0) ^= uint8_t(Frame);
        S.At(C.W - 1, C.H - 1) += 1;
        S.At(C.W - 1, C.H / 2) += 3;
        for (int k = 0; k < Frame * 3; ++k) S.At(int(RandomStep(Gen, uint32_t(C.W))), int(RandomStep(Gen, uint32_t(C.H)))) += 1;
      }
      if (Frame == 9)  // a run longer than a block, ending mid-block
        for (int x = 0; x < std::min(C.W, 37); ++x) S.At(x, C.H - 1) += 2;
      const TChangedBlocks Changed = Frame == 0 ? support::AllBlocks(C.W, C.H)
                                                : support::BlocksThatDiffer(Before.data(), S.Bits.data(), C.W, C.H, S.Stride);
      const std::vector<TRect>& Rects =
          Changes.Update(S.Bits.data(), S.Stride, C.W, C.H, Now, S.Out.data(), S.OutStride, Changed);
      const bool Whole = Frame == 0 || Frame == 5;
      if (Whole) {
        ASSERT_EQ(1u, Rects.size());
        EXPECT_EQ(0, Rects[0].Left);
        EXPECT_EQ(C.H, Rects[0].Bottom);
      }
      if (Frame == 3 || Frame == 7) {
        EXPECT_TRUE(Rects.empty()) << C.W;
      }
      for (const TRect& R : Rects) {
        EXPECT_TRUE(R.Left >= 0 && R.Left < R.Right && R.Right <= C.W) << C.W << " " << Frame;
        EXPECT_TRUE(R.Top >= 0 && R.Top < R.Bottom && R.Bottom <= C.H) << C.W << " " << Frame;
      }
      for (int y = 0; y < C.H; ++y)
        for (int x = 0; x < C.W; ++x) {
          ASSERT_EQ(Now[S.At(x, y)], S.Shown(x, y)) << C.W << " frame " << Frame << " at " << x << "," << y;
          if (Frame > 0 && Before[size_t(y) * S.Stride + size_t(x)] != S.At(x, y)) {
            ASSERT_TRUE(Covered(Rects, x, y)) << C.W << " frame " << Frame << " at " << x << "," << y;
          }
        }
      // The padding of either image is never written.
      if (C.Pad > 0) {
        EXPECT_EQ(0xCD, S.Out[S.OutStride - 1]);
      }
    }
    Changes.Forget();
    const TChangedBlocks Nothing = support::BlocksThatDiffer(S.Bits.data(), S.Bits.data(), C.W, C.H, S.Stride);
    EXPECT_EQ(1u, Changes.Update(S.Bits.data(), S.Stride, C.W, C.H, Now, S.Out.data(), S.OutStride, Nothing).size());
  }
  ForceSimd(TSimdLevel::Avx2);
}

TEST(FrameChanges, NearbyBandsJoinAndDistantOnesStaySeparate) {
  struct TCase {
    std::vector<int32_t> Left, Right;
    std::vector<TRect> Expected;
  };
  const int W = 1920, H = 60;  // 8 bands, the last one 4 rows high
  const TCase Cases[] = {
      {{W, W, W, W, W, W, W, W}, {0, 0, 0, 0, 0, 0, 0, 0}, {}},
      // Neighbours of similar extent become one rectangle.
      {{100, 90, W, W, W, W, W, W}, {200, 210, 0, 0, 0, 0, 0, 0}, {{90, 0, 210, 16}}},
      // Far apart on the same rows: joining would copy a wide empty strip.
      {{0, W, W, W, W, W, W, 1800}, {10, 0, 0, 0, 0, 0, 0, 1900}, {{0, 0, 10, 8}, {1800, 56, 1900, 60}}},
      // A wide band and a small one far to the side, just below: joined, the
      // extra area being less than another copy costs.
      {{0, 1500, W, W, W, W, W, W}, {1920, 1600, 0, 0, 0, 0, 0, 0}, {{0, 0, 1920, 16}}},
      // A wide flame above a narrow column: the column's rows join only
      // while the rectangle's waste stays below what another copy costs.
      {{0, 0, 0, 0, 0, 0, 0, 0}, {864, 96, 96, 96, 96, 96, 96, 96}, {{0, 0, 864, 24}, {0, 24, 96, 60}}},
      // Extents beyond the frame are clipped.
      {{-5, W, W, W, W, W, W, 1900}, {30, 0, 0, 0, 0, 0, 0, 2000}, {{0, 0, 30, 8}, {1900, 56, 1920, 60}}},
  };
  for (const TCase& C : Cases) {
    std::vector<TRect> Rects;
    JoinBands(C.Left, C.Right, W, H, Rects);
    ASSERT_EQ(C.Expected.size(), Rects.size());
    for (size_t i = 0; i < Rects.size(); ++i) {
      EXPECT_EQ(C.Expected[i].Left, Rects[i].Left) << i;
      EXPECT_EQ(C.Expected[i].Top, Rects[i].Top) << i;
      EXPECT_EQ(C.Expected[i].Right, Rects[i].Right) << i;
      EXPECT_EQ(C.Expected[i].Bottom, Rects[i].Bottom) << i;
    }
  }
}

namespace {

// Shows the engine's frames as a host does, from the blocks the engine says
// changed, and checks each against the image itself.
class TMappedCanvas : public IFlameCanvas {
 public:
  void DrawFrame(const TBitmapInfo8& Info, const uint8_t* Bits, const TChangedBlocks& Changed) override {
    W = Info.biWidth;
    H = -Info.biHeight;
    Stride = DibStride(W);
    for (int j = 0; j < 256; ++j) std::memcpy(&Table[j], Info.Colors[j], 4);
    Out.resize(size_t(W) * H * 4);
    Before = Now;
    Now.assign(Bits, Bits + Stride * size_t(H));
    Rects = Changes.Update(Bits, Stride, W, H, Table, Out.data(), size_t(W) * 4, Changed);
    ++Frames;
  }
  int W = 0, H = 0, Frames = 0;
  size_t Stride = 0;
  uint32_t Table[256] = {};
  std::vector<uint8_t> Out, Now, Before;
  std::vector<TRect> Rects;
  TFrameChanges Changes;
};

}  // namespace

TEST(FrameChanges, TheEngineNamesEveryBlockItChanges) {
  struct TCase {
    int W, H;
    bool History;
  };
  // Widths that split blocks across rows and pad the rows, with and without
  // the step leaving settled stretches alone.
  const TCase Cases[] = {{333, 41, false}, {64, 40, true}, {517, 60, true}, {130, 25, false}, {270, 36, true}};
  for (const TSimdLevel Level : {TSimdLevel::Scalar, TSimdLevel::Sse2, TSimdLevel::Avx2})
    for (const TCase& C : Cases) {
      SCOPED_TRACE(testing::Message() << "level " << int(ForceSimd(Level)) << ", " << C.W << " x " << C.H);
      std::vector<uint8_t> Picture(size_t(C.W) * C.H * 4, 20);
      // Lit windows, one against the right edge, where rows end mid-block:
      // their outlines spark.
      for (int y = C.H / 3; y < C.H; ++y)
        for (int x = C.W / 4; x < C.W; ++x)
          if (x < C.W / 2 || x > C.W - 30) std::memset(&Picture[(size_t(y) * C.W + x) * 4], 230, 3);
      TFlamePreset Style{};
      for (int j = 0; j < 256; ++j) Style.Red[j] = uint8_t(j), Style.Green[j] = uint8_t(j / 2);
      Style.FlameIntensity = 9;
      int32_t PictureHeight = 100;
      Randomize(3);
      TMappedCanvas Canvas;
      TFlame Flame;
      Flame.SetTuning({C.History ? 0 : int64_t(1) << 40, TFlame::TTuning{}.SkipPaysFrom});
      Flame.Init(&Canvas, TRect{0, 0, C.W, C.H}, Picture.data(), &Style, &PictureHeight);
      for (int Frame = 0; Frame < 40; ++Frame) {
        if (Frame == 15) PictureHeight = 60;  // rows leave the band and come back
        if (Frame == 22) PictureHeight = 100;
        if (Frame == 30) Style.Blue[200] = 99;  // another colour table: all of it again
        Flame.NextFrame();
        ASSERT_EQ(Frame + 1, Canvas.Frames);
        for (int y = 0; y < C.H; ++y)
          for (int x = 0; x < C.W; ++x) {
            const size_t i = size_t(y) * Canvas.Stride + size_t(x);
            uint32_t Shown;
            std::memcpy(&Shown, &Canvas.Out[(size_t(y) * C.W + x) * 4], 4);
            ASSERT_EQ(Canvas.Table[Canvas.Now[i]], Shown) << "frame " << Frame << " at " << x << "," << y;
            if (Frame > 0 && Canvas.Before[i] != Canvas.Now[i]) {
              ASSERT_TRUE(Covered(Canvas.Rects, x, y)) << "frame " << Frame << " at " << x << "," << y;
            }
          }
      }
    }
  ForceSimd(TSimdLevel::Avx2);
}
