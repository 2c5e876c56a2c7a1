// The renderer checked against a plain re-telling of the frame rules, so
// that seeding, style choice, fade-out timing, the band and the outputs are
// wired as documented.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/engine/uFlameStep.h"
#include "core/engine/uImageFiles.h"
#include "core/styles/uPresets.h"
#include "core/shared/uRandom.h"
#include "tools/uRender.h"
#include "tests/support/temp_folder.h"

using namespace emberdell;
namespace fs = std::filesystem;

namespace {

class RenderTest : public testing::Test {
 protected:
  std::string File(const std::string& Name) { return Temp.File(Name); }
  std::vector<uint8_t> Read(const std::string& Name) {
    std::ifstream f(File(Name), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
  }
  // A picture with circles and stripes, so there are plenty of outlines.
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

// The frame rules told plainly: step, blend, colour table.
std::vector<uint8_t> ReferenceRaw(const TPixelImage& Pic, int PH, TFlamePreset Style, uint32_t Seed, int Frames,
                                  int FadeAfter, int FadeMs) {
  const int W = Pic.Width, H = Pic.Height;
  const size_t N = size_t(W) * H;
  std::vector<uint8_t> Grey(N), Edges(N), Heat(N, 0), Image(N, 0);
  for (size_t i = 0; i < N; ++i) Grey[i] = uint8_t((Pic.Pixels[4 * i] + Pic.Pixels[4 * i + 1] + Pic.Pixels[4 * i + 2]) / 3);
  BuildEdgeMask(Grey.data(), W, H, Edges.data());
  int Top, Bottom;
  BandRows(H, PH, Top, Bottom);
  for (size_t i = size_t(Top) * W; i < size_t(Bottom) * W; ++i) Image[i] = 128;
  uint8_t Cooling = 3;
  for (int f = 1; f <= Frames; ++f) {
    TStepParams P;
    P.Width = W;
    P.Height = H;
    P.Top = Top;
    P.Bottom = Bottom;
    P.Wind = Style.Wind;
    P.FlameIntensity = Style.FlameIntensity;
    P.Cooling = Cooling;
    FlameStepReference(Heat.data(), Edges.data(), P, Seed);
    BlendReference(Image.data(), Heat.data(), Grey.data(), size_t(Top) * W, size_t(Bottom) * W);
    if (f == FadeAfter) {
      Cooling = uint8_t(17 - FadeMs / 100);
      std::fill(Edges.begin(), Edges.end(), 0);
    }
  }
  std::vector<uint8_t> Raw = Image;
  for (int j = 0; j < 256; ++j) {
    Raw.push_back(uint8_t(255 - Style.Blue[j]));
    Raw.push_back(uint8_t(255 - Style.Green[j]));
    Raw.push_back(uint8_t(255 - Style.Red[j]));
    Raw.push_back(0);
  }
  return Raw;
}

}  // namespace

TEST_F(RenderTest, RawOutputFollowsTheRules) {
  struct Case { int W, H, PH; uint32_t Seed; int Frames, FadeAfter, FadeMs; bool Random; };
  const Case Cases[] = {{64, 48, 100, 1, 30, -1, 700, true}, {90, 61, 50, 77, 40, 20, 300, true},
                        {33, 40, 75, 5, 25, 10, 1000, false}, {128, 96, 100, 123456, 60, 59, 700, true}};
  for (const Case& c : Cases) {
    const std::string Picture = MakePicture(c.W, c.H);
    std::vector<std::string> Args = {"--size", std::to_string(c.W) + "x" + std::to_string(c.H), "--picture", Picture,
                                     "--picture-height", std::to_string(c.PH), "--seed", std::to_string(c.Seed),
                                     "--frames", std::to_string(c.Frames), "--raw", File("out.raw"),
                                     "--save-style", File("style.wyk")};
    if (c.Random) Args.push_back("--random-style");
    if (c.FadeAfter >= 0) {
      Args.insert(Args.end(), {"--fade-out-after", std::to_string(c.FadeAfter), "--fade-out-ms", std::to_string(c.FadeMs)});
    }
    std::string Error;
    ASSERT_TRUE(Render(Args, Error)) << Error;

    TFlamePreset Style;
    ASSERT_TRUE(ReadPresetFile(File("style.wyk"), Style));
    uint32_t Seed = c.Seed;
    if (c.Random) {
      // The random style takes its draws first, from the same generator.
      Randomize(c.Seed);
      TFlamePreset Expected;
      std::memset(&Expected, 0, sizeof Expected);
      MakeRandomPreset(Expected);
      EXPECT_EQ(0, std::memcmp(&Expected, &Style, sizeof Style));
      Seed = GetRandSeed();
    } else {
      EXPECT_EQ(PresetName(Style), "(Default) Wood");
    }
    TPixelImage Pic;
    ASSERT_TRUE(ReadPictureFile(Picture, Pic, Error));
    EXPECT_EQ(Read("out.raw"), ReferenceRaw(Pic, c.PH, Style, Seed, c.Frames, c.FadeAfter, c.FadeMs))
        << c.W << "x" << c.H;
  }
}

TEST_F(RenderTest, OutputsAgreeWithEachOther) {
  const std::string Picture = MakePicture(40, 30);
  std::string Error;
  ASSERT_TRUE(Render({"--size", "40x30", "--picture", Picture, "--seed", "9", "--frames", "12", "--out",
                      File("frame.bmp"), "--raw", File("frame.raw"), "--screenshot", File("shot.bmp")},
                     Error))
      << Error;
  const auto Raw = Read("frame.raw");
  ASSERT_EQ(Raw.size(), 40u * 30 + 1024);
  TPixelImage Frame, Shot;
  ASSERT_TRUE(ReadPictureFile(File("frame.bmp"), Frame, Error));
  ASSERT_TRUE(ReadPictureFile(File("shot.bmp"), Shot, Error));
  std::vector<uint8_t> Smoothed(Raw.begin(), Raw.begin() + 1200);
  SmoothShot(Smoothed.data(), 40, 30);
  for (size_t i = 0; i < 1200; ++i) {
    ASSERT_EQ(0, std::memcmp(&Frame.Pixels[4 * i], &Raw[1200 + 4 * Raw[i]], 3)) << i;
    ASSERT_EQ(0, std::memcmp(&Shot.Pixels[4 * i], &Raw[1200 + 4 * Smoothed[i]], 3)) << i;
  }
  // Same seed, same frames: the same bytes.
  ASSERT_TRUE(Render({"--size", "40x30", "--picture", Picture, "--seed", "9", "--frames", "12", "--raw",
                      File("again.raw")},
                     Error));
  EXPECT_EQ(Read("again.raw"), Raw);
  ASSERT_TRUE(Render({"--size", "40x30", "--picture", Picture, "--seed", "9", "--frames", "3", "--out",
                      File("frame.jpg"), "--screenshot", File("shot.jpg")},
                     Error));
  EXPECT_EQ(Read("shot.jpg")[0], 0xFF);
  EXPECT_EQ(Read("frame.jpg")[1], 0xD8);
}

TEST_F(RenderTest, PicturesAreStretchedToTheNearestPixel) {
  // 2 x 2 picture, 4 x 4 area: each source pixel covers a 2 x 2 block.
  const uint8_t px[16] = {0, 0, 0, 0, 90, 90, 90, 0, 30, 30, 30, 0, 255, 255, 255, 0};
  std::string Error;
  ASSERT_TRUE(WriteBmpFile(File("small.bmp"), 2, 2, px, Error));
  ASSERT_TRUE(Render({"--size", "4x4", "--picture", File("small.bmp"), "--frames", "0", "--raw", File("r.raw"),
                      "--seed", "1"},
                     Error))
      << Error;
  // No frame ran: the start image is the band at 128.
  const auto Raw = Read("r.raw");
  ASSERT_EQ(Raw.size(), 16u + 1024);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(Raw[i], 128);
}

TEST_F(RenderTest, BadInputIsRefusedWithAReason) {
  const std::string Picture = MakePicture(16, 16);
  std::ofstream(File("short.wyk"), std::ios::binary) << std::string(803, 'x');
  std::ofstream(File("broken.jpg"), std::ios::binary) << "\xFF\xD8\xFF\xE0 not really";
  std::ofstream(File("text.bmp")) << "hello";
  const std::vector<std::vector<std::string>> Bad = {
      {},
      {"--picture", Picture},
      {"--size", "16x16"},
      {"--size", "16", "--picture", Picture},
      {"--size", "0x16", "--picture", Picture},
      {"--size", "16x-4", "--picture", Picture},
      {"--size", "99999x16", "--picture", Picture},
      {"--size", "16x16x", "--picture", Picture},
      {"--size", "16x16", "--picture", Picture, "--frames", "-1"},
      {"--size", "16x16", "--picture", Picture, "--frames"},
      {"--size", "16x16", "--picture", Picture, "--seed", "abc"},
      {"--size", "16x16", "--picture", Picture, "--bogus"},
      {"--size", "16x16", "--picture", Picture, "--style", File("short.wyk")},
      {"--size", "16x16", "--picture", Picture, "--style", File("none.wyk")},
      {"--size", "16x16", "--picture", Picture, "--style", File("short.wyk"), "--random-style"},
      {"--size", "16x16", "--picture", File("broken.jpg")},
      {"--size", "16x16", "--picture", File("text.bmp")},
      {"--size", "16x16", "--picture", File("missing.bmp")},
      {"--size", "16x16", "--picture", Picture, "--out", File("no/such/folder/x.bmp")},
      {"--size", "16x16", "--picture", Picture, "--screenshot", File("no/such/folder/x.bmp")},
  };
  for (const auto& Args : Bad) {
    std::string Error, Shown;
    for (auto& a : Args) Shown += a + " ";
    EXPECT_FALSE(Render(Args, Error)) << Shown;
    EXPECT_FALSE(Error.empty()) << Shown;
    EXPECT_EQ(Error.find('\n'), std::string::npos) << Shown;
  }
}
