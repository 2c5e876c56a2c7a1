#include "core/engine/uCore.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/engine/uFlamePicture.h"
#include "core/engine/uFlameStep.h"
#include "core/engine/uImageFiles.h"
#include "core/shared/uRandom.h"

namespace emberdell {

namespace {
// Larger areas than this are treated as empty rather than risk a 32-bit
// overflow of the pixel count; no screen comes near it.
constexpr long long MaxPixels = 1ll << 30;
}  // namespace

bool TFlame::Init(IFlameCanvas* Canvas, const TRect& DrawRect, const uint8_t* Picture, const TFlamePreset* Style,
                  const int32_t* PictureHeight) {
  std::lock_guard<std::mutex> Guard(FLock);
  try {
    Start(Canvas, DrawRect, Picture, Style, PictureHeight);
    return true;
  } catch (const std::bad_alloc&) {
    // A fire too large for the memory left: the run goes on without one
    // rather than end, as it would over a picture that failed to load.
    Release();
    return false;
  }
}

void TFlame::Release() {
  FImage = {};
  FHeat = {};
  FEdges = {};
  FBackground = {};
  FPadded = {};
  FRowSparkCells = {};
  FEdgeCells = TEdgeCells{};
  FScratch = TStepScratch{};
  FChanged.Words = {};
  FChanged.All = true;
  FHistory.Reset();
  FWidth = FHeight = FSize = 0;
  FPrepared = false;
  MakeBitmapInfo(0, 0);
}

void TFlame::Start(IFlameCanvas* Canvas, const TRect& DrawRect, const uint8_t* Picture, const TFlamePreset* Style,
                   const int32_t* PictureHeight) {
  FShotPending = false;
  long long H = std::max<long long>(0, static_cast<long long>(DrawRect.Bottom) - DrawRect.Top);
  long long W = std::max<long long>(0, static_cast<long long>(DrawRect.Right) - DrawRect.Left);
  if (W * H > MaxPixels || W > 0x7FFFFFFF / 4) W = H = 0;
  FHeight = static_cast<int32_t>(H);
  FWidth = static_cast<int32_t>(W);
  FSize = FWidth * FHeight;

  // Growing keeps the old bytes and zero-fills the rest: a repeated Init
  // keeps the running fire even when the size changes.
  const size_t N = static_cast<size_t>(FSize);
  FImage.resize(N);
  FHeat.resize(N);
  FEdges.resize(N);
  FBackground.resize(N);
  FPadded.assign(FWidth % 4 != 0 ? DibStride(FWidth) * static_cast<size_t>(FHeight) : 0, 0);

  FCanvas = Canvas;
  FStyle = Style;
  FPictureHeight = PictureHeight;
  FCooling = 3;
  FHistory.Reset();
  FSkipRest = 0;
  FChanged.Fit(N);
  PrepareBackground(Picture);
  MakeBitmapInfo(FWidth, FHeight);
}

void TFlame::PrepareBackground(const uint8_t* Picture) {
  const size_t N = static_cast<size_t>(FSize);
  if (Picture != nullptr)
    GreyFromPixels(Picture, N, FBackground.data());
  else
    std::fill(FBackground.begin(), FBackground.end(), 0);
  BuildEdgeMask(FBackground.data(), FWidth, FHeight, FEdges.data());
  FEdgeCells.Build(FEdges.data(), FWidth, FHeight);
  CountSparkCells();
  if (!FPrepared) {
    std::fill(FImage.begin(), FImage.end(), 0);
    int Top, Bottom;
    Band(Top, Bottom);
    std::fill(FImage.begin() + static_cast<ptrdiff_t>(Top) * FWidth,
              FImage.begin() + static_cast<ptrdiff_t>(Bottom) * FWidth, 128);
    FPrepared = true;
  }
}

void TFlame::MakeBitmapInfo(int Width, int Height) {
  std::memset(&FBitmapInfo, 0, sizeof FBitmapInfo);
  FBitmapInfo.biSize = 40;
  FBitmapInfo.biWidth = Width;
  FBitmapInfo.biHeight = -Height;
  FBitmapInfo.biPlanes = 1;
  FBitmapInfo.biBitCount = 8;
  FBitmapInfo.biCompression = 0;
  FBitmapInfo.biClrUsed = 256;
  FBitmapInfo.biClrImportant = 256;
}

void TFlame::Band(int& Top, int& Bottom) const {
  const int32_t PH = FPictureHeight != nullptr ? *FPictureHeight : 100;
  BandRows(FHeight, PH, Top, Bottom);
}

void TFlame::NextFrame() {
  std::lock_guard<std::mutex> Guard(FLock);
  TStepParams Params;
  const bool Stepping = StepParams(Params);
  if (Stepping) {
    TRandomLease Lease;
    Step(Params, Lease.Seed());
  }
  FinishFrame(Stepping);
}

std::unique_lock<std::mutex> TFlame::PlanFrame(TFramePlan& Plan) {
  std::unique_lock<std::mutex> Lock(FLock);
  Plan.Stepping = StepParams(Plan.Params);
  Plan.Draws = Plan.Stepping ? SparkDraws(Plan.Params) : 0;
  return Lock;
}

void TFlame::RunPlannedFrame(const TFramePlan& Plan, uint32_t& Seed) {
  if (Plan.Stepping) Step(Plan.Params, Seed);
  FinishFrame(Plan.Stepping);
}

bool TFlame::StepParams(TStepParams& Params) const {
  if (FSize <= 0 || FStyle == nullptr) return false;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Band(Params.Top, Params.Bottom);
  Params.Wind = FStyle->Wind;
  Params.FlameIntensity = FStyle->FlameIntensity;
  Params.Cooling = FCooling;
  return true;
}

uint64_t TFlame::SparkDraws(const TStepParams& Params) const {
  // The rows the step visits, as it walks them.
  uint64_t Draws = 0;
  for (int y = Params.Top + 2; y <= Params.Bottom - 3; y += 2) Draws += FRowSparkCells[static_cast<size_t>(y)];
  return Draws;
}

void TFlame::Step(const TStepParams& Params, uint32_t& Seed) {
  const TBlendTarget Target{FImage.data(), FBackground.data(), FChanged.Words.data()};
  // A frame without the history changes the field behind its back.
  const bool SkipCold = SkipsColdStretches();
  if (FSkipRest > 0) --FSkipRest;
  if (!SkipCold) FHistory.Reset();
  FlameStep(FHeat.data(), FEdgeCells, Params, Seed, FScratch, &Target, SkipCold ? &FHistory : nullptr);
  // A while on, the fire may have calmed down, so the step looks again.
  constexpr int LookEvery = 2 * TStepHistory::SettleBlends;
  constexpr int32_t RestFrames = 250;
  if (SkipCold && FHistory.Steps % LookEvery == 0 && FHistory.SettledShare() < FTuning.SkipPaysFrom) FSkipRest = RestFrames;
}

void TFlame::FinishFrame(bool Stepped) {
  if (Stepped) {
    UpdateColorTable();
    Draw();
  }
  if (FShotPending) SaveScreenshot();
}

void TFlame::CountSparkCells() {
  FRowSparkCells.assign(static_cast<size_t>(FHeight), 0);
  for (int y = 0; y < FHeight; ++y) {
    const uint8_t* Row = FEdges.data() + static_cast<size_t>(y) * static_cast<size_t>(FWidth);
    uint32_t Count = 0;
    for (int x = 0; x < FWidth; x += 2) Count += Row[x] != 0;
    FRowSparkCells[static_cast<size_t>(y)] = Count;
  }
}

void TFlame::UpdateColorTable() {
  for (int j = 0; j < 256; ++j) {
    FBitmapInfo.Colors[j][0] = static_cast<uint8_t>(255 - FStyle->Blue[j]);
    FBitmapInfo.Colors[j][1] = static_cast<uint8_t>(255 - FStyle->Green[j]);
    FBitmapInfo.Colors[j][2] = static_cast<uint8_t>(255 - FStyle->Red[j]);
    FBitmapInfo.Colors[j][3] = 0;
  }
}

void TFlame::Draw() {
  if (FCanvas == nullptr) {
    FChanged.Clear();
    return;
  }
  const uint8_t* Bits = FImage.data();
  if (!FPadded.empty()) {
    const size_t Stride = DibStride(FWidth);
    for (int y = 0; y < FHeight; ++y)
      std::memcpy(FPadded.data() + static_cast<size_t>(y) * Stride, FImage.data() + static_cast<size_t>(y) * FWidth,
                  static_cast<size_t>(FWidth));
    Bits = FPadded.data();
  }
  FCanvas->DrawFrame(FBitmapInfo, Bits, FChanged);
  FChanged.Clear();
}

void TFlame::StartFadeOut() {
  std::lock_guard<std::mutex> Guard(FLock);
  // Stored in the byte: 300 ms gives 14, 700 ms 10, 1000 ms 7.
  FCooling = static_cast<uint8_t>(17 - FFadeOutTime / 100);
  std::fill(FEdges.begin(), FEdges.end(), 0);
  FEdgeCells.Clear();
  std::fill(FRowSparkCells.begin(), FRowSparkCells.end(), 0);
  FHistory.Reset();
}

void TFlame::RequestScreenshot(const std::string& FileName, std::function<void(bool)> Done) {
  std::function<void(bool)> Replaced;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    if (FShotPending) Replaced = std::move(FShotDone);
    FShotFileName = FileName;
    FShotDone = std::move(Done);
    FShotPending = true;
  }
  if (Replaced) Replaced(false);
}

std::vector<uint8_t> TFlame::ImageAsPixels() const {
  std::vector<uint8_t> Pixels(static_cast<size_t>(FSize) * 4);
  for (size_t i = 0; i < FImage.size(); ++i) std::memcpy(&Pixels[4 * i], FBitmapInfo.Colors[FImage[i]], 4);
  return Pixels;
}

void TFlame::SaveScreenshot() {
  FShotPending = false;
  std::function<void(bool)> Done = std::move(FShotDone);
  FShotDone = nullptr;
  if (FSize == 0) {
    FShots.SetLastError("nothing to save: the drawing area is empty");
    if (Done) Done(false);
    return;
  }
  // A press while the writer already holds all it takes is dropped before
  // the frame is copied; what it holds is still written whole.
  if (!FShots.HasRoom()) {
    FShots.SetLastError("too many screenshots are still being written");
    if (Done) Done(false);
    return;
  }
  // Only the copy happens on the frame thread.
  bool Taken = false;
  try {
    TScreenshotJob Job;
    Job.FileName = FShotFileName;
    Job.Width = FWidth;
    Job.Height = FHeight;
    Job.Image.assign(FImage.begin(), FImage.end());
    for (int j = 0; j < 256; ++j) std::memcpy(Job.Colors[j].data(), FBitmapInfo.Colors[j], 4);
    Job.Done = Done;
    Taken = FShots.Submit(Job);
    if (!Taken) FShots.SetLastError("too many screenshots are still being written");
  } catch (...) {
    FShots.SetLastError("the screenshot could not be taken: out of memory");
  }
  if (!Taken && Done) Done(false);
}

}  // namespace emberdell
