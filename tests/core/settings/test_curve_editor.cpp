#include <gtest/gtest.h>

#include <cstring>

#include "core/settings/uCurveEditor.h"

using namespace emberdell;

namespace {

TCurves Flat(uint8_t Red, uint8_t Green, uint8_t Blue) {
  TCurves c;
  std::memset(c.Red, Red, 256);
  std::memset(c.Green, Green, 256);
  std::memset(c.Blue, Blue, 256);
  return c;
}

// Rows of column X that hold any of Bits.
std::vector<int> RowsWith(const TPixelBuffer& Image, int X, uint32_t Bits) {
  std::vector<int> Rows;
  for (int y = 0; y < Image.Height(); ++y)
    if (Image.Pixel(X, y) & Bits) Rows.push_back(y);
  return Rows;
}

}  // namespace

TEST(CurveImage, ReadsTheLowestRowPerChannelAndNothingAsNone) {
  TPixelBuffer Image(CurveImageWidth, CurveImageHeight);
  Image.SetPixel(0, 0, RedBits);              // top row: full intensity
  Image.SetPixel(1, 10, GreenBits);
  Image.SetPixel(1, 40, GreenBits | BlueBits);  // the lowest row wins
  Image.SetPixel(2, 127, RedBits);
  Image.SetPixel(256, 5, RedBits);  // drawn, never read
  const TCurves c = ReadCurveImage(Image);
  EXPECT_EQ(c.Red[0], 0);
  EXPECT_EQ(c.Green[1], 80);
  EXPECT_EQ(c.Blue[1], 80);
  EXPECT_EQ(c.Red[2], 254);
  EXPECT_EQ(c.Red[1], 255);  // no red pixel in the column
  EXPECT_EQ(c.Red[255], 255);
}

TEST(CurveImage, DrawingPutsOnePixelPerColumnAndChannelAndMixesCrossings) {
  TCurves c = Flat(255, 255, 255);
  c.Red[3] = 0;
  c.Green[3] = 1;  // odd values land on row value div 2
  c.Blue[3] = 100;
  TPixelBuffer Image(CurveImageWidth, CurveImageHeight);
  Image.Fill(0x123456);
  DrawCurveImage(Image, c);
  EXPECT_EQ(Image.Pixel(3, 0), RedBits | GreenBits);  // red and green cross: yellow
  EXPECT_EQ(Image.Pixel(3, 50), BlueBits);
  EXPECT_EQ(Image.Pixel(4, 127), RedBits | GreenBits | BlueBits);
  EXPECT_EQ(RowsWith(Image, 3, 0xFFFFFF), (std::vector<int>{0, 50}));
  EXPECT_EQ(RowsWith(Image, 256, 0xFFFFFF), std::vector<int>{});
  // Read back: every value even, 255 becomes 254.
  const TCurves Back = ReadCurveImage(Image);
  EXPECT_EQ(Back.Red[3], 0);
  EXPECT_EQ(Back.Green[3], 0);
  EXPECT_EQ(Back.Blue[3], 100);
  EXPECT_EQ(Back.Red[4], 254);
}

TEST(CurveImage, PaletteStripShowsTheFlamePalette) {
  TCurves c = Flat(255, 255, 255);
  c.Red[0] = 0;
  c.Green[10] = 55;
  c.Blue[255] = 5;
  TPixelBuffer Strip(PaletteStripWidth, PaletteStripHeight);
  PaintPaletteStrip(Strip, c);
  EXPECT_EQ(Strip.Pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(Strip.Pixel(10, 19), 200u << 8);
  EXPECT_EQ(Strip.Pixel(255, 7), 250u);
  EXPECT_EQ(Strip.Pixel(1, 1), 0u);
}

TEST(CurveSmoothing, EndsCopiedForAllChannelsAndOnePassForTicked) {
  TCurves c = Flat(100, 100, 100);
  c.Red[0] = 0;
  c.Red[1] = 254;
  c.Red[2] = 0;
  c.Green[0] = 7;
  c.Green[1] = 20;
  c.Green[2] = 200;
  c.Green[254] = 30;
  c.Blue[255] = 9;
  SmoothCurves(c, chRed);
  // 0, 254, 0: index 0 copied from index 1 first, then (2*254 + 254 + 0) div 5.
  EXPECT_EQ(c.Red[0], 254);
  EXPECT_EQ(c.Red[1], 152);
  // Index 2 uses the smoothed index 1: (2*152 + 0 + 2*100) div 5.
  EXPECT_EQ(c.Red[2], 100);
  // Unticked: only the ends move.
  EXPECT_EQ(c.Green[0], 20);
  EXPECT_EQ(c.Green[1], 20);
  EXPECT_EQ(c.Green[2], 200);
  EXPECT_EQ(c.Green[255], 30);
  EXPECT_EQ(c.Blue[255], 100);
}

TEST(CurveLine, LeavesOutItsEndPointInEveryDirection) {
  struct Case {
    int X0, Y0, X1, Y1;
    std::vector<std::pair<int, int>> Pixels;
  };
  const Case Cases[] = {
      {0, 0, 3, 0, {{0, 0}, {1, 0}, {2, 0}}},
      {3, 5, 3, 2, {{3, 5}, {3, 4}, {3, 3}}},
      {0, 0, 2, 2, {{0, 0}, {1, 1}}},
      {10, 10, 6, 12, {{10, 10}, {9, 11}, {8, 11}, {7, 12}}},  // halves round away from the start
      {5, 5, 5, 5, {}},
      {-2, 0, 1, 0, {{0, 0}}},  // clipped at the edge
  };
  for (const Case& c : Cases) {
    TPixelBuffer Image(20, 20);
    DrawLineOr(Image, c.X0, c.Y0, c.X1, c.Y1, GreenBits);
    std::vector<std::pair<int, int>> Drawn;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x)
        if (Image.Pixel(x, y)) Drawn.push_back({x, y});
    auto Expected = c.Pixels;
    std::sort(Expected.begin(), Expected.end(), [](auto a, auto b) { return a.second != b.second ? a.second < b.second : a.first < b.first; });
    EXPECT_EQ(Drawn, Expected) << c.X0 << "," << c.Y0 << " -> " << c.X1 << "," << c.Y1;
  }
}

TEST(CurveStroke, RedOnlyStrokeRedrawsRedAndLeavesTheOthers) {
  TCurveEditor Editor;
  TCurves Start = Flat(200, 100, 50);
  Editor.Show(Start);
  Editor.SetChannels(chRed);
  Editor.MouseDown(10, 20);
  EXPECT_TRUE(Editor.MouseMove(30, 20));
  EXPECT_TRUE(Editor.MouseMove(60, 20));
  // Red's old pixels in the swept columns went; the stroke is at row 20 up to
  // column 59 (the last point itself is not drawn).
  EXPECT_EQ(RowsWith(Editor.Image(), 40, RedBits), std::vector<int>{20});
  EXPECT_EQ(RowsWith(Editor.Image(), 60, RedBits), std::vector<int>{100});
  EXPECT_EQ(RowsWith(Editor.Image(), 40, GreenBits), std::vector<int>{50});
  // The live strip shows intensity 255 - 2*20 in red across the stroke.
  EXPECT_EQ(Editor.Palette().Pixel(45, 10), (215u << 16) | (155u << 8) | 205u);

  TCurves After;
  ASSERT_TRUE(Editor.MouseUp(After));
  EXPECT_FALSE(Editor.Drawing());
  EXPECT_EQ(After.Red[40], 40);
  // One pass of truncating division settles a flat run after a step one
  // lower: 200 -> 199, stored even.
  EXPECT_EQ(After.Red[150], 198);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(After.Green[i], 100) << i;
    ASSERT_EQ(After.Blue[i], 50) << i;
  }
}

TEST(CurveStroke, OutsideTheImageDrawsAlongTheNearestEdge) {
  TCurveEditor Editor;
  Editor.Show(Flat(254, 254, 254));
  Editor.SetChannels(chGreen | chBlue);
  Editor.MouseDown(200, 0);
  Editor.MouseMove(300, -40);  // limited to (256, 0): along the top row
  Editor.MouseMove(260, 60);   // limited to (256, 60): column 256 only
  EXPECT_EQ(Editor.Image().Pixel(230, 0), GreenBits | BlueBits);
  EXPECT_EQ(Editor.Image().Pixel(256, 5), GreenBits | BlueBits);
  TCurves After;
  Editor.MouseUp(After);
  // The top row is full intensity; column 256 takes part in the drawing but
  // never in the curves, and the smoothing's end copy makes temperature 255
  // follow 254.
  EXPECT_EQ(After.Green[230], 0);
  EXPECT_EQ(After.Blue[230], 0);
  EXPECT_EQ(After.Green[255], After.Green[254]);
  EXPECT_EQ(After.Red[230], 254);
  EXPECT_EQ(Editor.Palette().Pixel(230, 3), (1u << 16) | 0xFFFFu);  // red 255 - 254
}

TEST(CurveStroke, PassingOverAnUntickedCurveTakesItAlong) {
  TCurveEditor Editor;
  TCurves Start = Flat(254, 254, 254);
  Start.Green[50] = 40;  // a green pixel at (50, 20)
  Editor.Show(Start);
  Editor.SetChannels(chRed);
  Editor.MouseDown(40, 10);
  Editor.MouseMove(50, 20);  // ends exactly on the green pixel
  EXPECT_EQ(Editor.Image().Pixel(45, 15), RedBits | GreenBits);
  EXPECT_EQ(RowsWith(Editor.Image(), 45, GreenBits), std::vector<int>{15});
}

TEST(CurveStroke, AClickWithoutMovingOnlySmooths) {
  TCurveEditor Editor;
  TCurves Start = Flat(254, 254, 254);
  Start.Red[1] = 0;
  Start.Blue[100] = 0;
  Editor.Show(Start);
  Editor.SetChannels(chRed);
  Editor.MouseDown(5, 5);
  TCurves After;
  ASSERT_TRUE(Editor.MouseUp(After));
  EXPECT_EQ(After.Red[0], 0);
  EXPECT_EQ(After.Red[1], 100);  // (0 + 0 + 2*254) div 5 = 101, stored even
  EXPECT_EQ(After.Blue[100], 0);  // unticked: untouched
  EXPECT_FALSE(Editor.MouseMove(7, 7));
  EXPECT_FALSE(Editor.MouseUp(After));
}
