// Reading and writing picture files: Windows bitmaps and JPEG (libjpeg).
// Pixels in memory are 32 bits, stored blue, green, red, reserved, top row
// first, with no padding between rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/engine/uExifOrientation.h"

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

// Where DecodeJpegRows puts the rows of a picture as they are decoded, in
// the order stored in the file (not yet turned upright). Rows are 4-byte
// pixels B, G, R and a fourth byte of no fixed value.
class TJpegRowSink {
 public:
  virtual ~TJpegRowSink() = default;
  // Once, before any row, with the stored size and how to turn it upright.
  // False: no memory for it.
  virtual bool Start(int Width, int Height, TOrientation Orientation) = 0;
  // Room for up to Count rows from stored row Y on: Rows[k] gets row Y + k.
  // Returns how many rows it gives room for; 0 stops decoding.
  virtual int Room(int Y, int Count, uint8_t** Rows) = 0;
  // Rows Y .. Y + Count - 1 are written.
  virtual void Filled(int Y, int Count) = 0;
};

// DecodeJpeg's decoder, handing the rows to Sink instead of keeping them.
// Errors as for DecodeJpeg.
bool DecodeJpegRows(const uint8_t* Data, size_t Size, TJpegRowSink& Sink, std::string& Error,
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
