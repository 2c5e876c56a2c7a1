// Fitting rows as they are decoded must give the bytes the whole-picture
// path gave: decode everything, resize it into the fitted size column by
// column, cut it into the area.
#include "core/engine/uFitPicture.h"
#include "core/engine/uImageFiles.h"
#include "core/engine/uResample.h"
#include "core/shared/uFileUtils.h"
#include "tests/support/reference_jpeg.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

namespace emberdell {
namespace {

// The old fitting: the whole fitted picture, then the part that shows.
TPixelImage ReferenceFit(const TPixelImage& Picture, int AW, int AH, TResampleKernel Kernel) {
  TPixelImage Out{AW, AH, std::vector<uint8_t>(size_t(AW) * AH * 4, 0)};
  const TFitGeometry G = FitPicture(AW, AH, Picture.Width, Picture.Height);
  if (G.Width <= 0 || G.Height <= 0) return Out;
  std::vector<uint8_t> Fitted(size_t(G.Width) * G.Height * 4, 0);
  ResampleBitmap(Picture.Pixels.data(), Picture.Width, Picture.Height, Fitted.data(), G.Width, G.Height, Kernel);
  for (int y = std::max(G.Y, 0); y < std::min(G.Y + G.Height, AH); ++y)
    for (int x = std::max(G.X, 0); x < std::min(G.X + G.Width, AW); ++x)
      std::memcpy(&Out.Pixels[(size_t(y) * AW + x) * 4], &Fitted[(size_t(y - G.Y) * G.Width + x - G.X) * 4], 4);
  return Out;
}

// Noise over gradients: every tap's weight shows in the result, and the sharp
// steps drive the sums past both ends of the clamp.
std::vector<uint8_t> NoisyJpeg(int W, int H, int Components, bool Progressive, int Orientation) {
  std::mt19937 Noise(static_cast<unsigned>(W * 131 + H));
  const J_COLOR_SPACE Space = Components == 1 ? JCS_GRAYSCALE : Components == 3 ? JCS_RGB : JCS_CMYK;
  return support::EncodeTestJpeg(
      W, H, Components, Space,
      [&](int X, int Y, JSAMPLE* P) {
        for (int c = 0; c < Components; ++c)
          P[c] = static_cast<JSAMPLE>((X * 255 / W + Y * (40 + 60 * c) / H + ((X / 3 + Y / 2) % 2) * 90 +
                                       int(Noise() % 50)) % 256);
      },
      Progressive, Orientation);
}

struct TFitCase {
  const char* What;
  int PictureW, PictureH, AreaW, AreaH;
};

const TFitCase FitCases[] = {
    {"shrinking a photo, height rule", 203, 150, 64, 41},
    {"shrinking a wide picture, width rule", 310, 97, 71, 53},
    {"enlarging a small picture", 23, 17, 97, 61},
    {"enlarging a tall one, bands at the sides", 15, 41, 90, 37},
    {"one row each way", 3, 2, 17, 11},
    {"almost the area's size", 66, 49, 64, 48},
};

TEST(ResampleRows, StreamedFitMatchesTheWholePictureFit) {
  support::TTempFolder Dir;
  for (const TFitCase& c : FitCases)
    for (int Orientation = 1; Orientation <= 8; ++Orientation) {
      SCOPED_TRACE(std::string(c.What) + ", orientation " + std::to_string(Orientation));
      const std::vector<uint8_t> Jpeg = NoisyJpeg(c.PictureW, c.PictureH, 3, Orientation % 2 == 0, Orientation);
      const std::string File = (Dir.Path() / "picture.jpg").string();
      std::ofstream(File, std::ios::binary).write(reinterpret_cast<const char*>(Jpeg.data()), std::streamsize(Jpeg.size()));
      const TPixelImage Picture = support::ReferenceDecodeJpeg(Jpeg);

      TPixelImage Decoded;
      std::string Error;
      ASSERT_TRUE(DecodeJpeg(Jpeg.data(), Jpeg.size(), Decoded, Error)) << Error;
      EXPECT_EQ(Decoded.Width, Picture.Width);
      EXPECT_TRUE(Decoded.Pixels == Picture.Pixels) << "decoded pixels differ";

      for (TResampleKernel Kernel : {TResampleKernel::Fastest, TResampleKernel::Portable})
        for (int Threads : {1, 2}) {
          SCOPED_TRACE((Kernel == TResampleKernel::Fastest ? "fastest kernel, " : "portable kernel, ") +
                       std::to_string(Threads) + " threads");
          const TPixelImage Want = ReferenceFit(Picture, c.AreaW, c.AreaH, Kernel);
          TPixelImage Streamed, Whole;
          ASSERT_TRUE(LoadBackgroundFile(File, c.AreaW, c.AreaH, Streamed, Error, {Threads, Kernel})) << Error;
          EXPECT_TRUE(Streamed.Pixels == Want.Pixels) << "streamed fit differs";
          ASSERT_TRUE(FitPictureToArea(Picture, c.AreaW, c.AreaH, Whole, {Threads, Kernel}));
          EXPECT_TRUE(Whole.Pixels == Want.Pixels) << "fit of the decoded picture differs";
        }
    }
}

// Grey and CMYK files take other ways through the decoder.
TEST(ResampleRows, GreyAndCmykDecodeAndFitAsBefore) {
  support::TTempFolder Dir;
  for (int Components : {1, 4})
    for (int Orientation : {1, 3, 6}) {
      SCOPED_TRACE(std::to_string(Components) + " components, orientation " + std::to_string(Orientation));
      const std::vector<uint8_t> Jpeg = NoisyJpeg(45, 31, Components, false, Orientation);
      const TPixelImage Picture = support::ReferenceDecodeJpeg(Jpeg);
      TPixelImage Decoded;
      std::string Error;
      ASSERT_TRUE(DecodeJpeg(Jpeg.data(), Jpeg.size(), Decoded, Error)) << Error;
      EXPECT_TRUE(Decoded.Pixels == Picture.Pixels);
      const std::string File = (Dir.Path() / "picture.jpg").string();
      std::ofstream(File, std::ios::binary).write(reinterpret_cast<const char*>(Jpeg.data()), std::streamsize(Jpeg.size()));
      TPixelImage Streamed;
      ASSERT_TRUE(LoadBackgroundFile(File, 29, 23, Streamed, Error, {2, TResampleKernel::Fastest})) << Error;
      EXPECT_TRUE(Streamed.Pixels == ReferenceFit(Picture, 29, 23, TResampleKernel::Fastest).Pixels);
    }
}

}  // namespace
}  // namespace emberdell
