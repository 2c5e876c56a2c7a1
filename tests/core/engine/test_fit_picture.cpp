#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/engine/uFitPicture.h"
#include "core/engine/uImageFiles.h"
#include "core/shared/uFileUtils.h"
#include "core/engine/uResample.h"
#include "tests/support/failing_new.h"
#include "tests/support/temp_folder.h"

using namespace emberdell;
namespace fs = std::filesystem;

namespace {

std::string Geometry(const TFitGeometry& G) {
  return std::to_string(G.Width) + "x" + std::to_string(G.Height) + " at (" + std::to_string(G.X) + ", " +
         std::to_string(G.Y) + ")";
}

TPixelImage Solid(int W, int H, uint8_t B, uint8_t G, uint8_t R) {
  TPixelImage P{W, H, std::vector<uint8_t>(size_t(W) * H * 4, 0)};
  for (size_t p = 0; p < P.Pixels.size(); p += 4) P.Pixels[p] = B, P.Pixels[p + 1] = G, P.Pixels[p + 2] = R;
  return P;
}

bool IsBlack(const TPixelImage& P, int x, int y) {
  const uint8_t* p = &P.Pixels[(size_t(y) * P.Width + x) * 4];
  return p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 0;
}

class TempFolder : public support::TTempFolder {
 public:
  TempFolder() : TTempFolder("emberdell-fit") {}
  std::string operator/(const std::string& Name) const { return File(Name); }
};

}  // namespace

TEST(FitPicture, GeometryOfTheDocumentedAreas) {
  // 1600 x 1200 (aP 1.3333) against 1024 x 767 (aT 1.3351): only just not wider.
  EXPECT_EQ(Geometry(FitPicture(1024, 767, 1600, 1200)), "1036x777 at (-6, -5)");
  EXPECT_EQ(Geometry(FitPicture(1280, 1023, 1600, 1200)), "1318x1018 at (-19, 2)");
  EXPECT_EQ(Geometry(FitPicture(1024, 767, 1920, 1080)), "1055x611 at (-15, 78)");
  EXPECT_EQ(Geometry(FitPicture(1024, 767, 800, 1200)), "518x777 at (253, -5)");
  EXPECT_EQ(Geometry(FitPicture(272, 145, 1600, 1200)), "207x155 at (33, -5)");
  EXPECT_EQ(Geometry(FitPicture(0, 767, 1600, 1200)), "0x0 at (0, 0)");
  EXPECT_EQ(Geometry(FitPicture(1024, 767, 1600, 0)), "0x0 at (0, 0)");
}

#if defined(__x86_64__) || defined(__i386__)
TEST(FitPicture, SameResultOnAThreadRunningAtDoublePrecision) {
  // 350 / 103 x 1.03 is 3.5 only in double precision; in extended precision
  // it stays just below and rounds to 3.
  auto SetPrecisionControl = [](uint16_t Bits) {
    uint16_t Cw;
    __asm__ volatile("fnstcw %0" : "=m"(Cw));
    Cw = uint16_t((Cw & ~0x0300u) | Bits);
    __asm__ volatile("fldcw %0" : : "m"(Cw));
  };
  SetPrecisionControl(0x0200);  // 53-bit significand, as Windows starts threads
  const TFitGeometry AtDouble = FitPicture(340, 4, 103, 1);
  SetPrecisionControl(0x0300);
  EXPECT_EQ(Geometry(AtDouble), "350x3 at (-5, 1)");
  EXPECT_EQ(Geometry(FitPicture(340, 4, 103, 1)), "350x3 at (-5, 1)");
}
#endif

TEST(FitPictureToArea, CentresTheFittedPictureOnBlack) {
  // 4 x 3 has the proportions of 1600 x 1200: the wide rule on 1280 x 1023
  // leaves rows 0-1 and 1020-1022 black.
  TPixelImage Out;
  ASSERT_TRUE(FitPictureToArea(Solid(4, 3, 30, 90, 200), 1280, 1023, Out));
  ASSERT_EQ(Out.Width, 1280);
  ASSERT_EQ(Out.Height, 1023);
  ASSERT_EQ(Out.Pixels.size(), 1280u * 1023 * 4);
  for (int y : {0, 1, 1020, 1021, 1022}) EXPECT_TRUE(IsBlack(Out, 640, y)) << y;
  for (int y : {2, 511, 1019})
    for (int x : {0, 640, 1279}) {
      const uint8_t* p = &Out.Pixels[(size_t(y) * 1280 + x) * 4];
      EXPECT_NEAR(p[0], 30, 2);
      EXPECT_NEAR(p[1], 90, 2);
      EXPECT_NEAR(p[2], 200, 2);
      EXPECT_EQ(p[3], 0);
    }

  // A narrow picture: black columns 0-252 and 771-1023 on 1024 x 767.
  ASSERT_TRUE(FitPictureToArea(Solid(2, 3, 255, 255, 255), 1024, 767, Out));
  EXPECT_TRUE(IsBlack(Out, 252, 300));
  EXPECT_FALSE(IsBlack(Out, 253, 300));
  EXPECT_FALSE(IsBlack(Out, 770, 300));
  EXPECT_TRUE(IsBlack(Out, 771, 300));
}

TEST(FitPictureToArea, ShowsTheMiddleOfAnOverscannedPicture) {
  // Every area pixel must be the fitted pixel 6 columns and 5 rows further in.
  TPixelImage Picture{40, 30, std::vector<uint8_t>(40 * 30 * 4)};
  for (size_t p = 0; p < Picture.Pixels.size(); ++p) Picture.Pixels[p] = uint8_t(p * 7 % 251);
  TPixelImage Out;
  ASSERT_TRUE(FitPictureToArea(Picture, 1024, 767, Out));
  TPixelImage Fitted{1036, 777, std::vector<uint8_t>(1036 * 777 * 4, 0)};
  ResampleBitmap(Picture, Fitted);
  for (int y : {0, 1, 383, 766})
    for (int x : {0, 5, 512, 1023})
      for (int c = 0; c < 4; ++c)
        EXPECT_EQ(Out.Pixels[(size_t(y) * 1024 + x) * 4 + c], Fitted.Pixels[(size_t(y + 5) * 1036 + x + 6) * 4 + c])
            << x << "," << y;
}

TEST(FitPictureToArea, DegenerateSizes) {
  TPixelImage Out;
  EXPECT_FALSE(FitPictureToArea(Solid(4, 3, 1, 2, 3), 0, 10, Out));
  EXPECT_EQ(Out.Pixels.size(), 0u);
  EXPECT_FALSE(FitPictureToArea(TPixelImage{}, 8, 6, Out));
  EXPECT_EQ(Out.Pixels, std::vector<uint8_t>(8 * 6 * 4, 0));
  // 10000 x 1 on a 1-pixel-wide area rounds to no rows: nothing to draw.
  EXPECT_EQ(Geometry(FitPicture(1, 1000, 10000, 1)), "1x0 at (0, 500)");
  EXPECT_TRUE(FitPictureToArea(Solid(10000, 1, 9, 9, 9), 1, 1000, Out));
  EXPECT_EQ(Out.Pixels, std::vector<uint8_t>(1000 * 4, 0));
  // A one-pixel area and a one-pixel picture.
  EXPECT_TRUE(FitPictureToArea(Solid(1, 1, 40, 50, 60), 1, 1, Out));
  EXPECT_NEAR(Out.Pixels[2], 60, 2);
}

TEST(FitPictureToArea, RunningOutOfMemoryIsAFailedPictureNotAnEnd) {
  const TPixelImage Picture = Solid(320, 240, 10, 200, 30);
  // The area itself (200 x 150: 120000 bytes) cannot be had; the fitted
  // picture (213 x 160: 136320 bytes) is never held whole, so refusing that
  // much costs nothing.
  const struct {
    size_t FailFrom;
    bool Fits;
  } Cases[] = {{100000, false}, {130000, true}};
  for (const auto& c : Cases) {
    SCOPED_TRACE(c.FailFrom);
    TPixelImage Out;
    bool Fitted = !c.Fits;
    {
      const support::TFailLargeAllocations NoMemory(c.FailFrom);
      EXPECT_NO_THROW(Fitted = FitPictureToArea(Picture, 200, 150, Out));
    }
    EXPECT_EQ(Fitted, c.Fits);
    EXPECT_EQ(Out.Pixels.size(), size_t(Out.Width) * Out.Height * 4);
  }
  TPixelImage Out;
  ASSERT_TRUE(FitPictureToArea(Picture, 200, 150, Out));
  EXPECT_FALSE(IsBlack(Out, 100, 75));
}

TEST(LoadBackgroundFile, FitsARealJpegAndFailsCleanly) {
  TempFolder Dir;
  const TPixelImage Picture = Solid(160, 120, 40, 120, 220);
  std::string Error;
  ASSERT_TRUE(WriteJpegFile(Dir / "Castles - Night.jpg", 160, 120, Picture.Pixels.data(), 100, false, Error))
      << Error;
  TPixelImage Out;
  ASSERT_TRUE(LoadBackgroundFile(Dir / "Castles - Night.jpg", 64, 48, Out, Error)) << Error;
  ASSERT_EQ(Out.Pixels.size(), 64u * 48 * 4);
  const uint8_t* Middle = &Out.Pixels[(24 * 64 + 32) * 4];
  EXPECT_NEAR(Middle[0], 40, 4);
  EXPECT_NEAR(Middle[1], 120, 4);
  EXPECT_NEAR(Middle[2], 220, 4);

  auto ExpectBlackFailure = [&](const std::string& File) {
    Out = Solid(3, 3, 1, 1, 1);
    Error.clear();
    EXPECT_FALSE(LoadBackgroundFile(File, 64, 48, Out, Error)) << File;
    EXPECT_FALSE(Error.empty()) << File;
    EXPECT_EQ(Out.Width, 64);
    EXPECT_EQ(Out.Pixels, std::vector<uint8_t>(64 * 48 * 4, 0)) << File;
  };
  ExpectBlackFailure(Dir / "Missing.jpg");
  std::ofstream(Dir / "Garbage.jpg", std::ios::binary) << "not a picture at all";
  ExpectBlackFailure(Dir / "Garbage.jpg");
  // The first half of a real JPEG: decoding stops early.
  {
    std::vector<uint8_t> Data;
    ASSERT_TRUE(ReadWholeFile(Dir / "Castles - Night.jpg", Data, Error));
    std::ofstream(Dir / "Cut.jpg", std::ios::binary).write(reinterpret_cast<const char*>(Data.data()),
                                                            std::streamsize(Data.size() / 2));
  }
  ExpectBlackFailure(Dir / "Cut.jpg");
  ExpectBlackFailure(Dir.Path().string());  // a folder
  EXPECT_FALSE(LoadBackgroundFile(Dir / "Castles - Night.jpg", 0, 48, Out, Error));
}
