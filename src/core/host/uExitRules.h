// What ends a full-screen run: the decision the main thread's message hook
// makes for each message, and how the exit then proceeds. Pure functions, so
// the window procedure stays a switch over their results.
#pragma once

#include <cstdint>

namespace emberdell {

// Message codes as the system numbers them. Own names, so this header can
// sit next to the system's headers and their macros.
namespace WinMsg {
constexpr uint32_t Activate = 0x0006;
constexpr uint32_t ActivateApp = 0x001C;
constexpr uint32_t NcActivate = 0x0086;
constexpr uint32_t KeyDown = 0x0100;
constexpr uint32_t KeyUp = 0x0101;
constexpr uint32_t SysKeyDown = 0x0104;
constexpr uint32_t SysKeyUp = 0x0105;
constexpr uint32_t MouseMove = 0x0200;
constexpr uint32_t LButtonDown = 0x0201;
constexpr uint32_t RButtonDown = 0x0204;
constexpr uint32_t MButtonDown = 0x0207;
}  // namespace WinMsg

// Virtual key "F": takes a screenshot instead of ending the run.
constexpr uint32_t ScreenshotKey = 0x46;
// Cursor travel on one axis that the run still tolerates.
constexpr int32_t MouseMoveTolerance = 10;

struct TScreenPoint {
  int32_t X = 0;
  int32_t Y = 0;
};

struct TExitInput {
  uint32_t Message = 0;
  uintptr_t WParam = 0;     // the virtual key for key messages
  bool KeyWasDown = false;  // bit 30 of a key message's LParam: an auto-repeat
  TScreenPoint Cursor;      // the cursor now, not the position in the message
  TScreenPoint StartPosition;
  bool IgnoreMouseMove = false;
  bool ExitRequested = false;
};

enum class TExitDecision { None, TakeScreenshot, Exit };

constexpr bool KeyWasDown(uint64_t LParam) { return (LParam >> 30) & 1; }

// Button releases, the wheel and every message not named above never end the
// run; once an exit has been requested nothing does anything any more.
TExitDecision ExitRule(const TExitInput& Input);

// How an exit proceeds once a rule fired.
struct TExitPlan {
  bool CloseNow = false;      // no fade: close the main form at once
  uint32_t ExitTimerMs = 0;   // tmExit interval: the flame's fade-out
  bool FadeSound = false;     // fade the fire sound (only when it plays)
  uint32_t SoundFadeMs = 0;   // 70 % of the fade-out, truncated
};

// A "Fadeout" of 0 or less (only reachable by editing the file) would leave
// the run without an end; it closes at once instead.
TExitPlan PlanExit(bool AllowFadeout, int32_t FadeoutTime, bool PlayFireSound);

// The fade-out a run really takes for a stored "Fadeout": at most the
// exiting dialog's longest, so a hand-edited value cannot keep a screen that
// no longer listens to input. The stored value itself is left alone.
int32_t RunFadeoutTime(int32_t FadeoutTime);

}  // namespace emberdell
