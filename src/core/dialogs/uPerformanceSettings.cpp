#include "core/dialogs/uPerformanceSettings.h"

#include <algorithm>

#include "core/shared/uPrecision.h"

namespace emberdell {

int SpeedPosition(int32_t FPS) {
  for (int i = 0; i < SpeedPositionCount; ++i)
    if (SpeedSteps[i].FPS == FPS) return i;
  return NormalSpeedPosition;
}

std::string SpeedCaption(int Position) {
  return std::string("Current speed: ") + SpeedSteps[std::clamp(Position, 0, SpeedPositionCount - 1)].Name;
}

int HeightPosition(int32_t PictureHeight) {
  return std::clamp<int32_t>(PictureHeight / 5, HeightPositionMin, HeightPositionMax);
}

int32_t HeightPercent(int Position) { return Position * 5; }

std::string HeightCaption(int32_t Percent) { return "Current height: " + std::to_string(Percent) + "%"; }

int32_t MonitorBandRows(int32_t Percent) {
  // 56 screen rows / 100 * (100 - p) / 2: a multiple of 0.28, never a half.
  const TExtendedPrecision Precision;
  const TExtended Rows = TExtended(MonitorScreenRect.Bottom - MonitorScreenRect.Top) / 100 *
                           (100 - Percent) / 2;
  return static_cast<int32_t>(RoundHalfEven(Rows));
}

TMonitorBands MonitorBands(int32_t Percent) {
  const int h = MonitorBandRows(Percent);
  const TPixelRect& S = MonitorScreenRect;
  return {{S.Left, S.Top, S.Right, S.Top + h}, {S.Left, S.Bottom - h - 1, S.Right, S.Bottom}};
}

TPerformanceEdit::TPerformanceEdit(TSettings& Values, int MonitorCount)
    : FValues(Values), FMonitorCount(MonitorCount), FSavedFPS(Values.FPS) {
  // An FPS none of the steps has becomes "Normal" at once.
  SpeedChanged(SpeedPosition(Values.FPS));
  HeightChanged(HeightPosition(Values.PictureHeight));
}

void TPerformanceEdit::SpeedChanged(int Position) {
  FSpeedPos = std::clamp(Position, 0, SpeedPositionCount - 1);
  FValues.FPS = SpeedSteps[FSpeedPos].FPS;
}

void TPerformanceEdit::ResetSpeed() { SpeedChanged(NormalSpeedPosition); }

void TPerformanceEdit::HeightChanged(int Position) {
  FHeightPos = std::clamp(Position, HeightPositionMin, HeightPositionMax);
}

void TPerformanceEdit::Ok(bool SecondMonitorChecked) {
  FValues.AllowSecondMonitor = SecondMonitorEnabled() ? SecondMonitorChecked : true;
  FValues.PictureHeight = ChosenHeight();
}

void TPerformanceEdit::Cancel() { FValues.FPS = FSavedFPS; }

uint32_t TPerformanceEdit::FrameInterval() const { return emberdell::FrameInterval(FValues.FPS); }

}  // namespace emberdell
