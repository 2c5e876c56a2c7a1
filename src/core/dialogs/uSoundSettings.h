// What the sound dialog does to the settings, without a window: the volume
// sliders' positions and captions, and what OK stores.
#pragma once

#include <cstdint>
#include <string>

#include "core/host/uGlobals.h"

namespace emberdell {

// Volume sliders run 0..10, ten percent a position; a volume between steps
// shows the step below.
int VolumePosition(int32_t Volume);
int32_t VolumePercent(int Position);
std::string FireSoundCaption(int Position);    // "Play background flame sound. Volume: 70%"
std::string ChimesSoundCaption(int Position);  // "Play background chimes sound. Volume: 70%"

struct TSoundChoice {
  bool PlayFire = false;
  int FirePosition = 0;
  bool PlayChimes = false;
  int ChimesPosition = 0;
  bool operator==(const TSoundChoice&) const = default;
};
// What the dialog shows: an option whose device is missing is unticked.
TSoundChoice SoundChoiceFrom(const TSettings& Values, bool FireDevice, bool ChimesDevice);
// OK.
void StoreSoundChoice(TSettings& Values, const TSoundChoice& Choice);

}  // namespace emberdell
