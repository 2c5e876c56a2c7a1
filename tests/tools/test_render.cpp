// The renderer checked against a plain re-telling of the frame rules, so
// that seeding, style choice, fade-out timing, the band and the outputs are
// wired as documented.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <set>

#include "core/engine/uFitPicture.h"
#include "core/engine/uFlamePicture.h"
#include "core/engine/uFlameStep.h"
#include "core/engine/uImageFiles.h"
#include "core/styles/uPresets.h"
#include "core/shared/uRandom.h"
#include "tools/uAnimation.h"
#include "tools/uRender.h"
#include "tests/support/temp_folder.h"
#include "tests/tools/render_fixture.h"

using namespace emberdell;
namespace fs = std::filesystem;

namespace {

class RenderTest : public test::TRenderFixture {
 protected:
  static std::string Style(const std::string& Name) { return EMBERDELL_STYLE_FOLDER + Name + ".wyk"; }
  static TFlamePreset ReadStyle(const std::string& FileName) {
    TFlamePreset Preset;
    EXPECT_TRUE(ReadPresetFile(FileName, Preset)) << FileName;
    return Preset;
  }
  static bool SameStyle(const TFlamePreset& a, const TFlamePreset& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
};

// The frame rules told plainly: step, blend, colour table.
// AfterFrame, when given, runs after each frame's colours are taken, with the
// frame number, the style and the generator's seed, as a run's style
// morphing and changing do.
using TAfterFrame = std::function<void(int Frame, TFlamePreset& Style, uint32_t& Seed)>;
std::vector<uint8_t> ReferenceRaw(const TPixelImage& Pic, int PH, TFlamePreset Style, uint32_t Seed, int Frames,
                                  int FadeAfter, int FadeMs, const TAfterFrame& AfterFrame = {}) {
  const int W = Pic.Width, H = Pic.Height;
  const size_t N = size_t(W) * H;
  std::vector<uint8_t> Grey(N), Edges(N), Heat(N, 0), Image(N, 0);
  for (size_t i = 0; i < N; ++i) Grey[i] = uint8_t((Pic.Pixels[4 * i] + Pic.Pixels[4 * i + 1] + Pic.Pixels[4 * i + 2]) / 3);
  BuildEdgeMask(Grey.data(), W, H, Edges.data());
  int Top, Bottom;
  BandRows(H, PH, Top, Bottom);
  for (size_t i = size_t(Top) * W; i < size_t(Bottom) * W; ++i) Image[i] = 128;
  uint8_t Cooling = 3;
  TFlamePreset Drawn = Style;
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
    Drawn = Style;
    if (AfterFrame) AfterFrame(f, Style, Seed);
    if (f == FadeAfter) {
      Cooling = uint8_t(17 - FadeMs / 100);
      std::fill(Edges.begin(), Edges.end(), 0);
    }
  }
  std::vector<uint8_t> Raw = Image;
  for (int j = 0; j < 256; ++j) {
    Raw.push_back(uint8_t(255 - Drawn.Blue[j]));
    Raw.push_back(uint8_t(255 - Drawn.Green[j]));
    Raw.push_back(uint8_t(255 - Drawn.Red[j]));
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
      {"--size", "16x16", "--picture", Picture, "--morph-to", File("none.wyk")},
      {"--size", "16x16", "--picture", Picture, "--morph-to", File("short.wyk")},
      {"--size", "16x16", "--picture", Picture, "--fps", "0"},
      {"--size", "16x16", "--picture", Picture, "--fps", "-25"},
      {"--size", "16x16", "--picture", Picture, "--change-every", "5"},
      {"--size", "16x16", "--picture", Picture, "--styles", Temp.File("no-styles")},
      {"--size", "16x16", "--picture", Picture, "--styles", Temp.File(""), "--morph-to", Style("Gas Flame")},
      {"--size", "16x16", "--picture", Picture, "--styles", Temp.File(""), "--change-every", "0"},
      {"--size", "16x16", "--picture", Picture, "--gif", File("no/such/folder/x.gif")},
      {"--size", "16x16", "--picture", Picture, "--video", File("no/such/folder/x.mp4")},
      {"--size", "16x16", "--picture", Picture, "--video", File("x.avi")},
      {"--size", "15x16", "--picture", Picture, "--video", File("x.webm")},
      {"--size", "16x16", "--picture", File("text.bmp"), "--fit"},
  };
  for (const auto& Args : Bad) {
    std::string Error, Shown;
    for (auto& a : Args) Shown += a + " ";
    EXPECT_FALSE(Render(Args, Error)) << Shown;
    EXPECT_FALSE(Error.empty()) << Shown;
    EXPECT_EQ(Error.find('\n'), std::string::npos) << Shown;
  }
}

TEST_F(RenderTest, MorphToStepsTheStyleAfterEveryFrame) {
  // Frame 0 keeps the start; 52 steps bring any curve byte home; past that
  // nothing moves. The colours of the last frame are those of the style
  // before its own step.
  struct Case { const char *From, *To; int Frames; };
  const Case Cases[] = {{"(Default) Wood", "Gas Flame", 0},  {"(Default) Wood", "Gas Flame", 1},
                        {"Gas Flame", "Windy Night", 7},     {"Windy Night", "(Default) Wood", 60},
                        {"Gas Flame", "(Default) Wood", 2}};
  const std::string Picture = MakePicture(48, 36);
  TPixelImage Pic;
  std::string Error;
  ASSERT_TRUE(ReadPictureFile(Picture, Pic, Error));
  for (const Case& c : Cases) {
    ASSERT_TRUE(Render({"--size", "48x36", "--picture", Picture, "--seed", "31", "--frames", std::to_string(c.Frames),
                        "--style", Style(c.From), "--morph-to", Style(c.To), "--raw", File("m.raw"), "--save-style",
                        File("m.wyk")},
                       Error))
        << Error;
    const TFlamePreset Target = ReadStyle(Style(c.To));
    TFlamePreset Expected = ReadStyle(Style(c.From));
    for (int f = 0; f < c.Frames; ++f) MorphPreset(Expected, Target);
    EXPECT_TRUE(SameStyle(Expected, ReadStyle(File("m.wyk")))) << c.From << " " << c.Frames;
    // Before the first frame the colour table is not yet built.
    if (c.Frames == 0) continue;
    const auto Morph = [&](int, TFlamePreset& S, uint32_t&) { MorphPreset(S, Target); };
    EXPECT_EQ(Read("m.raw"), ReferenceRaw(Pic, 100, ReadStyle(Style(c.From)), 31, c.Frames, -1, 700, Morph))
        << c.From << " " << c.Frames;
  }
}

TEST_F(RenderTest, StylesFolderChangesTheTargetAsARunDoes) {
  // The run's order of draws: the start style, then sparks and, every
  // SECONDS x FPS frames, the next target, all from the one generator.
  const std::vector<std::string> Names = {"(Default) Wood", "Gas Flame", "Windy Night"};
  fs::create_directories(File("styles"));
  for (const auto& Name : Names) fs::copy_file(Style(Name), File("styles/" + Name + ".wyk"));
  struct Case { int Fps, Frames; std::optional<int> Every; uint32_t Seed; };
  const Case Cases[] = {{4, 13, 1, 5}, {3, 20, 2, 99}, {2, 7, std::nullopt, 12}, {1, 124, std::nullopt, 3}};
  const std::string Picture = MakePicture(24, 18);
  TPixelImage Pic;
  std::string Error;
  ASSERT_TRUE(ReadPictureFile(Picture, Pic, Error));
  for (const Case& c : Cases) {
    std::vector<std::string> Args = {"--size", "24x18", "--picture", Picture, "--seed", std::to_string(c.Seed),
                                     "--frames", std::to_string(c.Frames), "--fps", std::to_string(c.Fps),
                                     "--styles", File("styles"), "--raw", File("s.raw"), "--save-style", File("s.wyk")};
    if (c.Every) Args.insert(Args.end(), {"--change-every", std::to_string(*c.Every)});
    ASSERT_TRUE(Render(Args, Error)) << Error;

    uint32_t Seed = c.Seed;
    const TFlamePreset Start = ReadStyle(Style(Names[RandomStep(Seed, 3)]));
    TFlamePreset Target = Start;
    const int Period = c.Every.value_or(120) * c.Fps;
    TFlamePreset Last = Start;
    const auto Change = [&](int f, TFlamePreset& S, uint32_t& RunSeed) {
      MorphPreset(S, Target);
      if (f % Period == 0) Target = ReadStyle(Style(Names[RandomStep(RunSeed, 3)]));
      Last = S;
    };
    EXPECT_EQ(Read("s.raw"), ReferenceRaw(Pic, 100, Start, Seed, c.Frames, -1, 700, Change)) << c.Frames;
    EXPECT_TRUE(SameStyle(Last, ReadStyle(File("s.wyk")))) << c.Frames;
  }
}

TEST_F(RenderTest, FitGivesTheHostsBackground) {
  // Wider and narrower than the area, a tiny picture enlarged, and the
  // area's own size (which still overscans): BMP through the wallpaper's
  // path, JPEG through the background folder's.
  struct Case { int AreaW, AreaH, PicW, PicH; bool Jpeg; };
  const Case Cases[] = {{64, 40, 160, 60, false}, {64, 40, 30, 90, true}, {50, 50, 5, 3, false},
                        {40, 30, 40, 30, true}, {72, 46, 200, 150, true}};
  for (const Case& c : Cases) {
    const std::string Bmp = MakePicture(c.PicW, c.PicH);
    std::string Picture = Bmp, Error;
    TPixelImage Source, Host;
    ASSERT_TRUE(ReadPictureFile(Bmp, Source, Error));
    if (c.Jpeg) {
      Picture = File("picture.jpg");
      ASSERT_TRUE(WriteJpegFile(Picture, c.PicW, c.PicH, Source.Pixels.data(), 90, false, Error)) << Error;
      ASSERT_TRUE(LoadBackgroundFile(Picture, c.AreaW, c.AreaH, Host, Error)) << Error;
    } else {
      ASSERT_TRUE(FitPictureToArea(Source, c.AreaW, c.AreaH, Host));
    }
    const std::string Size = std::to_string(c.AreaW) + "x" + std::to_string(c.AreaH);
    ASSERT_TRUE(Render({"--size", Size, "--picture", Picture, "--fit", "--seed", "4", "--frames", "9", "--raw",
                        File("f.raw")},
                       Error))
        << Error;
    EXPECT_EQ(Read("f.raw"), ReferenceRaw(Host, 100, ReadStyle(Style("(Default) Wood")), 4, 9, -1, 700))
        << Size << " from " << c.PicW << "x" << c.PicH;
  }
}

TEST_F(RenderTest, FailedRendersLeaveNoAnimationBehind) {
  // A screenshot that cannot be written fails the render after every frame
  // went out; an animation whose name is taken by a folder cannot be
  // renamed into place. Neither leaves a file, whole or partial.
  const std::string Picture = MakePicture(16, 12);
  fs::create_directories(File("taken.gif"));
  const std::vector<std::vector<std::string>> Bad = {
      {"--gif", File("a.gif"), "--video", File("a.mp4"), "--screenshot", File("no/such/x.bmp")},
      {"--gif", File("taken.gif")},
      {"--video", File("a.webm"), "--out", File("no/such/x.bmp")},
      // Every output is whole, and one of them cannot take its name.
      {"--raw", File("a.raw"), "--video", File("a.webm"), "--gif", File("taken.gif")},
  };
  for (const auto& Extra : Bad) {
    std::vector<std::string> Args = {"--size", "16x12", "--picture", Picture, "--seed", "2", "--frames", "3"};
    Args.insert(Args.end(), Extra.begin(), Extra.end());
    std::string Error;
    if ((!GifAvailable() && std::find(Args.begin(), Args.end(), "--gif") != Args.end()) ||
        (!VideoAvailable() && std::find(Args.begin(), Args.end(), "--video") != Args.end()))
      continue;
    EXPECT_FALSE(Render(Args, Error)) << Extra[1];
    std::set<std::string> Left;
    for (const auto& Entry : fs::directory_iterator(Temp.File(""))) Left.insert(Entry.path().filename().string());
    EXPECT_EQ(Left, (std::set<std::string>{"picture.bmp", "taken.gif"})) << Extra[1];
  }
}
