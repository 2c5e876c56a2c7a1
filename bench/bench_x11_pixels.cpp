// The X11 hack's share of a frame: the 8-bit image through the colour table
// into 32-bit pixels at 1920 x 1080, every pixel new (a style morphing) and
// only the changed ones (a still style, fire moving over a quiet picture).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/shared/uRandom.h"
#include "x11/uX11Pixels.h"

using namespace emberdell;

namespace {

constexpr int W = 1920, H = 1080;

void Fill(std::vector<uint8_t>& Bits, uint32_t Seed) {
  for (uint8_t& b : Bits) b = static_cast<uint8_t>(RandomStep(Seed, 256));
}

void BM_ExpandFrame(benchmark::State& State) {
  std::vector<uint8_t> Bits(size_t(W) * H);
  Fill(Bits, 1);
  std::vector<uint8_t> Out(size_t(W) * H * 4);
  uint32_t Table[256];
  for (int i = 0; i < 256; ++i) Table[i] = 0x010101u * static_cast<uint32_t>(i);
  for (auto _ : State) {
    ExpandFrame(Bits.data(), W, W, H, Table, Out.data(), size_t(W) * 4);
    benchmark::DoNotOptimize(Out.data());
  }
}
BENCHMARK(BM_ExpandFrame)->Unit(benchmark::kMillisecond);

// Arg: percent of the 8-pixel blocks that changed since the last frame.
void BM_ExpandChanges(benchmark::State& State) {
  std::vector<uint8_t> Bits(size_t(W) * H), Previous(size_t(W) * H), Next(size_t(W) * H);
  Fill(Bits, 1);
  std::vector<uint8_t> Out(size_t(W) * H * 4);
  uint32_t Table[256];
  for (int i = 0; i < 256; ++i) Table[i] = 0x010101u * static_cast<uint32_t>(i);
  uint32_t Seed = 7;
  Next = Bits;
  for (size_t b = 0; b + 8 <= Next.size(); b += 8)
    if (RandomStep(Seed, 100) < static_cast<uint32_t>(State.range(0))) Next[b] ^= 1;
  for (auto _ : State) {
    State.PauseTiming();
    Previous = Bits;
    State.ResumeTiming();
    ExpandChanges(Next.data(), W, W, H, Table, Previous.data(), Out.data(), size_t(W) * 4);
    benchmark::DoNotOptimize(Out.data());
  }
}
BENCHMARK(BM_ExpandChanges)->Arg(10)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
