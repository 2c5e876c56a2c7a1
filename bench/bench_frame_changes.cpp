// What a frame costs the hosts before it reaches the screen, at 1920 x 1080:
// every pixel expanded (the first frame, or a style morphing) against only
// the changed ones the engine names, in made-up frames and in a fire burning
// a desktop.
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
  // Going from either frame to the other changes the same blocks.
  TChangedBlocks Changed;
  Changed.Fit(Frames[1].size());
  Changed.Clear();
  for (size_t b = 0; b + 16 <= Frames[1].size(); b += 16)
    if (RandomStep(Seed, 100) < static_cast<uint32_t>(State.range(0))) {
      Frames[1][b + 5] ^= 1;
      MarkChangedBlocks(Changed.Words.data(), b + 5, b + 6);
    }
  std::vector<uint8_t> Out(size_t(W) * H * 4);
  uint32_t Tables[2][256];
  for (uint32_t i = 0; i < 256; ++i) Tables[0][i] = 0x010101u * i, Tables[1][i] = 0x010100u * i;
  const bool Morphing = State.range(1) != 0;
  TFrameChanges Changes;
  size_t Rects = 0, Frame = 0;
  for (auto _ : State) {
    ++Frame;
    Rects += Changes.Update(Frames[Frame & 1].data(), W, W, H, Tables[Morphing ? Frame & 1 : 0], Out.data(),
                            size_t(W) * 4, Changed).size();
    benchmark::DoNotOptimize(Out.data());
  }
  State.counters["rects"] = double(Rects) / double(State.iterations());
}
BENCHMARK(BM_FrameChanges)->Args({0, 0})->Args({1, 0})->Args({10, 0})->Args({50, 0})->Args({100, 0})
    ->Args({100, 1})->Unit(benchmark::kMillisecond);

// Keeps each frame the engine draws, with the blocks it says changed.
class TFrameRecorder : public IFlameCanvas {
 public:
  void DrawFrame(const TBitmapInfo8&, const uint8_t* Bits, const TChangedBlocks& Changed) override {
    Images.emplace_back(Bits, Bits + size_t(W) * H);
    Maps.push_back(Changed);
  }
  std::vector<std::vector<uint8_t>> Images;
  std::vector<TChangedBlocks> Maps;
};

// Frames of a developed fire over the desktop picture, with a still style:
// the share of pixels that changed and of the frame the rectangles cover.
// Arg: 1 to start each frame with cold caches, as a running host does with
// 40 ms between frames (a warm loop hides where the time goes).
void BM_FireChanges(benchmark::State& State) {
  const bool Cold = State.range(0) != 0;
  std::vector<uint8_t> Evict(Cold ? size_t(64) << 20 : 0, 1);
  const std::vector<uint8_t> Picture = DesktopLikePicture(W, H);
  TFlamePreset Style{};
  Style.FlameIntensity = 8;
  Style.Wind = 1;
  int32_t PH = 100;
  Randomize(1);
  TFrameRecorder Recorder;
  TFlame Flame;
  Flame.Init(&Recorder, TRect{0, 0, W, H}, Picture.data(), &Style, &PH);
  constexpr int Frames = 16;
  for (int i = 0; i < 30 + Frames; ++i) Flame.NextFrame();
  const std::vector<std::vector<uint8_t>> Images(Recorder.Images.end() - Frames, Recorder.Images.end());
  const std::vector<TChangedBlocks> Maps(Recorder.Maps.end() - Frames, Recorder.Maps.end());
  uint32_t Table[256];
  for (uint32_t i = 0; i < 256; ++i) Table[i] = 0x010101u * i;
  std::vector<uint8_t> Out(size_t(W) * H * 4);
  TFrameChanges Changes;
  TChangedBlocks Everything;
  Everything.Fit(Images.back().size());
  Changes.Update(Images.back().data(), W, W, H, Table, Out.data(), size_t(W) * 4, Everything);
  // The last frame's changes lead back to the first, so that the frames can
  // go round: that map is the first frame compared with the last.
  std::vector<TChangedBlocks> Ring = Maps;
  Ring[0].All = false;
  std::fill(Ring[0].Words.begin(), Ring[0].Words.end(), 0);
  for (size_t i = 0; i < Images[0].size(); ++i)
    if (Images[0][i] != Images[Frames - 1][i]) MarkChangedBlocks(Ring[0].Words.data(), i, i + 1);
  double Changed = 0, Covered = 0;
  size_t Frame = 0;
  for (auto _ : State) {
    const std::vector<uint8_t>& Now = Images[Frame % Frames];
    const std::vector<uint8_t>& Before = Images[(Frame + Frames - 1) % Frames];
    const TChangedBlocks& Map = Ring[Frame % Frames];
    ++Frame;
    for (const TRect& R : Changes.Update(Now.data(), W, W, H, Table, Out.data(), size_t(W) * 4, Map))
      Covered += double(R.Right - R.Left) * double(R.Bottom - R.Top);
    State.PauseTiming();
    for (size_t i = 0; i < Now.size(); ++i) Changed += Now[i] != Before[i];
    for (size_t i = 0; i < Evict.size(); i += 64) Evict[i] += 1;
    benchmark::DoNotOptimize(Evict.data());
    State.ResumeTiming();
  }
  const double Pixels = double(W) * H * double(State.iterations());
  State.counters["changed%"] = 100 * Changed / Pixels;
  State.counters["copied%"] = 100 * Covered / Pixels;
}
BENCHMARK(BM_FireChanges)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
