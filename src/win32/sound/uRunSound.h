// The main form's two sound players, the fire and the chimes: which working
// modes get them, how a full-screen run starts and ends them, and the order
// they go in.
#pragma once

#include <windows.h>

#include <memory>

#include "core/host/uExitRules.h"
#include "core/host/uGlobals.h"
#include "core/host/uRetrieveWorkingMode.h"
#include "core/sound/uTBackgroundChimes.h"
#include "core/sound/uTBackgroundSound.h"

namespace emberdell {

// The fire sound rises over this long when the flame appears.
constexpr int32_t RunFadeInMs = 500;

// A full-screen run gets a player only when its option is on; the settings
// window always gets both, so its sound dialog can try them out.
bool WantsFireSound(TWorkingMode Mode, const TSettings& Values);
bool WantsChimes(TWorkingMode Mode, const TSettings& Values);

class TRunSound {
 public:
  // Creates the players Mode wants, at the volumes Values gives. Without a
  // sound device or a MIDI output they exist but stay silent. MainWindow
  // is the window the sound device is tied to; the recording comes from
  // Module's resources; Clock must outlive this object.
  TRunSound(TWorkingMode Mode, const TSettings& Values, HMODULE Module, HWND MainWindow, ITickClock& Clock);
  // The chimes go first, then the fire sound.
  ~TRunSound();
  TRunSound(const TRunSound&) = delete;
  TRunSound& operator=(const TRunSound&) = delete;

  // The flame has appeared: the fire fades in and the chimes begin, each
  // when its option is on.
  void StartRun(const TSettings& Values);
  // An exit rule fired: the fire fades out when the plan says so.
  void BeginExit(const TExitPlan& Plan);

  // Null when the mode has no such player.
  TBackgroundSound* FireSound() const { return FFireSound.get(); }
  TBackgroundChimes* Chimes() const { return FChimes.get(); }

 private:
  std::unique_ptr<TBackgroundSound> FFireSound;
  std::unique_ptr<TBackgroundChimes> FChimes;
};

}  // namespace emberdell
