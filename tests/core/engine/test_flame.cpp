// TFlame as a whole: start-up image, fade-out, drawing, colour table and
// screenshots, including areas too small or too odd to burn properly.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/engine/uCore.h"
#include "core/engine/uFlamePicture.h"
#include "core/engine/uFlameStep.h"
#include "core/engine/uImageFiles.h"
#include "core/shared/uRandom.h"
#include "tests/support/failing_new.h"
#include "tests/support/temp_folder.h"

using namespace emberdell;
namespace fs = std::filesystem;

namespace {

class TRecordingCanvas : public IFlameCanvas {
 public:
  void DrawFrame(const TBitmapInfo8& Info, const uint8_t* Bits, const TChangedBlocks&) override {
    ++Frames;
    LastInfo = Info;
    const size_t Rows = static_cast<size_t>(-Info.biHeight);
    LastBits.assign(Bits, Bits + DibStride(Info.biWidth) * Rows);
  }
  int Frames = 0;
  TBitmapInfo8 LastInfo{};
  std::vector<uint8_t> LastBits;
};

TFlamePreset Style(int Intensity = 10, int Wind = 0) {
  TFlamePreset p;
  std::memset(&p, 0, sizeof p);
  p.FlameIntensity = Intensity;
  p.Wind = Wind;
  for (int i = 0; i < 256; ++i) {
    p.Red[i] = uint8_t(255 - i);
    p.Green[i] = uint8_t(i < 128 ? 255 : 2 * (255 - i));
    p.Blue[i] = 255;
  }
  return p;
}

// A picture with strong outlines: a bright square on black.
std::vector<uint8_t> Picture(int W, int H) {
  std::vector<uint8_t> px(size_t(W) * H * 4, 0);
  for (int y = H / 4; y < 3 * H / 4; ++y)
    for (int x = W / 4; x < 3 * W / 4; ++x) std::memset(&px[(size_t(y) * W + x) * 4], 255, 3);
  return px;
}

}  // namespace

TEST(Flame, FirstInitLaysOutTheBandAndASecondKeepsTheImage) {
  TFlame F;
  TFlamePreset S = Style();
  int32_t PH = 50;
  const auto Pic = Picture(40, 30);
  F.Init(nullptr, TRect{0, 0, 40, 30}, Pic.data(), &S, &PH);
  int Top, Bottom;
  F.Band(Top, Bottom);
  EXPECT_EQ(Top, 7);
  EXPECT_EQ(Bottom, 22);
  for (int y = 0; y < 30; ++y) EXPECT_EQ(F.Image()[size_t(y) * 40 + 5], (y >= Top && y < Bottom) ? 128 : 0) << y;
  EXPECT_EQ(F.Cooling(), 3);
  for (uint8_t h : F.Heat()) ASSERT_EQ(h, 0);

  Randomize(3);
  for (int i = 0; i < 5; ++i) F.NextFrame();
  const auto ImageBefore = F.Image();
  const auto HeatBefore = F.Heat();
  PH = 100;
  F.Init(nullptr, TRect{0, 0, 40, 30}, nullptr, &S, &PH);
  EXPECT_EQ(F.Image(), ImageBefore);
  EXPECT_EQ(F.Heat(), HeatBefore);
  for (uint8_t e : F.Edges()) ASSERT_EQ(e, 0);  // black picture: no outlines
}

TEST(Flame, BackgroundIsTheGreyAverage) {
  TFlame F;
  TFlamePreset S = Style();
  int32_t PH = 100;
  std::vector<uint8_t> Pic = {10, 20, 31, 0, 255, 255, 254, 99, 0, 0, 2, 0, 200, 100, 0, 0};
  F.Init(nullptr, TRect{0, 0, 2, 2}, Pic.data(), &S, &PH);
  EXPECT_EQ(F.Background(), (std::vector<uint8_t>{20, 254, 0, 100}));
}

TEST(Flame, FadeOutCoolsFasterAndStopsSparks) {
  const std::pair<int, int> Cases[] = {{300, 14}, {700, 10}, {1000, 7}};
  for (auto [Ms, Cooling] : Cases) {
    TFlame F;
    F.FFadeOutTime = Ms;
    TFlamePreset S = Style();
    int32_t PH = 100;
    const auto Pic = Picture(64, 48);
    F.Init(nullptr, TRect{0, 0, 64, 48}, Pic.data(), &S, &PH);
    ASSERT_GT(std::count(F.Edges().begin(), F.Edges().end(), 255), 0);
    F.StartFadeOut();
    EXPECT_EQ(F.Cooling(), Cooling);
    EXPECT_EQ(std::count(F.Edges().begin(), F.Edges().end(), 0), 64 * 48);
  }
}

TEST(Flame, FireBurnsDownAfterTheFadeOut) {
  TFlame F;
  F.FFadeOutTime = 300;
  TFlamePreset S = Style(10);
  int32_t PH = 100;
  const auto Pic = Picture(64, 64);
  F.Init(nullptr, TRect{0, 0, 64, 64}, Pic.data(), &S, &PH);
  Randomize(11);
  for (int i = 0; i < 30; ++i) F.NextFrame();
  int Hot = 0;
  for (uint8_t h : F.Heat()) Hot += h > 100;
  ASSERT_GT(Hot, 0);
  F.StartFadeOut();
  for (int i = 0; i < 60; ++i) F.NextFrame();
  // Values below the cooling may stay; nothing hot is left.
  for (uint8_t h : F.Heat()) ASSERT_LT(h, 14);
}

// Whole frames of the engine beside the rules as written, frame after frame:
// the picture height moving the band while the fire runs (to odd and even
// tops), then the fade-out, at every packed level, for widths around the
// packed sizes, with and without skipping the cold stretches.
TEST(Flame, FramesFollowTheRulesThroughBandChangesAndTheFadeOut) {
  struct TCase {
    int W, H;
  };
  const TCase Cases[] = {{130, 90}, {97, 61}, {256, 40}, {600, 50}, {1100, 40}};
  const TSimdLevel Levels[] = {TSimdLevel::Scalar, TSimdLevel::Sse2, TSimdLevel::Avx2};
  // Picture height per frame range; the fade-out starts at frame 40.
  const std::pair<int, int32_t> Heights[] = {{0, 100}, {15, 50}, {25, 73}, {33, 100}};
  std::vector<std::pair<TCase, bool>> Runs;  // each area without and with skipping
  for (const TCase& c : Cases)
    for (bool SkipCold : {false, true}) Runs.emplace_back(c, SkipCold);
  for (TSimdLevel Level : Levels) {
    if (ForceSimd(Level) != Level) continue;
    for (const auto& [c, SkipCold] : Runs) {
      SCOPED_TRACE(testing::Message() << "level " << int(Level) << " " << c.W << "x" << c.H << " skip " << SkipCold);
      TFlame F;
      F.FFadeOutTime = 700;
      // These small fires would soon stop the skipping where it pays least.
      F.SetTuning({SkipCold ? 0 : int64_t(1) << 40, 0});
      TFlamePreset S = Style(9, 1);
      int32_t PH = 100;
      const auto Pic = Picture(c.W, c.H);
      F.Init(nullptr, TRect{0, 0, c.W, c.H}, Pic.data(), &S, &PH);
      std::vector<uint8_t> Heat = F.Heat(), Image = F.Image(), Edges = F.Edges();
      const std::vector<uint8_t>& Grey = F.Background();
      uint8_t Cooling = 3;
      Randomize(2024);
      int Hot = 0;
      for (int Frame = 0; Frame < 60; ++Frame) {
        for (auto [From, Height] : Heights)
          if (Frame == From) PH = Height;
        // A few frames without skipping: the history must not survive them.
        if (SkipCold && (Frame == 3 || Frame == 9)) F.SetTuning({Frame == 3 ? int64_t(1) << 40 : 0, 0});
        // A new picture of the same size: the fire and the image carry on
        // over another background.
        if (Frame == 24) {
          std::vector<uint8_t> Other(Pic.size(), 0);
          for (int y = c.H / 8; y < c.H / 2; ++y)
            for (int x = 0; x < c.W / 5; ++x) std::memset(&Other[(size_t(y) * c.W + x) * 4], 200, 3);
          F.Init(nullptr, TRect{0, 0, c.W, c.H}, Other.data(), &S, &PH);
          Edges = F.Edges();
        }
        if (Frame == 40) {
          for (uint8_t h : Heat) Hot += h != 0;
          F.StartFadeOut();
          std::fill(Edges.begin(), Edges.end(), 0);
          Cooling = 10;
        }
        TStepParams P;
        P.Width = c.W;
        P.Height = c.H;
        BandRows(c.H, PH, P.Top, P.Bottom);
        P.Wind = S.Wind;
        P.FlameIntensity = S.FlameIntensity;
        P.Cooling = Cooling;
        uint32_t Seed = GetRandSeed();
        FlameStepReference(Heat.data(), Edges.data(), P, Seed);
        BlendReference(Image.data(), Heat.data(), Grey.data(), size_t(P.Top) * c.W, size_t(P.Bottom) * c.W);
        F.NextFrame();
        ASSERT_EQ(F.Heat(), Heat) << "frame " << Frame;
        ASSERT_EQ(F.Image(), Image) << "frame " << Frame;
        ASSERT_EQ(GetRandSeed(), Seed) << "frame " << Frame;
      }
      EXPECT_GT(Hot, 0);  // the comparison saw a burning fire, not an empty field
    }
  }
  ForceSimd(TSimdLevel::Avx2);
}

// The step stops looking for cold stretches where most of the picture
// burns, and a new picture makes it look again.
TEST(Flame, SkippingColdStretchesRestsWhereMostOfThePictureBurns) {
  constexpr int W = 512, H = 96;
  std::vector<uint8_t> Black(size_t(W) * H * 4, 0), Stripes = Black;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; x += 8) std::memset(&Stripes[(size_t(y) * W + x) * 4], 255, 12);
  struct TCase {
    const char* Name;
    const std::vector<uint8_t>& Picture;
    bool Skips;
  };
  const TCase Cases[] = {{"black", Black, true}, {"stripes", Stripes, false}};
  for (const TCase& c : Cases) {
    SCOPED_TRACE(c.Name);
    TFlame F;
    F.SetTuning({0, TFlame::TTuning{}.SkipPaysFrom});
    TFlamePreset S = Style(9, 1);
    int32_t PH = 100;
    Randomize(5);
    F.Init(nullptr, TRect{0, 0, W, H}, c.Picture.data(), &S, &PH);
    for (int Frame = 0; Frame < 40; ++Frame) F.NextFrame();
    EXPECT_EQ(F.SkipsColdStretches(), c.Skips);
    F.Init(nullptr, TRect{0, 0, W, H}, Black.data(), &S, &PH);
    EXPECT_TRUE(F.SkipsColdStretches());
  }
}

TEST(Flame, DrawsPaddedRowsThroughTheStyleColours) {
  for (int W : {6, 8, 9}) {
    TFlame F;
    TFlamePreset S = Style();
    int32_t PH = 100;
    TRecordingCanvas Canvas;
    const auto Pic = Picture(W, 12);
    F.Init(&Canvas, TRect{0, 0, W, 12}, Pic.data(), &S, &PH);
    F.NextFrame();
    ASSERT_EQ(Canvas.Frames, 1);
    const TBitmapInfo8& I = Canvas.LastInfo;
    EXPECT_EQ(I.biSize, 40u);
    EXPECT_EQ(I.biWidth, W);
    EXPECT_EQ(I.biHeight, -12);
    EXPECT_EQ(I.biPlanes, 1);
    EXPECT_EQ(I.biBitCount, 8);
    EXPECT_EQ(I.biCompression, 0u);
    EXPECT_EQ(I.biSizeImage, 0u);
    EXPECT_EQ(I.biClrUsed, 256u);
    EXPECT_EQ(I.biClrImportant, 256u);
    for (int j = 0; j < 256; ++j) {
      EXPECT_EQ(I.Colors[j][0], 255 - S.Blue[j]);
      EXPECT_EQ(I.Colors[j][1], 255 - S.Green[j]);
      EXPECT_EQ(I.Colors[j][2], 255 - S.Red[j]);
      EXPECT_EQ(I.Colors[j][3], 0);
    }
    const size_t Stride = DibStride(W);
    ASSERT_EQ(Canvas.LastBits.size(), Stride * 12);
    for (int y = 0; y < 12; ++y)
      ASSERT_EQ(0, std::memcmp(&Canvas.LastBits[y * Stride], &F.Image()[size_t(y) * W], W)) << W << " row " << y;
  }
}

TEST(Flame, ExpandingTheDrawnRowsGivesTheImageAsTheWindowShowsIt) {
  // What a 32-bit canvas makes of each padded row must be ImageAsPixels.
  for (int W : {9, 40}) {
    TFlame F;
    TFlamePreset S = Style(8, 1);
    int32_t PH = 100;
    TRecordingCanvas Canvas;
    const auto Pic = Picture(W, 14);
    F.Init(&Canvas, TRect{0, 0, W, 14}, Pic.data(), &S, &PH);
    for (int i = 0; i < 5; ++i) F.NextFrame();
    uint32_t Table[256];
    std::memcpy(Table, Canvas.LastInfo.Colors, sizeof Table);
    std::vector<uint32_t> Shown(size_t(W) * 14);
    for (int y = 0; y < 14; ++y)
      ExpandThroughColorTable(&Canvas.LastBits[y * DibStride(W)], Table, &Shown[size_t(y) * W], size_t(W));
    const std::vector<uint8_t> Expected = F.ImageAsPixels();
    ASSERT_EQ(Expected.size(), Shown.size() * 4);
    EXPECT_EQ(0, std::memcmp(Expected.data(), Shown.data(), Expected.size())) << W;
  }
}

TEST(Flame, TinyOddAndEmptyAreasDoNotCrash) {
  // Run under the sanitizers as well: every size reads and writes in bounds.
  const TRect Rects[] = {{0, 0, 0, 0}, {0, 0, 1, 1},  {0, 0, 2, 3},   {0, 0, 3, 9},    {0, 0, 1, 40},
                         {0, 0, 40, 1}, {0, 0, 7, 12}, {0, 0, 33, 17}, {5, 5, 3, 3},    {0, 0, -4, 10},
                         {10, 20, 27, 41}};
  for (const TRect& R : Rects) {
    for (int32_t PH : {-5, 0, 50, 100, 180}) {
      TFlame F;
      F.FFadeOutTime = 700;
      TFlamePreset S = Style(10, 1);
      TRecordingCanvas Canvas;
      const int W = std::max(0, R.Right - R.Left), H = std::max(0, R.Bottom - R.Top);
      const auto Pic = Picture(W, H);
      F.Init(&Canvas, R, W * H > 0 ? Pic.data() : nullptr, &S, &PH);
      for (int i = 0; i < 4; ++i) F.NextFrame();
      F.StartFadeOut();
      F.NextFrame();
      EXPECT_EQ(F.Width(), W);
      EXPECT_EQ(F.Height(), H);
    }
  }
}

// A flame and a folder for its screenshots.
class FlameShots : public testing::Test {
 protected:
  const support::TTempFolder Temp{"emberdell-flame"};
  const fs::path& Dir = Temp.Path();
  TFlame F;
  TFlamePreset S = Style();
  int32_t PH = 100;
};

TEST_F(FlameShots, ScreenshotsAreSmoothedAndWrittenByExtension) {
  const auto Pic = Picture(32, 24);
  F.Init(nullptr, TRect{0, 0, 32, 24}, Pic.data(), &S, &PH);
  Randomize(8);
  for (int i = 0; i < 10; ++i) F.NextFrame();

  F.RequestScreenshot((Dir / "ignored.bmp").string());
  F.RequestScreenshot((Dir / "000001.bmp").string());  // the later name wins
  EXPECT_TRUE(F.ShotPending());
  F.NextFrame();
  EXPECT_FALSE(F.ShotPending());
  F.FlushScreenshots();
  EXPECT_FALSE(fs::exists(Dir / "ignored.bmp"));
  TPixelImage Shot;
  std::string Error;
  ASSERT_TRUE(ReadPictureFile((Dir / "000001.bmp").string(), Shot, Error)) << Error;
  ASSERT_EQ(Shot.Width, 32);
  ASSERT_EQ(Shot.Height, 24);
  std::vector<uint8_t> Smoothed = F.Image();
  SmoothShot(Smoothed.data(), 32, 24);
  for (size_t i = 0; i < Smoothed.size(); ++i)
    ASSERT_EQ(0, std::memcmp(&Shot.Pixels[4 * i], F.BitmapInfo().Colors[Smoothed[i]], 3)) << i;

  // Different base names: Windows file names ignore case.
  F.RequestScreenshot((Dir / "shot.jpg").string());
  F.NextFrame();
  F.RequestScreenshot((Dir / "capital.JPG").string());
  F.NextFrame();
  F.FlushScreenshots();
  auto Head = [](const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    char b[2] = {};
    f.read(b, 2);
    return std::string(b, 2);
  };
  EXPECT_EQ(Head(Dir / "shot.jpg"), "\xFF\xD8");
  EXPECT_EQ(Head(Dir / "capital.JPG"), "BM");  // the extension is compared exactly
}

TEST_F(FlameShots, AScreenshotThatCannotBeWrittenDoesNotStopTheFrames) {
  TRecordingCanvas Canvas;
  F.Init(&Canvas, TRect{0, 0, 16, 16}, nullptr, &S, &PH);
  // Each request hears whether its file was written: not for the missing
  // folder, not for one replaced before its frame, yes for a good one.
  std::vector<std::string> Heard;
  std::mutex HeardLock;
  const auto Tell = [&](std::string What) {
    return [&, What](bool Written) {
      std::lock_guard<std::mutex> Guard(HeardLock);
      Heard.push_back(What + (Written ? " written" : " failed"));
    };
  };
  F.RequestScreenshot((Dir / "missing folder" / "000001.bmp").string(), Tell("missing"));
  F.NextFrame();
  F.FlushScreenshots();
  EXPECT_FALSE(F.LastScreenshotError().empty());
  F.NextFrame();
  EXPECT_EQ(Canvas.Frames, 2);
  F.RequestScreenshot((Dir / "replaced.bmp").string(), Tell("replaced"));
  F.RequestScreenshot((Dir / "000002.bmp").string(), Tell("good"));
  F.NextFrame();
  F.FlushScreenshots();
  EXPECT_EQ(Heard, (std::vector<std::string>{"missing failed", "replaced failed", "good written"}));
  EXPECT_TRUE(F.LastScreenshotError().empty());
  EXPECT_TRUE(fs::exists(Dir / "000002.bmp"));

  TFlame Empty;
  Empty.Init(nullptr, TRect{}, nullptr, &S, &PH);
  Empty.RequestScreenshot((Dir / "empty.bmp").string());
  Empty.NextFrame();
  EXPECT_FALSE(Empty.LastScreenshotError().empty());
}

TEST(Flame, ASlowDiskHoldsUpNeitherTheFramesNorTheRequests) {
  const support::TTempFolder Temp("emberdell-flame");
  const fs::path& Dir = Temp.Path();
  std::mutex Gate;
  std::unique_lock<std::mutex> Closed(Gate);  // the disk takes as long as the test wants
  std::atomic<int> Written{0};
  std::vector<std::string> Names;
  {
    TFlame F;
    TFlamePreset S = Style();
    int32_t PH = 100;
    TRecordingCanvas Canvas;
    F.Init(&Canvas, TRect{0, 0, 16, 16}, nullptr, &S, &PH);
    F.SetScreenshotFileWriter([&](const std::string& Name, int W, int H, const uint8_t* Pixels, std::string& Error) {
      std::lock_guard<std::mutex> Wait(Gate);
      Names.push_back(Name);
      ++Written;
      return WriteBmpFile(Name, W, H, Pixels, Error);
    });
    F.RequestScreenshot((Dir / "1.bmp").string());
    F.NextFrame();
    F.RequestScreenshot((Dir / "2.bmp").string());
    for (int i = 0; i < 20; ++i) F.NextFrame();
    // Both pictures are with the writer, which is still stuck on the first.
    EXPECT_EQ(Canvas.Frames, 21);
    EXPECT_FALSE(F.ShotPending());
    EXPECT_EQ(Written.load(), 0);
    EXPECT_TRUE(F.WritingScreenshots());
    Closed.unlock();
    // The engine goes only after what was handed over is on the disk.
  }
  EXPECT_EQ(Written.load(), 2);
  EXPECT_EQ(Names, (std::vector<std::string>{(Dir / "1.bmp").string(), (Dir / "2.bmp").string()}));
  EXPECT_TRUE(fs::exists(Dir / "2.bmp"));
}

TEST(Flame, PressesBeyondTheWritersRoomAreDroppedAndTheTakenOnesWrittenWhole) {
  const support::TTempFolder Temp("emberdell-flame");
  std::mutex Gate;
  std::unique_lock<std::mutex> Closed(Gate);  // a disk slower than any press
  constexpr size_t Room = TScreenshotWriter::MaxInFlight, Presses = Room + 3;
  std::atomic<int> Told[Presses];
  for (auto& T : Told) T = -1;
  const auto Name = [&](size_t i) { return Temp.File(std::to_string(i) + ".bmp"); };
  TFlame F;
  TFlamePreset S = Style();
  int32_t PH = 100;
  F.Init(nullptr, TRect{0, 0, 24, 16}, nullptr, &S, &PH);
  F.SetScreenshotFileWriter([&](const std::string& File, int W, int H, const uint8_t* Pixels, std::string& Error) {
    std::lock_guard<std::mutex> Wait(Gate);
    return WriteBmpFile(File, W, H, Pixels, Error);
  });
  for (size_t i = 0; i < Presses; ++i) {
    EXPECT_EQ(F.CanTakeScreenshot(), i < Room) << i;
    F.RequestScreenshot(Name(i), [&Told, i](bool Written) { Told[i] = Written; });
    F.NextFrame();
  }
  // The dropped ones hear so at once, on the frame's thread.
  for (size_t i = Room; i < Presses; ++i) EXPECT_EQ(Told[i], 0) << i;
  Closed.unlock();
  F.FlushScreenshots();
  for (size_t i = 0; i < Presses; ++i) {
    EXPECT_EQ(Told[i], i < Room ? 1 : 0) << i;
    TPixelImage Shot;
    std::string Error;
    EXPECT_EQ(ReadPictureFile(Name(i), Shot, Error) && Shot.Width * Shot.Height == 24 * 16, i < Room) << i;
  }
  // Once the disk has caught up, the next press is taken again.
  EXPECT_TRUE(F.CanTakeScreenshot());
}

TEST(Flame, AnAreaTooLargeForTheMemoryLeftBurnsNothingAndTheRunGoesOn) {
  TFlame F;
  TFlamePreset S = Style();
  int32_t PH = 100;
  TRecordingCanvas Canvas;
  const auto Pic = Picture(64, 48);
  F.Init(&Canvas, TRect{0, 0, 64, 48}, Pic.data(), &S, &PH);
  F.NextFrame();
  ASSERT_EQ(Canvas.Frames, 1);
  {
    // A repeated start on a larger area: its planes (307200 bytes each)
    // cannot be had.
    const support::TFailLargeAllocations NoMemory(100000);
    EXPECT_NO_THROW(F.Init(&Canvas, TRect{0, 0, 640, 480}, nullptr, &S, &PH));
  }
  EXPECT_EQ(F.Width() * F.Height(), 0);
  F.NextFrame();
  F.StartFadeOut();
  F.NextFrame();
  EXPECT_EQ(Canvas.Frames, 1);
  // With the memory back, the next start burns as a first one does.
  F.Init(&Canvas, TRect{0, 0, 64, 48}, Pic.data(), &S, &PH);
  F.NextFrame();
  EXPECT_EQ(Canvas.Frames, 2);
  EXPECT_EQ(F.Width(), 64);
}

TEST_F(FlameShots, MainThreadCallsWhileFramesRun) {
  // As in a run: the frame thread computes frames while the main thread
  // requests screenshots, starts the fade-out and draws random numbers.
  // Under ThreadSanitizer this proves the hand-overs are synchronised.
  F.FFadeOutTime = 500;
  const auto Pic = Picture(48, 40);
  F.Init(nullptr, TRect{0, 0, 48, 40}, Pic.data(), &S, &PH);
  std::atomic<bool> Stop{false};
  std::atomic<int> Frames{0};
  std::thread FrameThread([&] {
    while (!Stop) {
      F.NextFrame();
      ++Frames;
    }
  });
  // Each request ends once: written, replaced by the next or dropped while
  // the writer is full. The last waits for the others, so it has room.
  std::atomic<int> Ended{0};
  for (int i = 0; i < 5; ++i) {
    if (i == 4) {
      const auto Wait = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (Ended < 4 && std::chrono::steady_clock::now() < Wait) std::this_thread::yield();
    }
    F.RequestScreenshot((Dir / ("s" + std::to_string(i) + ".bmp")).string(), [&](bool) { ++Ended; });
    Random(10);
  }
  F.StartFadeOut();
  // Frames after the last request, however fast the frame thread started.
  const int After = Frames + 50;
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (Frames < After && std::chrono::steady_clock::now() < Deadline) std::this_thread::yield();
  Stop = true;
  FrameThread.join();
  F.FlushScreenshots();
  EXPECT_EQ(Ended.load(), 5);
  EXPECT_GE(Frames.load(), After);
  EXPECT_EQ(F.Cooling(), 12);
  EXPECT_TRUE(fs::exists(Dir / "s4.bmp"));
}
