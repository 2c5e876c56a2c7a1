// Draws the picture the X11 hack burns when the desktop gives it nothing to
// burn (a blank screen, or no picture at all): a night landscape with hard
// outlines (hills, a cabin, pines and the moon) so sparks start everywhere.
//
// Usage: emberdell-make-fallback OUTPUT.bmp
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/engine/uImageFiles.h"

using namespace emberdell;

namespace {

constexpr int W = 1024, H = 768;

struct TCanvas {
  std::vector<uint8_t> Pixels = std::vector<uint8_t>(size_t(W) * H * 4, 0);
  void Set(int X, int Y, uint8_t R, uint8_t G, uint8_t B) {
    if (X < 0 || Y < 0 || X >= W || Y >= H) return;
    uint8_t* p = &Pixels[(size_t(Y) * W + X) * 4];
    p[0] = B;
    p[1] = G;
    p[2] = R;
    p[3] = 0;
  }
};

// The hills' skyline at column X: two slow waves.
int Skyline(int X) {
  return int(H * 0.62 + 40 * std::sin(X * 0.006) + 22 * std::sin(X * 0.017 + 1.3));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: emberdell-make-fallback OUTPUT.bmp\n");
    return 2;
  }
  TCanvas C;
  // Sky: a dark blue gradient, light enough that the hills stand out sharply.
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const int v = 40 + 100 * y / H;
      C.Set(x, y, uint8_t(v / 3), uint8_t(v / 2), uint8_t(v + 40));
    }
  // The moon.
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const int dx = x - 780, dy = y - 150;
      if (dx * dx + dy * dy < 70 * 70) C.Set(x, y, 250, 245, 220);
    }
  // Hills.
  for (int x = 0; x < W; ++x)
    for (int y = Skyline(x); y < H; ++y) C.Set(x, y, 10, 20, 12);
  // Pines: stacked triangles along the hills.
  for (int i = 0; i < 9; ++i) {
    const int Cx = 60 + i * 105 + (i % 3) * 17, Base = Skyline(Cx) + 6, Height = 90 + (i * 37) % 60;
    for (int y = Base - Height; y < Base; ++y) {
      const int Half = (y - (Base - Height)) * 28 / Height + 2;
      for (int x = Cx - Half; x <= Cx + Half; ++x) C.Set(x, y, 5, 12, 6);
    }
  }
  // A lit cabin: a wall, a roof and two bright windows.
  const int Left = 420, Right = 600, Floor = Skyline(510) + 30, Eaves = Floor - 110;
  for (int y = Eaves; y < Floor; ++y)
    for (int x = Left; x < Right; ++x) C.Set(x, y, 90, 55, 30);
  for (int y = Eaves - 70; y < Eaves; ++y) {
    const int Half = (y - (Eaves - 70)) * 110 / 70;
    for (int x = 510 - Half; x <= 510 + Half; ++x) C.Set(x, y, 60, 30, 20);
  }
  for (int Wx : {445, 535})
    for (int y = Eaves + 25; y < Eaves + 65; ++y)
      for (int x = Wx; x < Wx + 40; ++x) C.Set(x, y, 255, 220, 120);
  std::string Error;
  if (!WriteBmpFile(argv[1], W, H, C.Pixels.data(), Error)) {
    std::fprintf(stderr, "emberdell-make-fallback: %s\n", Error.c_str());
    return 1;
  }
  return 0;
}
