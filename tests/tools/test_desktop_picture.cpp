// The drawn desktop is artwork; what matters beyond its looks is that any
// area, however small, gets a whole picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/uDesktopPicture.h"

namespace {

TEST(DesktopPicture, TinySizesGiveWholePictures) {
  EXPECT_EQ(emberdell::DesktopPicture(1, 1).size(), 4u);
  EXPECT_EQ(emberdell::DesktopPicture(3, 2).size(), 24u);
}

}  // namespace
