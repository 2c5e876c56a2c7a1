// Fitting a background picture: a phone's photo, 4000 x 3000 (12 MP) or
// 8000 x 6000 (48 MP), onto a 1920 x 1080 screen, decoding and resizing
// measured apart, then the whole load from the file. Times are wall-clock
// (the fitting uses a second thread) and CPU over the whole process.
//   build/native/bench/bench_backgrounds
//   bash bench/compare_backgrounds   (this build against another commit)
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/engine/uFitPicture.h"
#include "core/engine/uImageFiles.h"
#include "core/engine/uResample.h"
#include "core/shared/uFileUtils.h"

using namespace emberdell;
namespace fs = std::filesystem;

namespace {

constexpr int AreaWidth = 1920, AreaHeight = 1080;

// Smooth gradients with some fine texture, so the encoder produces a file of
// realistic size rather than a nearly empty one.
std::vector<uint8_t> PhotoLikePixels(int Width, int Height) {
  std::vector<uint8_t> px(size_t(Width) * Height * 4);
  std::mt19937 Noise(7);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      uint8_t* p = &px[(size_t(y) * Width + x) * 4];
      const int n = int(Noise() % 24);
      p[0] = uint8_t(80 + 60 * std::sin(x * 0.003) + n);
      p[1] = uint8_t(90 + 50 * std::cos(y * 0.004 + x * 0.001) + n);
      p[2] = uint8_t(120 + 100 * std::sin((x + y) * 0.0015) * 0.9 + n / 2);
    }
  return px;
}

struct TFixture {
  int Width, Height;
  std::string FileName;
  std::vector<uint8_t> Jpeg;
  TPixelImage Picture;
  TFixture(int W, int H) : Width(W), Height(H) {
    FileName = (fs::temp_directory_path() /
                ("emberdell-bench-background-" + std::to_string(W) + "x" + std::to_string(H) + ".jpg"))
                   .string();
    std::string Error;
    const auto Pixels = PhotoLikePixels(W, H);
    if (!WriteJpegFile(FileName, W, H, Pixels.data(), 90, false, Error) || !ReadWholeFile(FileName, Jpeg, Error) ||
        !DecodeJpeg(Jpeg.data(), Jpeg.size(), Picture, Error))
      throw std::runtime_error(Error);
  }
  ~TFixture() {
    std::error_code Ec;
    fs::remove(FileName, Ec);
  }
};

// One picture of each size, made when a benchmark first asks for it.
TFixture& Fixture(const benchmark::State& State) {
  static std::map<int, std::unique_ptr<TFixture>> Made;
  const int Width = int(State.range(0));
  auto& F = Made[Width];
  if (!F) F = std::make_unique<TFixture>(Width, Width * 3 / 4);
  return *F;
}

void Sizes(benchmark::internal::Benchmark* B) {
  B->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
}

void BM_DecodeJpeg(benchmark::State& State) {
  const auto& F = Fixture(State);
  TPixelImage Out;
  std::string Error;
  for (auto _ : State) {
    if (!DecodeJpeg(F.Jpeg.data(), F.Jpeg.size(), Out, Error)) State.SkipWithError(Error.c_str());
    benchmark::DoNotOptimize(Out.Pixels.data());
  }
  State.counters["jpeg_kB"] = double(F.Jpeg.size()) / 1024;
}
BENCHMARK(BM_DecodeJpeg)->Apply(Sizes);

void BM_ResampleToFittedSize(benchmark::State& State) {
  const auto& F = Fixture(State);
  const TFitGeometry G = FitPicture(AreaWidth, AreaHeight, F.Width, F.Height);
  TPixelImage Fitted{G.Width, G.Height, std::vector<uint8_t>(size_t(G.Width) * G.Height * 4, 0)};
  GetContributors(F.Width, G.Width);  // tables are built once per process
  GetContributors(F.Height, G.Height);
  for (auto _ : State) {
    ResampleBitmap(F.Picture.Pixels.data(), F.Picture.Width, F.Picture.Height, Fitted.Pixels.data(), G.Width,
                   G.Height);
    benchmark::DoNotOptimize(Fitted.Pixels.data());
  }
  State.SetLabel(std::to_string(G.Width) + "x" + std::to_string(G.Height) + ", column by column, one thread");
}
BENCHMARK(BM_ResampleToFittedSize)->Apply(Sizes);

void BM_FitPictureToArea(benchmark::State& State) {
  const auto& F = Fixture(State);
  TPixelImage Out;
  for (auto _ : State) {
    FitPictureToArea(F.Picture, AreaWidth, AreaHeight, Out);
    benchmark::DoNotOptimize(Out.Pixels.data());
  }
}
BENCHMARK(BM_FitPictureToArea)->Apply(Sizes);

void BM_LoadBackgroundFile(benchmark::State& State) {
  const auto& F = Fixture(State);
  TPixelImage Out;
  std::string Error;
  for (auto _ : State) {
    if (!LoadBackgroundFile(F.FileName, AreaWidth, AreaHeight, Out, Error)) State.SkipWithError(Error.c_str());
    benchmark::DoNotOptimize(Out.Pixels.data());
  }
}
BENCHMARK(BM_LoadBackgroundFile)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
