// What the exiting dialog does to the settings, without a window: the
// fade-out slider's position and caption, and what OK stores.
#pragma once

#include <cstdint>
#include <string>

#include "core/host/uGlobals.h"

namespace emberdell {

// The fade-out slider runs 3..10, a hundred milliseconds a position. The
// stored value is read as unsigned, so a negative one shows the longest.
inline constexpr int FadeoutPositionMin = 3, FadeoutPositionMax = 10;
int FadeoutPosition(int32_t FadeoutTime);
std::string FadeoutCaption(int Position);  // "Allow flame fade out on exit. Duration: 700 ms"

struct TExitingChoice {
  bool AllowFadeout = true;
  int FadeoutPos = 7;
  bool IgnoreMouse = false;
  bool operator==(const TExitingChoice&) const = default;
};
TExitingChoice ExitingChoiceFrom(const TSettings& Values);
void StoreExitingChoice(TSettings& Values, const TExitingChoice& Choice);

}  // namespace emberdell
