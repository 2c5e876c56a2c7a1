// Reading and writing picture files: Windows bitmaps and JPEG (libjpeg).
// Pixels in memory are 32 bits, stored blue, green, red, reserved, top row
// first, with no padding between rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace emberdell {

struct TPixelImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;  // Width * Height * 4 bytes: B, G, R, reserved
};

// A picture larger than this on a side, or whose decoded 32-bit image would
// exceed the byte limit, is refused before anything is allocated.
struct TPictureLimits {
  int MaxSide = 20000;
  uint64_t MaxBytes = 400ull * 1000 * 1000;
};

// Decodes a JPEG held in memory at full size with libjpeg's accurate default
// settings. Greyscale, colour and CMYK/YCCK files are accepted. Damage that
// stops decoding (truncation, even of the end marker alone; broken headers;
// not a JPEG) returns false with a one-line reason in Error and Out empty;
// damage libjpeg repairs with a warning (stray bytes, corrupt scan data)
// yields the repaired picture. libjpeg never ends the process.
bool DecodeJpeg(const uint8_t* Data, size_t Size, TPixelImage& Out, std::string& Error,
                const TPictureLimits& Limits = {});

// Decodes an uncompressed 24- or 32-bit Windows bitmap (BITMAPINFOHEADER or a
// later header; top-down or bottom-up) held in memory.
bool DecodeBmp(const uint8_t* Data, size_t Size, TPixelImage& Out, std::string& Error,
               const TPictureLimits& Limits = {});

// Reads a picture file, telling JPEG from BMP by its first bytes.
bool ReadPictureFile(const std::string& FileName, TPixelImage& Out, std::string& Error,
                     const TPictureLimits& Limits = {});

// Writes Width x Height pixels (32-bit B, G, R, reserved, top row first) as a
// 24-bit bottom-up Windows bitmap file.
bool WriteBmpFile(const std::string& FileName, int Width, int Height, const uint8_t* Pixels,
                  std::string& Error);

// Writes the same pixels as a 24-bit colour JPEG file.
bool WriteJpegFile(const std::string& FileName, int Width, int Height, const uint8_t* Pixels,
                   int Quality, bool Progressive, std::string& Error);

}  // namespace emberdell
