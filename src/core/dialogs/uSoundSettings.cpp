#include "core/dialogs/uSoundSettings.h"

#include <algorithm>

namespace emberdell {

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

}  // namespace emberdell
