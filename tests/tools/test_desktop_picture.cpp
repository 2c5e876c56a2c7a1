// The drawn desktop: each piece where the 1920 x 1080 layout puts it, at that
// size and scaled, in its colour (blue, green, red, 0).
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/uDesktopPicture.h"

namespace {

struct TSpot {
  const char* What;
  int Width, Height, X, Y;
  uint32_t Rgb;
};

// Worked from the layout: icons 20..67 x 30..77, their labels 14..73 x
// 84..91, the first window from (150, 80) with a 30-row title bar, the
// taskbar's last 48 rows and its buttons 60..219 from 42 rows above the bottom.
const TSpot Spots[] = {
    {"wallpaper at the top", 1920, 1080, 1900, 0, 0x3c5a8c},
    // Row y of H is the top colour plus y / (H - 1) of the way, to the nearest:
    // at row 1031 of 1080 red 60 - 28.67, green 90 - 38.22, blue 140 - 57.33.
    {"wallpaper above the taskbar", 1920, 1080, 1900, 1031, 0x1f3453},
    {"first icon", 1920, 1080, 20, 30, 0xd8c070},
    // At row 30: red 60 - 0.83, green 90 - 1.11, blue 140 - 1.67.
    {"left of the first icon", 1920, 1080, 19, 30, 0x3b598a},
    {"first label", 1920, 1080, 73, 91, 0xe8e8e8},
    {"first title bar", 1920, 1080, 151, 81, 0x145078},
    {"first window under its title", 1920, 1080, 151, 111, 0xf5f5f5},
    {"taskbar", 1920, 1080, 5, 1075, 0x282828},
    {"first taskbar button", 1920, 1080, 60, 1038, 0x505a64},
    {"first icon at half size", 960, 540, 10, 15, 0xd8c070},
    {"first title bar at half size", 960, 540, 76, 41, 0x145078},
    {"taskbar at half size", 960, 540, 959, 539, 0x282828},
};

TEST(DesktopPicture, PiecesSitWhereTheLayoutPutsThem) {
  for (const TSpot& s : Spots) {
    SCOPED_TRACE(s.What);
    const std::vector<uint8_t> Pixels = emberdell::DesktopPicture(s.Width, s.Height);
    ASSERT_EQ(Pixels.size(), size_t(s.Width) * s.Height * 4);
    const uint8_t* p = &Pixels[(size_t(s.Y) * s.Width + s.X) * 4];
    EXPECT_EQ(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0], s.Rgb);
    EXPECT_EQ(p[3], 0);
  }
}

TEST(DesktopPicture, TinySizesGiveWholePictures) {
  EXPECT_EQ(emberdell::DesktopPicture(1, 1).size(), 4u);
  EXPECT_EQ(emberdell::DesktopPicture(3, 2).size(), 24u);
}

}  // namespace
