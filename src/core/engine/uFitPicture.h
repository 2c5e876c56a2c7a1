// Fitting a background picture to the drawing area: the picture is resized
// with a few per cent of overscan so no thin border of the desktop shows, then
// centred on a black area of exactly the drawing size.
#pragma once

#include <string>

#include "core/engine/uImageFiles.h"
#include "core/engine/uResample.h"

namespace emberdell {

struct TFitGeometry {
  int Width = 0;   // fitted picture size
  int Height = 0;
  int X = 0;       // where its top-left corner lands in the area; may be negative
  int Y = 0;
};

// Area AreaWidth x AreaHeight, picture PictureWidth x PictureHeight; all four
// must be positive. A picture wider than the area is fitted to 103 % of the
// area's width and made 3 % taller than its proportions; any other is fitted
// to the area's height plus 10 rows with its proportions kept.
TFitGeometry FitPicture(int AreaWidth, int AreaHeight, int PictureWidth, int PictureHeight);

// Fitting runs on a second thread beside the caller's where the machine has
// more than one core; Threads 1 keeps it on the caller's. Either way, and
// with either kernel, the bytes are the same.
struct TFitOptions {
  int Threads = 0;  // 0: two where they help; 1: the caller's thread only
  TResampleKernel Kernel = TResampleKernel::Fastest;
};

// Makes Out an AreaWidth x AreaHeight picture: black, with Picture resized to
// the fitted size and copied 1:1 at the fitted place, cut at the area's edges.
// False (Out black) when the area or the picture is empty; false with Out
// empty when the memory for fitting cannot be had.
bool FitPictureToArea(const TPixelImage& Picture, int AreaWidth, int AreaHeight, TPixelImage& Out,
                      const TFitOptions& Options = {});

// Reads the JPEG FileName and fits it as above, each row as soon as it is
// decoded, without holding the whole picture. On any failure Out is left
// black at the area's size, Error says why, and the result is false.
bool LoadBackgroundFile(const std::string& FileName, int AreaWidth, int AreaHeight, TPixelImage& Out,
                        std::string& Error, const TFitOptions& Options = {});

// The same for any picture file ReadPictureFile reads: JPEG as above, a
// bitmap read whole and fitted.
bool LoadFittedPicture(const std::string& FileName, int AreaWidth, int AreaHeight, TPixelImage& Out,
                       std::string& Error, const TFitOptions& Options = {});

}  // namespace emberdell
