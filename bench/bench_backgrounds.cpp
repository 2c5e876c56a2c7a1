// Fitting a background picture: a 4000 x 3000 photograph-sized JPEG onto a
// 1920 x 1080 screen, decoding and resizing measured apart, then the whole
// load from the file.
//   build/native/bench/bench_backgrounds
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
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

constexpr int PictureWidth = 4000, PictureHeight = 3000;
constexpr int AreaWidth = 1920, AreaHeight = 1080;

// Smooth gradients with some fine texture, so the encoder produces a file of
// realistic size rather than a nearly empty one.
std::vector<uint8_t> PhotoLikePixels() {
  std::vector<uint8_t> px(size_t(PictureWidth) * PictureHeight * 4);
  std::mt19937 Noise(7);
  for (int y = 0; y < PictureHeight; ++y)
    for (int x = 0; x < PictureWidth; ++x) {
      uint8_t* p = &px[(size_t(y) * PictureWidth + x) * 4];
      const int n = int(Noise() % 24);
      p[0] = uint8_t(80 + 60 * std::sin(x * 0.003) + n);
      p[1] = uint8_t(90 + 50 * std::cos(y * 0.004 + x * 0.001) + n);
      p[2] = uint8_t(120 + 100 * std::sin((x + y) * 0.0015) * 0.9 + n / 2);
    }
  return px;
}

struct TFixture {
  std::string FileName;
  std::vector<uint8_t> Jpeg;
  TPixelImage Picture;
  TFixture() {
    FileName = (fs::temp_directory_path() / "emberdell-bench-background.jpg").string();
    std::string Error;
    const auto Pixels = PhotoLikePixels();
    if (!WriteJpegFile(FileName, PictureWidth, PictureHeight, Pixels.data(), 90, false, Error) ||
        !ReadWholeFile(FileName, Jpeg, Error) || !DecodeJpeg(Jpeg.data(), Jpeg.size(), Picture, Error))
      throw std::runtime_error(Error);
  }
  ~TFixture() {
    std::error_code Ec;
    fs::remove(FileName, Ec);
  }
};

TFixture& Fixture() {
  static TFixture F;
  return F;
}

void BM_DecodeJpeg(benchmark::State& State) {
  const auto& F = Fixture();
  TPixelImage Out;
  std::string Error;
  for (auto _ : State) {
    if (!DecodeJpeg(F.Jpeg.data(), F.Jpeg.size(), Out, Error)) State.SkipWithError(Error.c_str());
    benchmark::DoNotOptimize(Out.Pixels.data());
  }
  State.counters["jpeg_kB"] = double(F.Jpeg.size()) / 1024;
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);

void BM_ResampleToFittedSize(benchmark::State& State) {
  const auto& F = Fixture();
  const TFitGeometry G = FitPicture(AreaWidth, AreaHeight, PictureWidth, PictureHeight);
  TPixelImage Fitted{G.Width, G.Height, std::vector<uint8_t>(size_t(G.Width) * G.Height * 4, 0)};
  GetContributors(PictureWidth, G.Width);  // tables are built once per process
  GetContributors(PictureHeight, G.Height);
  const auto Kernel = State.range(0) == 0 ? TResampleKernel::Fastest : TResampleKernel::Portable;
  for (auto _ : State) {
    ResampleBitmap(F.Picture.Pixels.data(), F.Picture.Width, F.Picture.Height, Fitted.Pixels.data(), G.Width,
                   G.Height, Kernel);
    benchmark::DoNotOptimize(Fitted.Pixels.data());
  }
  State.SetLabel(std::to_string(G.Width) + "x" + std::to_string(G.Height) +
                 (Kernel == TResampleKernel::Fastest ? " fastest kernel" : " portable kernel"));
}
BENCHMARK(BM_ResampleToFittedSize)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FitPictureToArea(benchmark::State& State) {
  const auto& F = Fixture();
  TPixelImage Out;
  for (auto _ : State) {
    FitPictureToArea(F.Picture, AreaWidth, AreaHeight, Out);
    benchmark::DoNotOptimize(Out.Pixels.data());
  }
}
BENCHMARK(BM_FitPictureToArea)->Unit(benchmark::kMillisecond);

void BM_LoadBackgroundFile(benchmark::State& State) {
  const auto& F = Fixture();
  TPixelImage Out;
  std::string Error;
  for (auto _ : State) {
    if (!LoadBackgroundFile(F.FileName, AreaWidth, AreaHeight, Out, Error)) State.SkipWithError(Error.c_str());
    benchmark::DoNotOptimize(Out.Pixels.data());
  }
}
BENCHMARK(BM_LoadBackgroundFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
