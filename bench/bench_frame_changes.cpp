// What a frame costs the hosts before it reaches the screen, at 1920 x 1080:
// every pixel expanded (the first frame, or a style morphing) against only
// the changed ones, in made-up frames and in a fire burning a desktop.
//   build/native/bench/bench_frame_changes --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/desktop_picture.h"
#include "core/engine/uFrameChanges.h"
#include "core/shared/uRandom.h"

using namespace emberdell;

namespace {

constexpr int W = 1920, H = 1080;

// Arg: percent of the 16-pixel blocks changed since the last frame; 100 with
// a new colour table each frame expands everything.
void BM_FrameChanges(benchmark::State& State) {
  std::vector<uint8_t> Frames[2];
  Frames[0].resize(size_t(W) * H);
  uint32_t Seed = 1;
  for (uint8_t& b : Frames[0]) b = static_cast<uint8_t>(RandomStep(Seed, 256));
  Frames[1] = Frames[0];
  for (size_t b = 0; b + 16 <= Frames[1].size(); b += 16)
    if (RandomStep(Seed, 100) < static_cast<uint32_t>(State.range(0))) Frames[1][b + 5] ^= 1;
  std::vector<uint8_t> Out(size_t(W) * H * 4);
  uint32_t Tables[2][256];
  for (uint32_t i = 0; i < 256; ++i) Tables[0][i] = 0x010101u * i, Tables[1][i] = 0x010100u * i;
  const bool Morphing = State.range(1) != 0;
  TFrameChanges Changes;
  size_t Rects = 0, Frame = 0;
  for (auto _ : State) {
    ++Frame;
    Rects += Changes.Update(Frames[Frame & 1].data(), W, W, H, Tables[Morphing ? Frame & 1 : 0], Out.data(),
                            size_t(W) * 4).size();
    benchmark::DoNotOptimize(Out.data());
  }
  State.counters["rects"] = double(Rects) / double(State.iterations());
}
BENCHMARK(BM_FrameChanges)->Args({0, 0})->Args({1, 0})->Args({10, 0})->Args({50, 0})->Args({100, 0})
    ->Args({100, 1})->Unit(benchmark::kMillisecond);

// Frames of a developed fire over the desktop picture, with a still style:
// the share of pixels that changed and of the frame the rectangles cover.
void BM_FireChanges(benchmark::State& State) {
  const std::vector<uint8_t> Picture = DesktopLikePicture(W, H);
  TFlamePreset Style{};
  Style.FlameIntensity = 8;
  Style.Wind = 1;
  int32_t PH = 100;
  Randomize(1);
  TFlame Flame;
  Flame.Init(nullptr, TRect{0, 0, W, H}, Picture.data(), &Style, &PH);
  constexpr int Frames = 16;
  std::vector<std::vector<uint8_t>> Images;
  for (int i = 0; i < 30 + Frames; ++i) {
    Flame.NextFrame();
    if (i >= 30) Images.push_back(Flame.Image());
  }
  uint32_t Table[256];
  for (uint32_t i = 0; i < 256; ++i) Table[i] = 0x010101u * i;
  std::vector<uint8_t> Out(size_t(W) * H * 4);
  TFrameChanges Changes;
  Changes.Update(Images.back().data(), W, W, H, Table, Out.data(), size_t(W) * 4);
  double Changed = 0, Covered = 0;
  size_t Frame = 0;
  for (auto _ : State) {
    const std::vector<uint8_t>& Now = Images[Frame % Frames];
    const std::vector<uint8_t>& Before = Images[(Frame + Frames - 1) % Frames];
    ++Frame;
    for (const TRect& R : Changes.Update(Now.data(), W, W, H, Table, Out.data(), size_t(W) * 4))
      Covered += double(R.Right - R.Left) * double(R.Bottom - R.Top);
    State.PauseTiming();
    for (size_t i = 0; i < Now.size(); ++i) Changed += Now[i] != Before[i];
    State.ResumeTiming();
  }
  const double Pixels = double(W) * H * double(State.iterations());
  State.counters["changed%"] = 100 * Changed / Pixels;
  State.counters["copied%"] = 100 * Covered / Pixels;
}
BENCHMARK(BM_FireChanges)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
