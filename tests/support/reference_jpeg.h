// JPEG files for the picture tests, made with libjpeg itself, and the way
// pictures were read before rows went straight from the decoder into place:
// one row at a time as plain RGB (or CMYK), converted and turned by hand.
// Kept as the reference the faster decoding must match byte for byte.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include <jpeglib.h>

#include "core/engine/uExifOrientation.h"
#include "core/engine/uImageFiles.h"

namespace emberdell::support {

// Encodes with libjpeg; Fill writes the Components samples of pixel (X, Y).
// Orientation 1 to 8 adds an Exif block that says so; 0 adds none. FileSpace
// other than JCS_UNKNOWN stores the samples in that colour space.
inline std::vector<uint8_t> EncodeTestJpeg(int Width, int Height, int Components, J_COLOR_SPACE InSpace,
                                           const std::function<void(int, int, JSAMPLE*)>& Fill,
                                           bool Progressive = false, int Orientation = 0, int Quality = 90,
                                           J_COLOR_SPACE FileSpace = JCS_UNKNOWN) {
  jpeg_compress_struct Info;
  jpeg_error_mgr Errors;
  Info.err = jpeg_std_error(&Errors);
  jpeg_create_compress(&Info);
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
  jpeg_mem_dest(&Info, &Buffer, &Size);
  Info.image_width = static_cast<JDIMENSION>(Width);
  Info.image_height = static_cast<JDIMENSION>(Height);
  Info.input_components = Components;
  Info.in_color_space = InSpace;
  jpeg_set_defaults(&Info);
  if (FileSpace != JCS_UNKNOWN) jpeg_set_colorspace(&Info, FileSpace);
  jpeg_set_quality(&Info, Quality, TRUE);
  if (Progressive) jpeg_simple_progression(&Info);
  jpeg_start_compress(&Info, TRUE);
  if (Orientation != 0) {
    // "Exif", a little-endian TIFF header, one entry: orientation, a short.
    const uint8_t Exif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0,
                            1, 0, 0, 0, static_cast<uint8_t>(Orientation), 0, 0, 0, 0, 0, 0, 0};
    jpeg_write_marker(&Info, JPEG_APP0 + 1, Exif, sizeof Exif);
  }
  std::vector<JSAMPLE> Row(static_cast<size_t>(Width) * Components);
  while (Info.next_scanline < Info.image_height) {
    for (int X = 0; X < Width; ++X)
      Fill(X, static_cast<int>(Info.next_scanline), &Row[static_cast<size_t>(X) * Components]);
    JSAMPROW RowPointer = Row.data();
    jpeg_write_scanlines(&Info, &RowPointer, 1);
  }
  jpeg_finish_compress(&Info);
  std::vector<uint8_t> Result(Buffer, Buffer + Size);
  jpeg_destroy_compress(&Info);
  std::free(Buffer);
  return Result;
}

// Decodes a valid file the old way.
inline TPixelImage ReferenceDecodeJpeg(const std::vector<uint8_t>& Jpeg) {
  jpeg_decompress_struct Info;
  jpeg_error_mgr Errors;
  Info.err = jpeg_std_error(&Errors);
  jpeg_create_decompress(&Info);
  jpeg_mem_src(&Info, Jpeg.data(), static_cast<unsigned long>(Jpeg.size()));
  jpeg_save_markers(&Info, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&Info, TRUE);
  TOrientation Orientation = TOrientation::AsStored;
  for (jpeg_saved_marker_ptr M = Info.marker_list; M != nullptr; M = M->next)
    if (M->marker == JPEG_APP0 + 1) Orientation = ExifOrientation(M->data, M->data_length);
  const bool Cmyk = Info.jpeg_color_space == JCS_CMYK || Info.jpeg_color_space == JCS_YCCK;
  Info.out_color_space = Info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : Cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&Info);
  const int W = static_cast<int>(Info.output_width), H = static_cast<int>(Info.output_height);
  const int N = Info.output_components;
  const TOrientedLayout L = OrientedLayout(Orientation, W, H);
  TPixelImage Out{L.UprightWidth, L.UprightHeight, std::vector<uint8_t>(static_cast<size_t>(W) * H * 4, 0)};
  std::vector<JSAMPLE> Row(static_cast<size_t>(W) * N);
  while (Info.output_scanline < Info.output_height) {
    const int Y = static_cast<int>(Info.output_scanline);
    JSAMPROW P = Row.data();
    jpeg_read_scanlines(&Info, &P, 1);
    for (int X = 0; X < W; ++X) {
      uint8_t* T = &Out.Pixels[static_cast<size_t>(L.RowStart(Y) + X * L.Step) * 4];
      const JSAMPLE* S = &Row[static_cast<size_t>(X) * N];
      if (N == 1) {
        T[0] = T[1] = T[2] = S[0];
      } else if (N == 3) {
        T[0] = S[2], T[1] = S[1], T[2] = S[0];
      } else {
        unsigned C = S[0], M = S[1], Yl = S[2], K = S[3];
        if (!Info.saw_Adobe_marker) C = 255 - C, M = 255 - M, Yl = 255 - Yl, K = 255 - K;
        T[0] = static_cast<uint8_t>((Yl * K + 127) / 255);
        T[1] = static_cast<uint8_t>((M * K + 127) / 255);
        T[2] = static_cast<uint8_t>((C * K + 127) / 255);
      }
    }
  }
  jpeg_finish_decompress(&Info);
  jpeg_destroy_decompress(&Info);
  return Out;
}

}  // namespace emberdell::support
