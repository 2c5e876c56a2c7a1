#include "core/engine/uFitPicture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <new>

#include "core/shared/uFileUtils.h"
#include "core/shared/uPrecision.h"
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

bool FitInto(const TPixelImage& Picture, int AreaWidth, int AreaHeight, TPixelImage& Out);

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

bool FitPictureToArea(const TPixelImage& Picture, int AreaWidth, int AreaHeight, TPixelImage& Out) {
  // Fitting happens where a picture failed to load would do: running out
  // of memory here is one more failed picture, never the end of the run.
  try {
    return FitInto(Picture, AreaWidth, AreaHeight, Out);
  } catch (const std::bad_alloc&) {
    Out = TPixelImage{};
    return false;
  }
}

namespace {

bool FitInto(const TPixelImage& Picture, int AreaWidth, int AreaHeight, TPixelImage& Out) {
  MakeBlack(Out, AreaWidth, AreaHeight);
  if (Out.Width == 0 || Out.Height == 0 || Picture.Width <= 0 || Picture.Height <= 0 ||
      Picture.Pixels.size() < static_cast<size_t>(Picture.Width) * Picture.Height * 4)
    return false;
  const TFitGeometry G = FitPicture(AreaWidth, AreaHeight, Picture.Width, Picture.Height);
  // A very wide picture on a narrow area can round to no rows at all; the
  // area then simply stays black.
  if (G.Width <= 0 || G.Height <= 0) return true;

  TPixelImage Fitted;
  MakeBlack(Fitted, G.Width, G.Height);
  ResampleBitmap(Picture, Fitted);

  const int x0 = std::max(G.X, 0), x1 = std::min(G.X + G.Width, AreaWidth);
  const int y0 = std::max(G.Y, 0), y1 = std::min(G.Y + G.Height, AreaHeight);
  if (x0 >= x1) return true;
  for (int y = y0; y < y1; ++y) {
    const uint8_t* From = &Fitted.Pixels[(static_cast<size_t>(y - G.Y) * G.Width + (x0 - G.X)) * 4];
    uint8_t* To = &Out.Pixels[(static_cast<size_t>(y) * AreaWidth + x0) * 4];
    std::memcpy(To, From, static_cast<size_t>(x1 - x0) * 4);
  }
  return true;
}

}  // namespace

bool LoadBackgroundFile(const std::string& FileName, int AreaWidth, int AreaHeight, TPixelImage& Out,
                        std::string& Error) {
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
    TPixelImage Picture;
    if (!DecodeJpeg(Data.data(), Data.size(), Picture, Error, Limits)) return false;
    Data = {};
    if (!FitPictureToArea(Picture, AreaWidth, AreaHeight, Out)) {
      Error = "picture could not be fitted";
      return false;
    }
    return true;
  } catch (const std::exception& E) {
    // Nothing is copied into Out before the picture is complete, so it is
    // still black, unless making it black was what failed.
    if (Out.Pixels.size() != static_cast<size_t>(Out.Width) * Out.Height * 4) MakeBlack(Out, 0, 0);
    Error = E.what();
    return false;
  }
}

}  // namespace emberdell
