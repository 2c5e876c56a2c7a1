// The frame's hot path: the heat step and the blend, the engine's versions
// beside the straightforward ones, at full HD and 4K over a desktop-like
// picture (windows, title bars, lines of text, icons); frames paced as a run
// paces them, with and without skipping what stays cold; and the expansion
// of the frame to the 32-bit pixels the window canvas shows.
//   build/native/bench/bench_flame --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/desktop_picture.h"
#include "core/engine/uCore.h"
#include "core/engine/uFlameStep.h"
#include "core/shared/uRandom.h"

using namespace emberdell;

namespace {

struct TWarmFlame {
  TFlame Flame;
  TFlamePreset Style;
  int32_t PH = 100;
  std::vector<uint8_t> Picture;
  // SkipColdFrom, when given, replaces the engine's own threshold.
  TWarmFlame(int W, int H, bool Quiet = false, int64_t SkipColdFrom = -1) : Picture(DesktopLikePicture(W, H, Quiet)) {
    std::memset(&Style, 0, sizeof Style);
    Style.FlameIntensity = 8;
    Style.Wind = 1;
    if (SkipColdFrom >= 0) Flame.SetTuning({SkipColdFrom, TFlame::TTuning{}.SkipPaysFrom});
    Randomize(1);
    Flame.Init(nullptr, TRect{0, 0, W, H}, Picture.data(), &Style, &PH);
    for (int i = 0; i < 30; ++i) Flame.NextFrame();  // a developed fire, not a cold start
  }
  // The same step as the engine's frames take.
  TStepParams Params() const {
    TStepParams P;
    P.Width = Flame.Width();
    P.Height = Flame.Height();
    BandRows(P.Height, PH, P.Top, P.Bottom);
    P.Wind = Style.Wind;
    P.FlameIntensity = Style.FlameIntensity;
    return P;
  }
};

void Report(benchmark::State& State, int W, int H, const std::vector<uint8_t>& Edges) {
  size_t EdgeCount = 0;
  for (uint8_t e : Edges) EdgeCount += e != 0;
  State.counters["edge%"] = 100.0 * double(EdgeCount) / double(size_t(W) * H);
  State.counters["frames/s"] = benchmark::Counter(double(State.iterations()), benchmark::Counter::kIsRate);
}

void BM_NextFrame(benchmark::State& State) {
  const int W = int(State.range(0)), H = int(State.range(1));
  TWarmFlame F(W, H);
  for (auto _ : State) F.Flame.NextFrame();
  Report(State, W, H, F.Flame.Edges());
}

// The same frame with the rules as written: the cell walk one cell at a
// time, the blend one byte at a time, and the colour table.
void BM_StraightforwardFrame(benchmark::State& State) {
  const int W = int(State.range(0)), H = int(State.range(1));
  TWarmFlame F(W, H);
  std::vector<uint8_t> Heat = F.Flame.Heat(), Image = F.Flame.Image();
  const std::vector<uint8_t>& Edges = F.Flame.Edges();
  const std::vector<uint8_t>& Grey = F.Flame.Background();
  const TStepParams P = F.Params();
  uint32_t Seed = 5;
  uint8_t Table[256][4];
  for (auto _ : State) {
    FlameStepReference(Heat.data(), Edges.data(), P, Seed);
    BlendReference(Image.data(), Heat.data(), Grey.data(), size_t(P.Top) * W, size_t(P.Bottom) * W);
    for (int j = 0; j < 256; ++j) {
      Table[j][0] = uint8_t(255 - F.Style.Blue[j]);
      Table[j][1] = uint8_t(255 - F.Style.Green[j]);
      Table[j][2] = uint8_t(255 - F.Style.Red[j]);
      Table[j][3] = 0;
    }
    benchmark::DoNotOptimize(Table);
    benchmark::ClobberMemory();
  }
  Report(State, W, H, Edges);
}

void BM_Step(benchmark::State& State) {
  const int W = int(State.range(0)), H = int(State.range(1));
  const bool Fast = State.range(2) != 0;
  TWarmFlame F(W, H);
  std::vector<uint8_t> Heat = F.Flame.Heat();
  const TStepParams P = F.Params();
  uint32_t Seed = 5;
  TStepScratch Scratch;
  TEdgeCells Cells;
  Cells.Build(F.Flame.Edges().data(), W, H);
  for (auto _ : State) {
    if (Fast)
      FlameStep(Heat.data(), Cells, P, Seed, Scratch, nullptr);
    else
      FlameStepReference(Heat.data(), F.Flame.Edges().data(), P, Seed);
    benchmark::ClobberMemory();
  }
  State.SetLabel(Fast ? "engine" : "straightforward");
}

void BM_Blend(benchmark::State& State) {
  const int W = int(State.range(0)), H = int(State.range(1));
  const bool Fast = State.range(2) != 0;
  TWarmFlame F(W, H);
  std::vector<uint8_t> Image = F.Flame.Image();
  for (auto _ : State) {
    if (Fast)
      Blend(Image.data(), F.Flame.Heat().data(), F.Flame.Background().data(), 0, Image.size());
    else
      BlendReference(Image.data(), F.Flame.Heat().data(), F.Flame.Background().data(), 0, Image.size());
    benchmark::ClobberMemory();
  }
  State.SetLabel(Fast ? "engine" : "straightforward");
}

// A frame as a run takes it, 40 ms after the one before: by then the planes
// have left the cache. Args: width, height, 1 for the quiet desktop, 1 to let
// the step skip the stretches that stay cold.
void BM_PacedFrame(benchmark::State& State) {
  const int W = int(State.range(0)), H = int(State.range(1));
  const bool Quiet = State.range(2) != 0, Skip = State.range(3) != 0;
  TWarmFlame F(W, H, Quiet, Skip ? 0 : int64_t(1) << 40);
  std::vector<uint8_t> Evict(size_t(64) << 20, 1);
  for (auto _ : State) {
    State.PauseTiming();
    for (size_t i = 0; i < Evict.size(); i += 64) Evict[i] += 1;
    benchmark::DoNotOptimize(Evict.data());
    State.ResumeTiming();
    F.Flame.NextFrame();
  }
  State.SetLabel(std::string(Quiet ? "quiet" : "busy") + (Skip ? ", cold stretches skipped" : ", every stretch"));
}

// The frame as 32-bit pixels for the screen, at each packed level.
void BM_Expand(benchmark::State& State) {
  const int W = int(State.range(0)), H = int(State.range(1));
  const TSimdLevel Level = ForceSimd(TSimdLevel(State.range(2)));
  TWarmFlame F(W, H);
  uint32_t Table[256];
  std::memcpy(Table, F.Flame.BitmapInfo().Colors, sizeof Table);
  std::vector<uint32_t> Pixels(size_t(W) * H);
  for (auto _ : State) {
    ExpandThroughColorTable(F.Flame.Image().data(), Table, Pixels.data(), Pixels.size());
    benchmark::ClobberMemory();
  }
  ForceSimd(TSimdLevel::Avx2);
  State.SetLabel(Level == TSimdLevel::Avx2 ? "avx2 gather" : "64-bit words");
}

}  // namespace

BENCHMARK(BM_NextFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StraightforwardFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Step)->Args({1920, 1080, 1})->Args({1920, 1080, 0})->Args({3840, 2160, 1})->Args({3840, 2160, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Blend)->Args({1920, 1080, 1})->Args({1920, 1080, 0})->Args({3840, 2160, 1})->Args({3840, 2160, 0})
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_PacedFrame)
    ->ArgsProduct({{1920}, {1080}, {0, 1}, {0, 1}})
    ->ArgsProduct({{1280}, {720}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Expand)->Args({1920, 1080, 2})->Args({1920, 1080, 1})->Args({3840, 2160, 2})->Args({3840, 2160, 1})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
