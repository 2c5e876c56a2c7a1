// What the performance dialog does to the settings, without a window: the
// speed and height sliders' positions and captions, the monitor picture's
// black bands, and what OK and Cancel store.
#pragma once

#include <cstdint>
#include <string>

#include "core/host/uGlobals.h"

namespace emberdell {

struct TSpeedStep {
  const char* Name;
  int32_t FPS;
};
inline constexpr TSpeedStep SpeedSteps[7] = {{"Slowest", 10},  {"Very slow", 15}, {"Slow", 20},   {"Normal", 25},
                                             {"Fast", 31},     {"Very Fast", 37}, {"Fastest", 60}};
inline constexpr int SpeedPositionCount = 7;
inline constexpr int NormalSpeedPosition = 3;

// The step whose frame rate is FPS; "Normal" when none is.
int SpeedPosition(int32_t FPS);
// "Current speed: " and the step's name.
std::string SpeedCaption(int Position);

// The height slider runs 10..20, five percent a position.
inline constexpr int HeightPositionMin = 10, HeightPositionMax = 20;
int HeightPosition(int32_t PictureHeight);
int32_t HeightPercent(int Position);
// "Current height: 70%".
std::string HeightCaption(int32_t Percent);

struct TPixelRect {
  int Left, Top, Right, Bottom;  // right and bottom exclusive
  bool operator==(const TPixelRect&) const = default;
};
// The monitor picture is 89 x 80; this is its screen.
inline constexpr int MonitorPictureWidth = 89, MonitorPictureHeight = 80;
inline constexpr TPixelRect MonitorScreenRect{6, 8, 82, 64};
// Rows of the top band at Percent; the bottom band is one row taller, so at
// 100 % it is the screen's last row alone.
int32_t MonitorBandRows(int32_t Percent);
struct TMonitorBands {
  TPixelRect Top, Bottom;
};
TMonitorBands MonitorBands(int32_t Percent);

// One showing of the performance dialog. The speed is live: every change
// writes "FPS" at once (the host also sets the frame period from it), and
// only Cancel puts the shown value back.
class TPerformanceEdit {
 public:
  // FormShow. With fewer than two monitors the dual-monitor box is off and
  // disabled.
  TPerformanceEdit(TSettings& Values, int MonitorCount);

  void SpeedChanged(int Position);
  void ResetSpeed();
  void HeightChanged(int Position);
  // OK: the height, and the dual-monitor choice (always on with one monitor).
  void Ok(bool SecondMonitorChecked);
  // Cancel: the speed shown at the start comes back. Esc and the close box
  // change nothing, so the last speed chosen stays.
  void Cancel();

  int SpeedPos() const { return FSpeedPos; }
  int HeightPos() const { return FHeightPos; }
  int32_t ChosenHeight() const { return HeightPercent(FHeightPos); }
  bool SecondMonitorEnabled() const { return FMonitorCount >= 2; }
  bool SecondMonitorChecked() const { return SecondMonitorEnabled() && FValues.AllowSecondMonitor; }
  // The frame period for the current "FPS".
  uint32_t FrameInterval() const;

 private:
  TSettings& FValues;
  int FMonitorCount;
  int32_t FSavedFPS;
  int FSpeedPos = NormalSpeedPosition;
  int FHeightPos = HeightPositionMax;
};

}  // namespace emberdell
