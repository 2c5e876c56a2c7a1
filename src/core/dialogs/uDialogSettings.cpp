#include "core/dialogs/uDialogSettings.h"

#include <algorithm>
#include <cmath>

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
  const long double Rows = static_cast<long double>(MonitorScreenRect.Bottom - MonitorScreenRect.Top) / 100 *
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

int VolumePosition(int32_t Volume) { return std::clamp<int32_t>(Volume / 10, 0, 10); }

int32_t VolumePercent(int Position) { return Position * 10; }

std::string FireSoundCaption(int Position) {
  return "Play background flame sound. Volume: " + std::to_string(VolumePercent(Position)) + "%";
}

std::string ChimesSoundCaption(int Position) {
  return "Play background chimes sound. Volume: " + std::to_string(VolumePercent(Position)) + "%";
}

TSoundChoice SoundChoiceFrom(const TSettings& Values, bool FireDevice, bool ChimesDevice) {
  return {Values.PlayFireSound && FireDevice, VolumePosition(Values.FireVolume),
          Values.PlayChimesSound && ChimesDevice, VolumePosition(Values.ChimesVolume)};
}

void StoreSoundChoice(TSettings& Values, const TSoundChoice& Choice) {
  Values.FireVolume = VolumePercent(Choice.FirePosition);
  Values.PlayFireSound = Choice.PlayFire;
  Values.ChimesVolume = VolumePercent(Choice.ChimesPosition);
  Values.PlayChimesSound = Choice.PlayChimes;
}

int FadeoutPosition(int32_t FadeoutTime) {
  const uint32_t Steps = static_cast<uint32_t>(FadeoutTime) / 100;
  return static_cast<int>(std::clamp<uint32_t>(Steps, FadeoutPositionMin, FadeoutPositionMax));
}

std::string FadeoutCaption(int Position) {
  return "Allow flame fade out on exit. Duration: " + std::to_string(Position * 100) + " ms";
}

TExitingChoice ExitingChoiceFrom(const TSettings& Values) {
  return {Values.AllowFadeout, FadeoutPosition(Values.FadeoutTime), Values.IgnoreMouseMove};
}

void StoreExitingChoice(TSettings& Values, const TExitingChoice& Choice) {
  Values.AllowFadeout = Choice.AllowFadeout;
  Values.FadeoutTime = Choice.FadeoutPos * 100;
  Values.IgnoreMouseMove = Choice.IgnoreMouse;
}

uint8_t BlendAlphaChannel(uint8_t Background, uint8_t Icon, uint8_t Alpha) {
  const TExtendedPrecision Precision;
  const float Under = static_cast<float>(static_cast<long double>(Background) * (255 - Alpha) / 255);
  const float Over = static_cast<float>(static_cast<long double>(Icon) * Alpha / 255);
  const long double Sum = static_cast<long double>(Under) + Over;
  return static_cast<uint8_t>(std::clamp<long double>(std::trunc(Sum), 0, 255));
}

void BlendAlphaIcon(uint32_t* Pixels, size_t Stride, const uint8_t* Icon, int N) {
  for (int i = 0; i < N; ++i)
    for (int j = 0; j < N; ++j) {
      uint32_t& Out = Pixels[static_cast<size_t>(i) * Stride + static_cast<size_t>(j)];
      const uint8_t* p = Icon + (static_cast<size_t>(N - 1 - i) * static_cast<size_t>(N) + static_cast<size_t>(j)) * 4;
      const uint8_t a = p[3];
      const uint32_t R = BlendAlphaChannel(static_cast<uint8_t>(Out >> 16), p[2], a);
      const uint32_t G = BlendAlphaChannel(static_cast<uint8_t>(Out >> 8), p[1], a);
      const uint32_t B = BlendAlphaChannel(static_cast<uint8_t>(Out), p[0], a);
      Out = R << 16 | G << 8 | B;
    }
}

}  // namespace emberdell
