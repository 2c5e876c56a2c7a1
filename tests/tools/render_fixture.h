// What the renderer's tests share: a folder of their own, a picture with
// plenty of outlines, and the renderer run as its command line runs it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/engine/uImageFiles.h"
#include "tests/support/temp_folder.h"
#include "tools/uRender.h"

namespace emberdell::test {

class TRenderFixture : public testing::Test {
 protected:
  std::string File(const std::string& Name) { return Temp.File(Name); }
  std::vector<uint8_t> Read(const std::string& Name) {
    std::ifstream f(File(Name), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
  }
  // Circles and stripes, written as "picture.bmp": outlines everywhere.
  std::string MakePicture(int W, int H) {
    std::vector<uint8_t> px(size_t(W) * H * 4);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        uint8_t* p = &px[(size_t(y) * W + x) * 4];
        const int dx = x - W / 2, dy = y - H / 2;
        const bool Disc = dx * dx + dy * dy < (W * W) / 9;
        p[0] = uint8_t(Disc ? 240 : (x * 7) % 256);
        p[1] = uint8_t(Disc ? 200 : (y * 13) % 256);
        p[2] = uint8_t(((x / 5 + y / 7) % 2) * 180);
      }
    std::string Error;
    EXPECT_TRUE(WriteBmpFile(File("picture.bmp"), W, H, px.data(), Error)) << Error;
    return File("picture.bmp");
  }
  bool Render(const std::vector<std::string>& Args, std::string& Error) {
    TRenderOptions O;
    return ParseRenderArgs(Args, O, Error) && RunRender(O, Error);
  }
  support::TTempFolder Temp{"emberdell-render"};
};

}  // namespace emberdell::test
