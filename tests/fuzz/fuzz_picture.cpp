// Picture files as the run meets them in "Background Images": JPEG or BMP,
// damaged, truncated or claiming enormous sizes, with Exif blocks saying
// how to turn them. The input is also read as an Exif block by itself, so
// the block's parser is reached without a decodable picture around it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/engine/uExifOrientation.h"
#include "core/engine/uImageFiles.h"

using namespace emberdell;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // Small limits keep a header that claims a huge picture from costing
  // gigabytes; the refusal itself is what is under test.
  const TPictureLimits Limits{4096, 64ull * 1024 * 1024};
  TPixelImage Out;
  std::string Error;
  if (DecodeJpeg(Data, Size, Out, Error, Limits)) {
    if (Out.Pixels.size() != static_cast<size_t>(Out.Width) * Out.Height * 4) __builtin_trap();
  } else if (!Out.Pixels.empty() || Error.empty()) {
    __builtin_trap();  // a failure leaves nothing behind and says why
  }
  const int Orientation = static_cast<int>(ExifOrientation(Data, Size));
  if (Orientation < 1 || Orientation > 8) __builtin_trap();
  TPixelImage Bmp;
  std::string BmpError;
  if (DecodeBmp(Data, Size, Bmp, BmpError, Limits) &&
      Bmp.Pixels.size() != static_cast<size_t>(Bmp.Width) * Bmp.Height * 4)
    __builtin_trap();
  return 0;
}
