#include <gtest/gtest.h>

#include "tools/uPenCursor.h"

using namespace emberdell;

// The file as Windows reads it: a cursor directory whose one entry carries
// the hot spot, and masks that put the drawn pen exactly where it is meant to be.
TEST(PenCursor, FileCarriesTheHotSpotAtThePenTip) {
  const std::vector<uint8_t> f = MakePenCursor();
  const auto u16 = [&](size_t i) { return unsigned(f[i] | f[i + 1] << 8); };
  ASSERT_EQ(f.size(), 22u + 40 + 32 * 32 * 4 + 128);
  EXPECT_EQ(u16(2), 2u);   // a cursor
  EXPECT_EQ(f[6], 32);     // 32 x 32
  EXPECT_EQ(f[7], 32);
  EXPECT_EQ(u16(10), 12u); // hot spot
  EXPECT_EQ(u16(12), 24u);
  EXPECT_EQ(u16(22 + 8), 64u);  // colour and mask stacked
  EXPECT_EQ(u16(22 + 14), 32u);  // colour with alpha

  // The hot spot is on the pen's black tip; the far corners are clear; the
  // pen's body runs up and to the right with white inside.
  EXPECT_EQ(PenCursorPixel(12, 24), TPenPixel::Black);
  EXPECT_EQ(PenCursorPixel(0, 0), TPenPixel::Clear);
  EXPECT_EQ(PenCursorPixel(31, 31), TPenPixel::Clear);
  EXPECT_EQ(PenCursorPixel(0, 31), TPenPixel::Clear);
  EXPECT_EQ(PenCursorPixel(22, 14), TPenPixel::White);
  // The hot spot's pixel (row 24 is stored as the 8th row from the bottom)
  // is opaque in the alpha and clear in the AND mask; a far corner is the
  // other way round.
  const size_t Colour = 22 + 40, And = Colour + 32 * 32 * 4, Row = size_t(31 - 24);
  EXPECT_EQ(f[Colour + (Row * 32 + 12) * 4 + 3], 255);
  EXPECT_EQ(f[And + Row * 4 + 1] & (0x80 >> 4), 0);
  EXPECT_EQ(f[Colour + 3], 0);
  EXPECT_NE(f[And] & 0x80, 0);
}
