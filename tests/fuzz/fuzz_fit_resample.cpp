// Fitting a picture to the screen and the filtered resampler, with picture
// and area sizes taken from the input (capped, so each run stays small).
#include <cstdint>
#include <cstring>

#include "core/engine/uFitPicture.h"
#include "core/engine/uResample.h"

using namespace emberdell;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 4) return 0;
  // Sides of 0..39 for the picture and 0..79 for the area: enough for every
  // ratio of shrinking and enlarging, and fast enough for a million runs.
  TPixelImage Picture;
  Picture.Width = Data[0] % 40;
  Picture.Height = Data[1] % 40;
  const int AreaWidth = Data[2] % 80, AreaHeight = Data[3] % 80;
  Picture.Pixels.resize(static_cast<size_t>(Picture.Width) * Picture.Height * 4);
  const size_t Have = Size - 4 < Picture.Pixels.size() ? Size - 4 : Picture.Pixels.size();
  if (Have > 0) std::memcpy(Picture.Pixels.data(), Data + 4, Have);

  (void)FitPicture(AreaWidth, AreaHeight, Picture.Width, Picture.Height);
  TPixelImage Fitted;
  if (FitPictureToArea(Picture, AreaWidth, AreaHeight, Fitted) &&
      (Fitted.Width != AreaWidth || Fitted.Height != AreaHeight ||
       Fitted.Pixels.size() != static_cast<size_t>(AreaWidth) * AreaHeight * 4))
    __builtin_trap();

  if (Picture.Width > 0 && Picture.Height > 0 && AreaWidth > 0 && AreaHeight > 0) {
    TPixelImage Resampled;
    Resampled.Width = AreaWidth;
    Resampled.Height = AreaHeight;
    Resampled.Pixels.resize(static_cast<size_t>(AreaWidth) * AreaHeight * 4);
    ResampleBitmap(Picture, Resampled);
  }
  return 0;
}
