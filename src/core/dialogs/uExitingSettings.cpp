#include "core/dialogs/uExitingSettings.h"

#include <algorithm>

namespace emberdell {

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

}  // namespace emberdell
