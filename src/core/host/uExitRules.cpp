#include "core/host/uExitRules.h"

#include <algorithm>

#include "core/dialogs/uExitingSettings.h"

namespace emberdell {
namespace {

bool MovedTooFar(const TScreenPoint& Now, const TScreenPoint& Start) {
  // 64 bits: coordinates far apart on a wide desktop must not overflow.
  const int64_t Dx = int64_t{Now.X} - Start.X;
  const int64_t Dy = int64_t{Now.Y} - Start.Y;
  return Dx > MouseMoveTolerance || Dx < -MouseMoveTolerance || Dy > MouseMoveTolerance ||
         Dy < -MouseMoveTolerance;
}

}  // namespace

TExitDecision ExitRule(const TExitInput& In) {
  if (In.ExitRequested) return TExitDecision::None;
  switch (In.Message) {
    case WinMsg::KeyDown:
      if (In.WParam != ScreenshotKey) return TExitDecision::Exit;
      // Holding "F" repeats the key-down; one screenshot per press.
      return In.KeyWasDown ? TExitDecision::None : TExitDecision::TakeScreenshot;
    case WinMsg::KeyUp:
      return In.WParam == ScreenshotKey ? TExitDecision::None : TExitDecision::Exit;
    case WinMsg::SysKeyDown:
    case WinMsg::SysKeyUp:
    case WinMsg::LButtonDown:
    case WinMsg::RButtonDown:
    case WinMsg::MButtonDown:
    case WinMsg::Activate:
    case WinMsg::ActivateApp:
    case WinMsg::NcActivate:
      return TExitDecision::Exit;
    case WinMsg::MouseMove:
      // Measured from where the run started, so a slow drift ends it too.
      return !In.IgnoreMouseMove && MovedTooFar(In.Cursor, In.StartPosition) ? TExitDecision::Exit
                                                                              : TExitDecision::None;
    default:
      return TExitDecision::None;
  }
}

int32_t RunFadeoutTime(int32_t FadeoutTime) { return std::min<int32_t>(FadeoutTime, FadeoutPositionMax * 100); }

TExitPlan PlanExit(bool AllowFadeout, int32_t StoredFadeoutTime, bool PlayFireSound) {
  TExitPlan Plan;
  const int32_t FadeoutTime = RunFadeoutTime(StoredFadeoutTime);
  if (!AllowFadeout || FadeoutTime <= 0) {
    Plan.CloseNow = true;
    return Plan;
  }
  Plan.ExitTimerMs = static_cast<uint32_t>(FadeoutTime);
  Plan.FadeSound = PlayFireSound;
  // Integer arithmetic gives the intended 490 for 700, where 700 * 0.7 in
  // floating point may land just below it.
  Plan.SoundFadeMs = static_cast<uint32_t>(int64_t{FadeoutTime} * 7 / 10);
  return Plan;
}

}  // namespace emberdell
