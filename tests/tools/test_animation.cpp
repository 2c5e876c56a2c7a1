// The renderer's animations read back with the libraries' own decoders: the
// GIF frame by frame against the renderer's raw output, the videos by their
// frame count and size.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/engine/uImageFiles.h"
#include "tests/support/temp_folder.h"
#include "tests/tools/render_fixture.h"
#include "tools/uAnimation.h"
#include "tools/uRender.h"

#ifdef EMBERDELL_HAVE_GIFLIB
#include <gif_lib.h>
#endif
#ifdef EMBERDELL_HAVE_FFMPEG
extern "C" {
#include <libavformat/avformat.h>
}
#endif

using namespace emberdell;

namespace {

using AnimationTest = test::TRenderFixture;

}  // namespace

TEST(ChangedRect, BoundsThePixelsWhoseColourChanged) {
  // 4 x 3 frames; colour tables where index 1 and 2 share a colour.
  uint32_t Table[256] = {}, Brighter[256] = {};
  for (int i = 0; i < 256; ++i) Table[i] = Brighter[i] = 0x010101u * uint32_t(i);
  Table[2] = Table[1];
  Brighter[2] = Table[1];
  Brighter[5] = 0xFFFFFF;
  struct Case { const char* Name; std::vector<uint8_t> After; const uint32_t* AfterTable; TChangedRect Want; };
  const std::vector<uint8_t> Before = {0, 0, 0, 0, 0, 1, 5, 0, 0, 0, 0, 0};
  const Case Cases[] = {
      {"nothing", Before, Table, {0, 0, 0, 0}},
      {"index of the same colour", {0, 0, 0, 0, 0, 2, 5, 0, 0, 0, 0, 0}, Table, {0, 0, 0, 0}},
      {"one pixel", {0, 0, 0, 0, 0, 1, 5, 0, 0, 0, 0, 7}, Table, {3, 2, 1, 1}},
      {"two corners", {9, 0, 0, 0, 0, 1, 5, 0, 0, 0, 0, 7}, Table, {0, 0, 4, 3}},
      {"same indices, a colour of the table changed", Before, Brighter, {2, 1, 1, 1}},
  };
  for (const Case& c : Cases) {
    const TChangedRect R = ChangedRect(Before.data(), Table, c.After.data(), c.AfterTable, 4, 3);
    EXPECT_EQ(R.Width, c.Want.Width) << c.Name;
    if (c.Want.Width == 0) continue;
    EXPECT_EQ(R.X, c.Want.X) << c.Name;
    EXPECT_EQ(R.Y, c.Want.Y) << c.Name;
    EXPECT_EQ(R.Height, c.Want.Height) << c.Name;
  }
}

TEST(GifDelay, NoneUnderTwoCentisecondsAndTheClockKept) {
  // 0: the frame is left out. Worked by hand: at 60 a second the moments
  // 0, 2, 4, ... cs fall nearest to frames 0, 1.2, 2.4, 3.6, 4.8, 6, 7.2,
  // 8.4, 9.6, 10.8, 12: frames 3 and 9 are no moment's nearest.
  struct Case { int Fps; std::vector<int> Delays; };
  const Case Cases[] = {
      {1, {100, 100, 100}},
      {25, {4, 4, 4, 4, 4}},
      {30, {3, 4, 3, 3, 4, 3}},
      {50, {2, 2, 2, 2, 2}},
      {60, {2, 2, 2, 0, 2, 2, 2, 2, 2, 0, 2, 2, 2}},
      {100, {2, 0, 2, 0, 2, 0, 2}},
      // Moments at frames 0, 2.88, 5.76, 8.64, 11.52, 14.4, 17.28.
      {144, {2, 0, 0, 2, 0, 0, 2, 0, 0, 2, 0, 0, 2, 0, 2, 0, 0, 2}},
  };
  for (const Case& c : Cases) {
    SCOPED_TRACE(c.Fps);
    std::vector<int> Delays;
    for (int k = 0; k < int(c.Delays.size()); ++k) Delays.push_back(GifDelayCentiseconds(k, c.Fps));
    EXPECT_EQ(Delays, c.Delays);
  }
  // Every rate: each frame shown starts within a centisecond of its time
  // in the render and lasts 2 cs or more, and the first is always shown.
  for (int Fps = 1; Fps <= 1000; ++Fps) {
    int Clock = 0;
    for (int k = 0; k < 3000; ++k) {
      const int Delay = GifDelayCentiseconds(k, Fps);
      if (Delay == 0 && k > 0 && Fps > 50) continue;
      ASSERT_GE(Delay, 2) << Fps << " a second, frame " << k;
      ASSERT_LE(std::abs(Clock - 100.0 * k / Fps), 1.0) << Fps << " a second, frame " << k;
      Clock += Delay;
    }
  }
}

TEST_F(AnimationTest, GifFramesDecodeToTheRenderedFrames) {
#ifndef EMBERDELL_HAVE_GIFLIB
  GTEST_SKIP() << "built without giflib";
#else
  // Shown: the frames (from 0) the GIF holds, when not all of them.
  struct Case { int W, H, Fps, Frames; std::vector<std::string> Extra; std::vector<int> Shown; };
  const Case Cases[] = {
      {40, 30, 25, 6, {}, {}},
      {33, 21, 30, 7, {"--morph-to", EMBERDELL_STYLE_FOLDER "Gas Flame.wyk"}, {}},
      // The fire dies away: late frames change little or nothing.
      {20, 14, 7, 9, {"--fade-out-after", "2", "--fade-out-ms", "1600"}, {}},
      // Above 50 a second frames are left out, and each rectangle is what
      // changed since the frame shown before, not the one left out.
      {30, 20, 60, 10, {}, {0, 1, 2, 4, 5, 6, 7, 8}},
  };
  for (const Case& c : Cases) {
    const std::string Picture = MakePicture(c.W, c.H);
    const std::string Size = std::to_string(c.W) + "x" + std::to_string(c.H);
    auto Args = [&](int Frames) {
      std::vector<std::string> a = {"--size", Size, "--picture", Picture, "--seed", "17", "--fps",
                                    std::to_string(c.Fps), "--frames", std::to_string(Frames)};
      a.insert(a.end(), c.Extra.begin(), c.Extra.end());
      return a;
    };
    std::string Error;
    auto WithGif = Args(c.Frames);
    WithGif.insert(WithGif.end(), {"--gif", File("fire.gif")});
    ASSERT_TRUE(Render(WithGif, Error)) << Error;

    int Code = 0;
    GifFileType* Gif = DGifOpenFileName(File("fire.gif").c_str(), &Code);
    ASSERT_NE(Gif, nullptr) << GifErrorString(Code);
    ASSERT_EQ(DGifSlurp(Gif), GIF_OK) << GifErrorString(Gif->Error);
    EXPECT_EQ(Gif->SWidth, c.W);
    EXPECT_EQ(Gif->SHeight, c.H);
    std::vector<int> Frames = c.Shown;
    for (int k = 0; Frames.size() < size_t(c.Frames) && c.Shown.empty(); ++k) Frames.push_back(k);
    ASSERT_EQ(Gif->ImageCount, int(Frames.size())) << Size;
    std::vector<uint32_t> Shown(size_t(c.W) * c.H, 0xFFFFFFFF), Expected(Shown.size());
    int Centiseconds = 0;
    for (int k = 0; k < int(Frames.size()); ++k) {
      // The frame shown alone, from the renderer's raw output.
      auto RawArgs = Args(Frames[k] + 1);
      RawArgs.insert(RawArgs.end(), {"--raw", File("frame.raw")});
      ASSERT_TRUE(Render(RawArgs, Error)) << Error;
      const std::vector<uint8_t> Raw = Read("frame.raw");
      const uint8_t* Colors = Raw.data() + Shown.size();

      const SavedImage& Image = Gif->SavedImages[k];
      const GifImageDesc& D = Image.ImageDesc;
      ASSERT_NE(D.ColorMap, nullptr) << k;
      ASSERT_EQ(D.ColorMap->ColorCount, 256);
      for (int i = 0; i < 256; ++i) {
        const GifColorType& g = D.ColorMap->Colors[i];
        ASSERT_EQ(g.Red, Colors[4 * i + 2]) << "frame " << k << " colour " << i;
        ASSERT_EQ(g.Green, Colors[4 * i + 1]);
        ASSERT_EQ(g.Blue, Colors[4 * i]);
      }
      ASSERT_TRUE(D.Left >= 0 && D.Top >= 0 && D.Width > 0 && D.Height > 0 && D.Left + D.Width <= c.W &&
                  D.Top + D.Height <= c.H);
      // Inside its rectangle a frame holds the renderer's indices exactly;
      // outside, what the frames before left must already be right.
      for (int y = 0; y < D.Height; ++y)
        for (int x = 0; x < D.Width; ++x) {
          const size_t At = size_t(D.Top + y) * c.W + D.Left + x;
          const uint8_t Index = Image.RasterBits[size_t(y) * D.Width + x];
          ASSERT_EQ(Index, Raw[At]) << "frame " << k << " at " << D.Left + x << "," << D.Top + y;
          Shown[At] = uint32_t(Colors[4 * Index + 2]) << 16 | uint32_t(Colors[4 * Index + 1]) << 8 | Colors[4 * Index];
        }
      for (size_t i = 0; i < Shown.size(); ++i)
        Expected[i] = uint32_t(Colors[4 * Raw[i] + 2]) << 16 | uint32_t(Colors[4 * Raw[i] + 1]) << 8 | Colors[4 * Raw[i]];
      ASSERT_EQ(Shown, Expected) << "frame " << k;

      GraphicsControlBlock Control;
      ASSERT_EQ(DGifSavedExtensionToGCB(Gif, k, &Control), GIF_OK) << k;
      EXPECT_EQ(Control.DisposalMode, DISPOSE_DO_NOT);
      EXPECT_EQ(Control.TransparentColor, NO_TRANSPARENT_COLOR);
      // A frame starts within a centisecond of its time in the render, and
      // lasts at least 2 (viewers play a shorter one slowly).
      EXPECT_LE(std::abs(Centiseconds - 100.0 * Frames[k] / c.Fps), 1.0) << "frame " << k << " at " << c.Fps;
      EXPECT_GE(Control.DelayTime, 2) << "frame " << k << " at " << c.Fps;
      // The delays add up to the frame times, each rounded to the nearest centisecond.
      Centiseconds += Control.DelayTime;
      if (c.Shown.empty()) {
        EXPECT_EQ(Centiseconds, int((200.0 * (k + 1) / c.Fps + 1) / 2)) << "frame " << k << " at " << c.Fps;
      }
    }
    DGifCloseFile(Gif, &Code);
  }
#endif
}

TEST_F(AnimationTest, VideosHoldTheFramesAndSizeAsked) {
#ifndef EMBERDELL_HAVE_FFMPEG
  GTEST_SKIP() << "built without FFmpeg's libraries";
#else
  struct Case { const char* Name; int W, H, Fps, Frames; AVCodecID Codec; };
  const Case Cases[] = {{"a.mp4", 64, 48, 25, 8, AV_CODEC_ID_H264},
                        {"b.webm", 64, 48, 25, 8, AV_CODEC_ID_VP9},
                        {"c.MP4", 34, 20, 10, 13, AV_CODEC_ID_H264},
                        {"d.webm", 2, 2, 1, 1, AV_CODEC_ID_VP9}};
  for (const Case& c : Cases) {
    const std::string Picture = MakePicture(c.W, c.H);
    std::string Error;
    ASSERT_TRUE(Render({"--size", std::to_string(c.W) + "x" + std::to_string(c.H), "--picture", Picture, "--seed",
                        "3", "--frames", std::to_string(c.Frames), "--fps", std::to_string(c.Fps), "--video",
                        File(c.Name)},
                       Error))
        << Error;
    AVFormatContext* Format = nullptr;
    ASSERT_EQ(avformat_open_input(&Format, File(c.Name).c_str(), nullptr, nullptr), 0) << c.Name;
    ASSERT_GE(avformat_find_stream_info(Format, nullptr), 0);
    const int Stream = av_find_best_stream(Format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    ASSERT_GE(Stream, 0) << c.Name;
    const AVCodecParameters* P = Format->streams[Stream]->codecpar;
    EXPECT_EQ(P->codec_id, c.Codec) << c.Name;
    EXPECT_EQ(P->width, c.W) << c.Name;
    EXPECT_EQ(P->height, c.H) << c.Name;
    EXPECT_EQ(av_q2d(Format->streams[Stream]->avg_frame_rate), c.Fps) << c.Name;
    int Packets = 0;
    AVPacket* Packet = av_packet_alloc();
    while (av_read_frame(Format, Packet) >= 0) {
      Packets += Packet->stream_index == Stream;
      av_packet_unref(Packet);
    }
    av_packet_free(&Packet);
    avformat_close_input(&Format);
    EXPECT_EQ(Packets, c.Frames) << c.Name;
  }
#endif
}
