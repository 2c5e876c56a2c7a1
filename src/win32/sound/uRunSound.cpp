#include "win32/sound/uRunSound.h"

#include "win32/sound/uDirectSoundBuffer.h"
#include "win32/sound/uMidiMapperOut.h"

namespace emberdell {

bool WantsFireSound(TWorkingMode Mode, const TSettings& Values) {
  return (Mode == wmFullScreen && Values.PlayFireSound) || Mode == wmSettings;
}

bool WantsChimes(TWorkingMode Mode, const TSettings& Values) {
  return (Mode == wmFullScreen && Values.PlayChimesSound) || Mode == wmSettings;
}

TRunSound::TRunSound(TWorkingMode Mode, const TSettings& Values, HMODULE Module, HWND MainWindow,
                     ITickClock& Clock) {
  if (WantsFireSound(Mode, Values)) {
    FFireSound = std::make_unique<TBackgroundSound>(CreateDirectSoundBuffer(Module, kFireSoundResource, MainWindow),
                                                    Clock);
    FFireSound->SetVolume(Values.FireVolume);
  }
  if (WantsChimes(Mode, Values)) {
    FChimes = std::make_unique<TBackgroundChimes>(std::make_unique<TMidiMapperOut>(), Clock);
    FChimes->SetVolume(Values.ChimesVolume);
  }
}

TRunSound::~TRunSound() {
  FChimes.reset();
  FFireSound.reset();
}

void TRunSound::StartRun(const TSettings& Values) {
  if (FFireSound && Values.PlayFireSound) FFireSound->FadeIn(RunFadeInMs);
  if (FChimes && Values.PlayChimesSound) FChimes->Start();
}

void TRunSound::BeginExit(const TExitPlan& Plan) {
  if (FFireSound && !Plan.CloseNow && Plan.FadeSound) FFireSound->FadeOut(static_cast<int32_t>(Plan.SoundFadeMs));
}

}  // namespace emberdell
