#include <gtest/gtest.h>

#include "tools/uStretch.h"

using namespace emberdell;

namespace {
// One pixel per source column/row, numbered so the chosen source shows.
std::vector<int> Pick(int Source, int Target, bool Vertical) {
  const int W = Vertical ? 1 : Source, H = Vertical ? Source : 1;
  std::vector<uint8_t> px(size_t(W) * H * 4);
  for (int i = 0; i < Source; ++i) px[4 * i] = uint8_t(i);
  const auto Out = StretchNearest(px.data(), W, H, Vertical ? 1 : Target, Vertical ? Target : 1);
  std::vector<int> r;
  for (int i = 0; i < Target; ++i) r.push_back(Out[4 * i]);
  return r;
}
}  // namespace

TEST(StretchNearest, EachTargetPixelTakesTheSourcePixelUnderItsCentre) {
  for (bool Vertical : {false, true}) {
    EXPECT_EQ(Pick(2, 4, Vertical), (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(Pick(4, 2, Vertical), (std::vector<int>{1, 3}));
    EXPECT_EQ(Pick(3, 2, Vertical), (std::vector<int>{0, 2}));
    EXPECT_EQ(Pick(5, 5, Vertical), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(Pick(1, 3, Vertical), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Pick(10, 3, Vertical), (std::vector<int>{1, 5, 8}));
  }
  EXPECT_TRUE(StretchNearest(nullptr, 0, 0, 0, 5).empty());
  EXPECT_EQ(StretchNearest(nullptr, 0, 0, 2, 2), std::vector<uint8_t>(16, 0));  // nothing to copy: black
}
