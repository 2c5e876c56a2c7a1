#include <gtest/gtest.h>

#include <thread>

#include "core/dialogs/uAlphaIconBlend.h"
#include "core/dialogs/uExitingSettings.h"
#include "core/dialogs/uPerformanceSettings.h"
#include "core/dialogs/uSoundSettings.h"

using namespace emberdell;

TEST(PerformanceDialog, SpeedStepsAndTheirFallbackToNormal) {
  const struct {
    int32_t FPS;
    int Position;
    const char* Caption;
    uint32_t Period;
  } Cases[] = {{10, 0, "Current speed: Slowest", 100}, {15, 1, "Current speed: Very slow", 66},
               {20, 2, "Current speed: Slow", 50},     {25, 3, "Current speed: Normal", 40},
               {31, 4, "Current speed: Fast", 32},     {37, 5, "Current speed: Very Fast", 27},
               {60, 6, "Current speed: Fastest", 16},  {24, 3, "Current speed: Normal", 40},
               {0, 3, "Current speed: Normal", 40},    {-25, 3, "Current speed: Normal", 40}};
  for (const auto& c : Cases) {
    TSettings Values;
    Values.FPS = c.FPS;
    TPerformanceEdit Edit(Values, 1);
    EXPECT_EQ(Edit.SpeedPos(), c.Position) << c.FPS;
    EXPECT_EQ(SpeedCaption(Edit.SpeedPos()), c.Caption) << c.FPS;
    // An odd stored rate is replaced at once, so the preview runs at the step shown.
    EXPECT_EQ(Values.FPS, SpeedSteps[c.Position].FPS) << c.FPS;
    EXPECT_EQ(Edit.FrameInterval(), c.Period) << c.FPS;
  }
}

TEST(PerformanceDialog, OkCancelAndEscRules) {
  TSettings Values;
  Values.FPS = 24;  // none of the steps
  Values.PictureHeight = 73;
  Values.AllowSecondMonitor = false;
  {
    TPerformanceEdit Edit(Values, 2);
    Edit.SpeedChanged(6);
    EXPECT_EQ(Values.FPS, 60);  // live, before OK
    Edit.HeightChanged(12);
    Edit.Cancel();
    EXPECT_EQ(Values.FPS, 24);  // the stored value comes back, odd or not
    EXPECT_EQ(Values.PictureHeight, 73);
    EXPECT_FALSE(Values.AllowSecondMonitor);
  }
  {
    TPerformanceEdit Edit(Values, 2);
    EXPECT_EQ(Edit.ChosenHeight(), 70);  // between steps: the step below
    EXPECT_TRUE(Edit.SecondMonitorEnabled());
    EXPECT_FALSE(Edit.SecondMonitorChecked());
    Edit.SpeedChanged(0);
    Edit.ResetSpeed();
    Edit.Ok(true);
    EXPECT_EQ(Values.FPS, 25);
    EXPECT_EQ(Values.PictureHeight, 70);
    EXPECT_TRUE(Values.AllowSecondMonitor);
  }
  {
    // Esc: no call at all, the last chosen speed stays and nothing else moves.
    Values.PictureHeight = 100;
    TPerformanceEdit Edit(Values, 2);
    Edit.SpeedChanged(1);
    Edit.HeightChanged(10);
    EXPECT_EQ(Values.FPS, 15);
    EXPECT_EQ(Values.PictureHeight, 100);
  }
  // One monitor: the box is off and OK stores the option as on.
  Values.AllowSecondMonitor = false;
  TPerformanceEdit Single(Values, 1);
  EXPECT_FALSE(Single.SecondMonitorEnabled());
  EXPECT_FALSE(Single.SecondMonitorChecked());
  Single.Ok(false);
  EXPECT_TRUE(Values.AllowSecondMonitor);
}

TEST(PerformanceDialog, PictureHeightPositionsAndMonitorBands) {
  const struct {
    int32_t Stored;
    int32_t Shown;
  } Heights[] = {{100, 100}, {50, 50}, {73, 70}, {49, 50}, {-5, 50}, {0, 50}, {101, 100}, {1000, 100}, {55, 55}};
  for (const auto& c : Heights) EXPECT_EQ(HeightPercent(HeightPosition(c.Stored)), c.Shown) << c.Stored;
  EXPECT_EQ(HeightCaption(65), "Current height: 65%");

  const int32_t Rows[] = {14, 13, 11, 10, 8, 7, 6, 4, 3, 1, 0};
  for (int i = 0; i <= 10; ++i) EXPECT_EQ(MonitorBandRows(50 + 5 * i), Rows[i]) << 50 + 5 * i;
  // Long double halves to even would matter only on a half; the table has none
  // even when the x87 unit runs at 53 bits, as Windows threads start.
  std::thread([] { EXPECT_EQ(MonitorBandRows(75), 7); }).join();

  const TMonitorBands Half = MonitorBands(50);
  EXPECT_EQ(Half.Top, (TPixelRect{6, 8, 82, 22}));      // 14 rows
  EXPECT_EQ(Half.Bottom, (TPixelRect{6, 49, 82, 64}));  // 15 rows
  const TMonitorBands Full = MonitorBands(100);
  EXPECT_EQ(Full.Top.Bottom - Full.Top.Top, 0);
  EXPECT_EQ(Full.Bottom, (TPixelRect{6, 63, 82, 64}));
}

TEST(SoundDialog, VolumeSlidersCaptionsAndMissingDevices) {
  const struct {
    int32_t Volume;
    int Position;
  } Volumes[] = {{0, 0}, {10, 1}, {75, 7}, {100, 10}, {250, 10}, {-30, 0}, {9, 0}};
  for (const auto& c : Volumes) EXPECT_EQ(VolumePosition(c.Volume), c.Position) << c.Volume;
  EXPECT_EQ(FireSoundCaption(7), "Play background flame sound. Volume: 70%");
  EXPECT_EQ(ChimesSoundCaption(10), "Play background chimes sound. Volume: 100%");
  EXPECT_EQ(ChimesSoundCaption(0), "Play background chimes sound. Volume: 0%");

  TSettings Values;
  Values.PlayFireSound = true;
  Values.FireVolume = 75;
  Values.PlayChimesSound = true;
  Values.ChimesVolume = 130;
  EXPECT_EQ(SoundChoiceFrom(Values, true, true), (TSoundChoice{true, 7, true, 10}));
  // Without a device the option shows unticked and OK stores it so.
  const TSoundChoice NoDevices = SoundChoiceFrom(Values, false, false);
  EXPECT_EQ(NoDevices, (TSoundChoice{false, 7, false, 10}));
  StoreSoundChoice(Values, NoDevices);
  EXPECT_FALSE(Values.PlayFireSound);
  EXPECT_FALSE(Values.PlayChimesSound);
  EXPECT_EQ(Values.FireVolume, 70);  // what was shown, not what was stored
  EXPECT_EQ(Values.ChimesVolume, 100);
}

TEST(ExitingDialog, FadeoutSliderCaptionAndStore) {
  const struct {
    int32_t Stored;
    int Position;
  } Cases[] = {{700, 7}, {300, 3}, {1000, 10}, {299, 3}, {0, 3}, {1001, 10}, {5000, 10}, {-1, 10}, {750, 7}};
  for (const auto& c : Cases) EXPECT_EQ(FadeoutPosition(c.Stored), c.Position) << c.Stored;
  EXPECT_EQ(FadeoutCaption(3), "Allow flame fade out on exit. Duration: 300 ms");
  EXPECT_EQ(FadeoutCaption(10), "Allow flame fade out on exit. Duration: 1000 ms");

  TSettings Values;
  Values.AllowFadeout = false;
  Values.FadeoutTime = -200;
  Values.IgnoreMouseMove = true;
  TExitingChoice Choice = ExitingChoiceFrom(Values);
  EXPECT_EQ(Choice, (TExitingChoice{false, 10, true}));
  Choice.FadeoutPos = 4;
  Choice.AllowFadeout = true;
  StoreExitingChoice(Values, Choice);
  EXPECT_TRUE(Values.AllowFadeout);
  EXPECT_EQ(Values.FadeoutTime, 400);
  EXPECT_TRUE(Values.IgnoreMouseMove);
}

TEST(AlphaIcons, ChannelBlend) {
  const struct {
    uint8_t Background, Icon, Alpha, Out;
  } Cases[] = {{255, 0, 128, 127}, {200, 10, 0, 200}, {0, 255, 0, 0}, {37, 201, 255, 201},
               {255, 255, 77, 255}, {0, 255, 128, 128}, {100, 200, 51, 120}};
  for (const auto& c : Cases)
    EXPECT_EQ(BlendAlphaChannel(c.Background, c.Icon, c.Alpha), c.Out)
        << int(c.Background) << " " << int(c.Icon) << " " << int(c.Alpha);
}

TEST(AlphaIcons, IconRowsAreBottomUpAndLandAtTheirOffset) {
  // A 2 x 2 icon: bottom-left opaque red, bottom-right half black, top row clear.
  const uint8_t Icon[16] = {0, 0, 255, 255, 0, 0, 0, 128, 9, 9, 9, 0, 9, 9, 9, 0};
  // A 3 x 3 white window; the icon goes at (1, 1).
  uint32_t Window[9];
  std::fill(std::begin(Window), std::end(Window), 0xFFFFFFu);
  BlendAlphaIcon(Window + 4, 3, Icon, 2);
  const uint32_t Want[9] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFF0000, 0x7F7F7F};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Window[i], Want[i]) << i;
}
