// Engines stepped together on several threads give what stepping them one
// after another gives: the same images, heat and generator seed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "core/engine/uFlameGroup.h"
#include "core/shared/uRandom.h"

using namespace emberdell;

namespace {

TFlamePreset Style(int Intensity, int Wind) {
  TFlamePreset p;
  std::memset(&p, 0, sizeof p);
  p.FlameIntensity = Intensity;
  p.Wind = Wind;
  for (int i = 0; i < 256; ++i) p.Red[i] = uint8_t(255 - i), p.Green[i] = uint8_t(i / 2), p.Blue[i] = 255;
  return p;
}

// Bright boxes on black, one per engine at another place, so each has its
// own number of edge cells.
std::vector<uint8_t> Picture(int W, int H, int Shift) {
  std::vector<uint8_t> px(size_t(W) * H * 4, 0);
  for (int y = H / 5 + Shift; y < H - H / 4; ++y)
    for (int x = W / 6 + Shift; x < W - W / 3; ++x) std::memset(&px[(size_t(y) * W + x) * 4], 255, 3);
  return px;
}

struct TMonitors {
  std::vector<std::unique_ptr<TFlame>> Flames;
  std::vector<TFlame*> Pointers;
};

}  // namespace

TEST(Random, AdvanceSeedIsThatManyDraws) {
  for (uint64_t Draws : {0ull, 1ull, 2ull, 7ull, 1000ull, 123457ull}) {
    uint32_t Seed = 0xDEADBEEF;
    for (uint64_t i = 0; i < Draws; ++i) RandomStep(Seed, 10);
    EXPECT_EQ(AdvanceSeed(0xDEADBEEF, Draws), Seed) << Draws;
  }
}

TEST(FlameGroup, ParallelFramesMatchOneAfterAnother) {
  struct TCase {
    std::vector<std::pair<int, int>> Sizes;
    int32_t PictureHeight;
    int Intensity, Wind;
    int FadeOutAt;  // frame at which the second engine starts its fade-out, -1 never
  };
  const TCase Cases[] = {
      {{{64, 48}, {64, 48}}, 100, 8, 1, -1},
      {{{97, 61}, {33, 130}, {50, 7}}, 60, 10, -1, 3},
      {{{120, 90}, {0, 0}, {41, 41}}, 100, 4, 0, 1},  // an empty area among them
      {{{80, 60}, {80, 60}}, -5, 8, 1, -1},           // nothing burns, frames still drawn
  };
  for (const TCase& Case : Cases) {
    const TFlamePreset S = Style(Case.Intensity, Case.Wind);
    auto Make = [&](TMonitors& M) {
      for (size_t i = 0; i < Case.Sizes.size(); ++i) {
        const auto [W, H] = Case.Sizes[i];
        const std::vector<uint8_t> Pic = Picture(W, H, int(i));
        M.Flames.push_back(std::make_unique<TFlame>());
        M.Flames.back()->FFadeOutTime = 500;
        M.Flames.back()->Init(nullptr, TRect{0, 0, W, H}, W > 0 && H > 0 ? Pic.data() : nullptr, &S, &Case.PictureHeight);
        M.Pointers.push_back(M.Flames.back().get());
      }
    };
    TMonitors InTurn, Together;
    Make(InTurn);
    Make(Together);
    TFrameWorkers Workers;
    uint32_t Seeds[2] = {};
    for (int Frame = 0; Frame < 8; ++Frame) {
      if (Frame == Case.FadeOutAt) InTurn.Flames[1]->StartFadeOut(), Together.Flames[1]->StartFadeOut();
      Randomize(1000 + Frame);
      for (TFlame* F : InTurn.Pointers) F->NextFrame();
      Seeds[0] = GetRandSeed();
      Randomize(1000 + Frame);
      NextFrames(Together.Pointers, Workers);
      Seeds[1] = GetRandSeed();
      ASSERT_EQ(Seeds[0], Seeds[1]) << "frame " << Frame;
      for (size_t i = 0; i < InTurn.Flames.size(); ++i) {
        ASSERT_EQ(InTurn.Flames[i]->Heat(), Together.Flames[i]->Heat()) << "engine " << i << " frame " << Frame;
        ASSERT_EQ(InTurn.Flames[i]->Image(), Together.Flames[i]->Image()) << "engine " << i << " frame " << Frame;
      }
    }
  }
}

TEST(FlameGroup, WorkersRunEveryJobOnceAndPassOnAFailure) {
  TFrameWorkers Workers;
  for (size_t Count : {3u, 1u, 4u, 2u}) {
    std::vector<std::atomic<int>> Runs(Count);
    Workers.Run(Count, [&](size_t i) { ++Runs[i]; });
    for (size_t i = 0; i < Count; ++i) EXPECT_EQ(Runs[i], 1) << Count << " jobs, job " << i;
  }
  std::atomic<int> Finished{0};
  EXPECT_THROW(Workers.Run(3,
                           [&](size_t i) {
                             if (i == 2) throw std::runtime_error("frame failed");
                             ++Finished;
                           }),
               std::runtime_error);
  EXPECT_EQ(Finished, 2);
  // And the workers are still there for the next frame.
  std::atomic<int> After{0};
  Workers.Run(3, [&](size_t) { ++After; });
  EXPECT_EQ(After, 3);
}
