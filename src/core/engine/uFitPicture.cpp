#include "core/engine/uFitPicture.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "core/shared/uFileUtils.h"
#include "core/shared/uPrecision.h"
#include "core/engine/uFitRows.h"
#include "core/engine/uResample.h"

namespace emberdell {

namespace {

int ToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, 0, 1LL << 30));
}

void MakeBlack(TPixelImage& Out, int Width, int Height) {
  Out.Width = std::max(Width, 0);
  Out.Height = std::max(Height, 0);
  Out.Pixels.assign(static_cast<size_t>(Out.Width) * Out.Height * 4, 0);
}

bool FitInto(const TPixelImage& Picture, int AreaWidth, int AreaHeight, TPixelImage& Out,
             const TFitOptions& Options);

// Below this many pixels of work a thread costs more to start than it saves.
constexpr uint64_t TwoThreadsFrom = 1u << 16;

bool TwoThreads(const TFitOptions& Options, uint64_t Pixels) {
  return Options.Threads >= 2 ||
         (Options.Threads == 0 && Pixels >= TwoThreadsFrom && std::thread::hardware_concurrency() > 1);
}

// Fits the rows as the decoder hands them over: on a second thread, which
// takes each batch while the decoder goes on with the next, or on the
// decoder's own thread between its batches.
class TFitSink final : public TJpegRowSink {
 public:
  TFitSink(TPixelImage& Out, const TFitOptions& Options) : FOut(Out), FOptions(Options) {}
  TFitSink(const TFitSink&) = delete;
  TFitSink& operator=(const TFitSink&) = delete;
  ~TFitSink() override { Finish(true); }

  bool Start(int Width, int Height, TOrientation Orientation) override {
    FFit = std::make_unique<TFitRows>(Width, Height, Orientation, FOut.Width, FOut.Height, FOut.Pixels.data(),
                                      FOptions.Kernel);
    FLowest = FFit->Lowest();
    if (TwoThreads(FOptions, uint64_t(Width) * uint64_t(Height))) {
      try {
        FWorker = std::thread([this] { Work(); });
      } catch (const std::system_error&) {
        // No second thread to be had: the fitting runs between the batches.
      }
    }
    return true;
  }

  int Room(int Y, int Count, uint8_t** Rows) override {
    int64_t Lowest;
    if (FWorker.joinable()) {
      std::unique_lock<std::mutex> Lock(FLock);
      FChanged.wait(Lock, [&] { return FFailed || Y < FLowest + FFit->Capacity(); });
      if (FFailed) return 0;
      Lowest = FLowest;
    } else {
      Lowest = FFit->Lowest();
    }
    const int n = static_cast<int>(std::min<int64_t>(Count, Lowest + FFit->Capacity() - Y));
    for (int k = 0; k < n; ++k) Rows[k] = FFit->Slot(Y + k);
    return n;
  }

  void Filled(int Y, int Count) override {
    if (!FWorker.joinable()) {
      FFit->Feed(Y + Count);
      return;
    }
    std::lock_guard<std::mutex> Lock(FLock);
    FDecoded = Y + Count;
    FChanged.notify_all();
  }

  // Waits for the fitting to end; Abandon stops it without finishing.
  void Finish(bool Abandon) {
    if (!FWorker.joinable()) return;
    {
      std::lock_guard<std::mutex> Lock(FLock);
      FDone = true;
      FAbandoned = Abandon;
      FChanged.notify_all();
    }
    FWorker.join();
  }

 private:
  void Work() noexcept {
    std::unique_lock<std::mutex> Lock(FLock);
    int Seen = 0;
    for (;;) {
      FChanged.wait(Lock, [&] { return FDecoded > Seen || FDone; });
      if (FAbandoned || (FDone && FDecoded == Seen)) return;
      Seen = FDecoded;
      Lock.unlock();
      FFit->Feed(Seen);
      const int64_t Lowest = FFit->Lowest();
      Lock.lock();
      FLowest = Lowest;
      FChanged.notify_all();
    }
  }

  TPixelImage& FOut;
  TFitOptions FOptions;
  std::unique_ptr<TFitRows> FFit;
  std::thread FWorker;
  std::mutex FLock;
  std::condition_variable FChanged;
  int FDecoded = 0;
  int64_t FLowest = 0;
  bool FDone = false, FAbandoned = false, FFailed = false;
};

}  // namespace

TFitGeometry FitPicture(int AreaWidth, int AreaHeight, int PictureWidth, int PictureHeight) {
  TFitGeometry G;
  if (AreaWidth <= 0 || AreaHeight <= 0 || PictureWidth <= 0 || PictureHeight <= 0) return G;
  long long FW, FH;
  {
    TExtendedPrecision Precision;
    // Read after the precision switch so none of the arithmetic below can be
    // scheduled before it.
    TExtendedInMemory BW = AreaWidth, BH = AreaHeight, PW = PictureWidth, PH = PictureHeight;
    constexpr TExtended Grow = TExtended(103) / 100;  // 1.03 rounded once
    // Both ratios are kept in single precision: the comparison of nearly equal
    // ratios (1600 x 1200 on 1024 x 767) depends on it.
    const float aT = static_cast<float>(BW / BH);
    const float aP = static_cast<float>(PW / PH);
    if (aP > aT) {
      FW = RoundHalfEven(BW * Grow);
      FH = RoundHalfEven(TExtended(FW) / TExtended(aP) * Grow);
    } else {
      FH = static_cast<long long>(AreaHeight) + 10;
      FW = RoundHalfEven(TExtended(FH) * TExtended(aP));
    }
    volatile long long Keep[2] = {FW, FH};
    FW = Keep[0];
    FH = Keep[1];
  }
  G.Width = ToInt(FW);
  G.Height = ToInt(FH);
  G.X = AreaWidth / 2 - G.Width / 2;
  G.Y = AreaHeight / 2 - G.Height / 2;
  return G;
}

bool FitPictureToArea(const TPixelImage& Picture, int AreaWidth, int AreaHeight, TPixelImage& Out,
                      const TFitOptions& Options) {
  // Fitting happens where a picture failed to load would do: running out
  // of memory here is one more failed picture, never the end of the run.
  try {
    return FitInto(Picture, AreaWidth, AreaHeight, Out, Options);
  } catch (const std::bad_alloc&) {
    Out = TPixelImage{};
    return false;
  }
}

namespace {

bool FitInto(const TPixelImage& Picture, int AreaWidth, int AreaHeight, TPixelImage& Out,
             const TFitOptions& Options) {
  MakeBlack(Out, AreaWidth, AreaHeight);
  if (Out.Width == 0 || Out.Height == 0 || Picture.Width <= 0 || Picture.Height <= 0 ||
      Picture.Pixels.size() < static_cast<size_t>(Picture.Width) * Picture.Height * 4)
    return false;
  // Two halves of the fitted rows, each from the picture rows it needs; the
  // few rows both need are summed twice, which costs less than sharing them.
  const int Parts = TwoThreads(Options, uint64_t(AreaWidth) * uint64_t(AreaHeight)) ? 2 : 1;
  std::vector<std::unique_ptr<TFitRows>> Part;
  for (int p = 0; p < Parts; ++p)
    Part.push_back(std::make_unique<TFitRows>(Picture.Width, Picture.Height, TOrientation::AsStored, AreaWidth,
                                              AreaHeight, Out.Pixels.data(), Options.Kernel,
                                              Picture.Pixels.data(), p, Parts));
  std::thread Second;
  if (Parts == 2) {
    try {
      Second = std::thread([&] { Part[1]->Feed(Picture.Height); });
    } catch (const std::system_error&) {
    }
  }
  Part[0]->Feed(Picture.Height);
  if (Second.joinable())
    Second.join();
  else if (Parts == 2)
    Part[1]->Feed(Picture.Height);
  return true;
}

}  // namespace

namespace {

// Out is black at the area's size; on failure it is black again.
bool FitJpegData(const std::vector<uint8_t>& Data, TPixelImage& Out, std::string& Error, const TPictureLimits& Limits,
                 const TFitOptions& Options) {
  bool Ok;
  {
    TFitSink Sink(Out, Options);
    Ok = DecodeJpegRows(Data.data(), Data.size(), Sink, Error, Limits);
    Sink.Finish(!Ok);
  }
  // Rows fitted before the damage showed are painted over again.
  if (!Ok) std::fill(Out.Pixels.begin(), Out.Pixels.end(), uint8_t{0});
  return Ok;
}

}  // namespace

bool LoadBackgroundFile(const std::string& FileName, int AreaWidth, int AreaHeight, TPixelImage& Out,
                        std::string& Error, const TFitOptions& Options) {
  Error.clear();
  if (AreaWidth <= 0 || AreaHeight <= 0) {
    MakeBlack(Out, 0, 0);
    Error = "empty drawing area";
    return false;
  }
  // A failed background only means the desktop burns instead, so nothing,
  // not even running out of memory on a huge area, may escape from here.
  try {
    MakeBlack(Out, AreaWidth, AreaHeight);
    const TPictureLimits Limits;
    std::vector<uint8_t> Data;
    if (!ReadWholeFile(FileName, Data, Error, Limits.MaxBytes)) return false;
    return FitJpegData(Data, Out, Error, Limits, Options);
  } catch (const std::exception& E) {
    // Out may hold part of the picture, unless making it black was what
    // failed.
    if (Out.Pixels.size() != static_cast<size_t>(Out.Width) * Out.Height * 4)
      MakeBlack(Out, 0, 0);
    else
      std::fill(Out.Pixels.begin(), Out.Pixels.end(), uint8_t{0});
    Error = E.what();
    return false;
  }
}

bool LoadFittedPicture(const std::string& FileName, int AreaWidth, int AreaHeight, TPixelImage& Out,
                       std::string& Error, const TFitOptions& Options) {
  Error.clear();
  try {
    MakeBlack(Out, AreaWidth, AreaHeight);
    const TPictureLimits Limits;
    std::vector<uint8_t> Data;
    if (!ReadWholeFile(FileName, Data, Error, Limits.MaxBytes)) return false;
    if (Data.size() >= 2 && Data[0] == 0xFF && Data[1] == 0xD8) {
      if (Out.Width > 0 && Out.Height > 0) return FitJpegData(Data, Out, Error, Limits, Options);
    }
    TPixelImage Picture;
    if (!ReadPictureFile(FileName, Picture, Error, Limits)) return false;
    if (!FitPictureToArea(Picture, AreaWidth, AreaHeight, Out, Options)) {
      Error = "picture could not be fitted";
      return false;
    }
    return true;
  } catch (const std::exception& E) {
    MakeBlack(Out, 0, 0);
    Error = E.what();
    return false;
  }
}

}  // namespace emberdell
