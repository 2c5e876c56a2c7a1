// Two burning 4K monitors: one engine after another against both at once.
// Wall time counts here, not the main thread's CPU time.
//   build/native/bench/bench_monitors --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "core/engine/uFlameGroup.h"
#include "core/shared/uRandom.h"

using namespace emberdell;

namespace {

// Rows of light windows on a dark desktop: outlines all over the screen.
std::vector<uint8_t> Windows(int W, int H) {
  std::vector<uint8_t> px(size_t(W) * H * 4, 40);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if ((x / 240 + y / 180) % 2 == 0 && x % 240 > 20 && y % 180 > 20) std::memset(&px[(size_t(y) * W + x) * 4], 230, 3);
  return px;
}

void BM_TwoMonitors(benchmark::State& State) {
  const int W = 3840, H = 2160;
  const bool Together = State.range(0) != 0;
  TFlamePreset Style;
  std::memset(&Style, 0, sizeof Style);
  Style.FlameIntensity = 8;
  Style.Wind = 1;
  const int32_t PH = 100;
  const std::vector<uint8_t> Picture = Windows(W, H);
  std::vector<std::unique_ptr<TFlame>> Flames;
  std::vector<TFlame*> Pointers;
  for (int i = 0; i < 2; ++i) {
    Flames.push_back(std::make_unique<TFlame>());
    Flames.back()->Init(nullptr, TRect{0, 0, W, H}, Picture.data(), &Style, &PH);
    Pointers.push_back(Flames.back().get());
  }
  Randomize(1);
  TFrameWorkers Workers;
  for (int i = 0; i < 30; ++i) NextFrames(Pointers, Workers);  // a developed fire
  for (auto _ : State) {
    if (Together)
      NextFrames(Pointers, Workers);
    else
      for (TFlame* Flame : Pointers) Flame->NextFrame();
  }
  State.SetLabel(Together ? "together" : "in turn");
}

}  // namespace

BENCHMARK(BM_TwoMonitors)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
