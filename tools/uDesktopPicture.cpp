#include "tools/uDesktopPicture.h"

#include <algorithm>

namespace emberdell {

namespace {

class TCanvas {
 public:
  TCanvas(int Width, int Height) : FWidth(Width), FHeight(Height), FPixels(size_t(Width) * Height * 4) {}
  // Corners inclusive, as ImageMagick's rectangles are; cut to the canvas.
  void Fill(double X0, double Y0, double X1, double Y1, uint32_t Rgb) {
    const int Left = std::max(0, static_cast<int>(X0)), Top = std::max(0, static_cast<int>(Y0));
    const int Right = std::min(FWidth - 1, static_cast<int>(X1)), Bottom = std::min(FHeight - 1, static_cast<int>(Y1));
    for (int y = Top; y <= Bottom; ++y)
      for (int x = Left; x <= Right; ++x) Put(x, y, Rgb);
  }
  void Put(int x, int y, uint32_t Rgb) {
    uint8_t* p = &FPixels[(size_t(y) * FWidth + x) * 4];
    p[0] = Rgb & 0xFF;
    p[1] = (Rgb >> 8) & 0xFF;
    p[2] = (Rgb >> 16) & 0xFF;
    p[3] = 0;
  }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  std::vector<uint8_t> Take() { return std::move(FPixels); }

 private:
  int FWidth, FHeight;
  std::vector<uint8_t> FPixels;
};

// The letters' gaps come from a generator of their own: drawing a desktop
// must not move the fire's.
class TGlyphs {
 public:
  bool Next() {
    FSeed = FSeed * 134775813u + 1u;
    return (static_cast<uint64_t>(FSeed) * 6u >> 32) != 0;  // five letters in six, one gap
  }

 private:
  uint32_t FSeed = 1;
};

uint8_t Mix(int From, int To, int Step, int Steps) {
  return static_cast<uint8_t>(From + ((To - From) * Step * 2 + (To >= From ? Steps : -Steps)) / (2 * Steps));
}

}  // namespace

std::vector<uint8_t> DesktopPicture(int Width, int Height, bool Busy) {
  TCanvas c(std::max(1, Width), std::max(1, Height));
  const int W = c.Width(), H = c.Height();
  // The wallpaper: #3c5a8c at the top to #1e3250 at the bottom.
  for (int y = 0; y < H; ++y) {
    const int Steps = std::max(1, H - 1);
    const uint32_t Rgb = uint32_t(Mix(0x3c, 0x1e, y, Steps)) << 16 | uint32_t(Mix(0x5a, 0x32, y, Steps)) << 8 |
                         Mix(0x8c, 0x50, y, Steps);
    for (int x = 0; x < W; ++x) c.Put(x, y, Rgb);
  }
  const double s = W / 1920.0;
  for (int i = 0; i < 8; ++i) c.Fill(20 * s, (30 + 100 * i) * s, 68 * s - 1, (78 + 100 * i) * s - 1, 0xd8c070);
  for (int i = 0; i < 8; ++i) c.Fill(14 * s, (84 + 100 * i) * s, 74 * s - 1, (92 + 100 * i) * s - 1, 0xe8e8e8);
  TGlyphs Glyphs;
  const int Windows = Busy ? 4 : 1;
  for (int w = 0; w < Windows; ++w) {
    const double x0 = (150 + 380 * w) * s, y0 = (80 + 90 * w) * s;
    const double x1 = x0 + 700 * s, y1 = y0 + (Busy ? 520 : 160) * s;
    c.Fill(x0, y0, x1 - 1, y1 - 1, 0xf5f5f5);
    c.Fill(x0, y0, x1 - 1, y0 + 30 * s - 1, 0x145078);
    if (s <= 0) continue;
    for (double y = y0 + 50 * s; y + 12 * s < y1; y += 18 * s)
      for (double x = x0 + 12 * s; x + 8 * s < x1 - 40 * s; x += 9 * s)
        if (Glyphs.Next()) c.Fill(x, y, x + 6 * s - 1, y + 11 * s - 1, 0x1e1e1e);
  }
  c.Fill(0, H - 48 * s, W - 1, H - 1, 0x282828);
  for (int i = 0; i < 6; ++i) c.Fill((60 + 170 * i) * s, H - 42 * s, (220 + 170 * i) * s - 1, H - 6 * s - 1, 0x505a64);
  return c.Take();
}

}  // namespace emberdell
