// A desktop as a user leaves it, for the benchmarks to burn: windows with
// title bars and lines of text, icons down the left, a taskbar.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/shared/uRandom.h"

namespace emberdell {

// W x H pixels of blue, green, red, reserved. A quiet desktop has no open
// windows, only the icons, the taskbar and one short note.
inline std::vector<uint8_t> DesktopLikePicture(int W, int H, bool Quiet = false) {
  std::vector<uint8_t> px(size_t(W) * H * 4);
  auto Fill = [&](int x0, int y0, int x1, int y1, uint8_t b, uint8_t g, uint8_t r) {
    for (int y = std::max(0, y0); y < std::min(H, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(W, x1); ++x) {
        uint8_t* p = &px[(size_t(y) * W + x) * 4];
        p[0] = b, p[1] = g, p[2] = r;
      }
  };
  for (int y = 0; y < H; ++y) Fill(0, y, W, y + 1, uint8_t(90 + y * 60 / H), uint8_t(60 + y * 40 / H), 30);
  uint32_t Seed = 77;
  const int Scale = W / 1920 > 0 ? W / 1920 : 1;
  // Desktop icons down the left edge.
  for (int i = 0; i < 8; ++i) Fill(20 * Scale, (30 + 100 * i) * Scale, 68 * Scale, (78 + 100 * i) * Scale, 200, 180, 40);
  // Windows with title bars and text.
  for (int w = 0; w < (Quiet ? 1 : 4); ++w) {
    const int x0 = (150 + 380 * w) * Scale, y0 = (80 + 90 * w) * Scale;
    const int x1 = x0 + (Quiet ? 320 : 700) * Scale, y1 = y0 + (Quiet ? 160 : 520) * Scale;
    Fill(x0, y0, x1, y1, 245, 245, 245);
    Fill(x0, y0, x1, y0 + 30 * Scale, 120, 70, 20);
    for (int line = y0 + 50 * Scale; line + 12 * Scale < y1; line += 18 * Scale)
      for (int x = x0 + 12 * Scale; x + 8 * Scale < x1 - 40 * Scale; x += 9 * Scale)
        if (RandomStep(Seed, 6) != 0) Fill(x, line, x + 6 * Scale, line + 11 * Scale, 30, 30, 30);
  }
  // The taskbar.
  Fill(0, H - 48 * Scale, W, H, 40, 40, 40);
  return px;
}

}  // namespace emberdell
