#include <gtest/gtest.h>

#include "core/host/uExitRules.h"

using namespace emberdell;

namespace {

constexpr uint32_t Shift = 0x10, KeyG = 0x47, Escape = 0x1B;
constexpr uint32_t LButtonUp = 0x0202, RButtonUp = 0x0205, MButtonUp = 0x0208, MouseWheel = 0x020A;
constexpr uint32_t Paint = 0x000F, Timer = 0x0113, Char = 0x0102;

enum class E { None, Shot, Exit };

struct Case {
  const char* Name;
  uint32_t Message;
  uintptr_t Key = 0;
  bool Repeat = false;
  TScreenPoint Cursor{500, 400};
  bool IgnoreMouseMove = false;
  E Expected = E::None;
};

TExitDecision ToDecision(E Value) {
  switch (Value) {
    case E::Shot: return TExitDecision::TakeScreenshot;
    case E::Exit: return TExitDecision::Exit;
    default: return TExitDecision::None;
  }
}

const TScreenPoint Start{500, 400};

// clang-format off
const Case Cases[] = {
  {"F pressed",              WinMsg::KeyDown,     ScreenshotKey, false, Start, false, E::Shot},
  {"F auto-repeat",          WinMsg::KeyDown,     ScreenshotKey, true,  Start, false, E::None},
  {"F released",             WinMsg::KeyUp,       ScreenshotKey, false, Start, false, E::None},
  {"Shift pressed",          WinMsg::KeyDown,     Shift,         false, Start, false, E::Exit},
  {"G auto-repeat",          WinMsg::KeyDown,     KeyG,          true,  Start, false, E::Exit},
  {"Escape released",        WinMsg::KeyUp,       Escape,        false, Start, false, E::Exit},
  {"Alt key down",           WinMsg::SysKeyDown,  ScreenshotKey, false, Start, false, E::Exit},
  {"Alt key up",             WinMsg::SysKeyUp,    ScreenshotKey, false, Start, false, E::Exit},
  {"left button",            WinMsg::LButtonDown, 0,             false, Start, false, E::Exit},
  {"right button",           WinMsg::RButtonDown, 0,             false, Start, false, E::Exit},
  {"middle button",          WinMsg::MButtonDown, 0,             false, Start, false, E::Exit},
  {"click ignoring moves",   WinMsg::LButtonDown, 0,             false, Start, true,  E::Exit},
  {"left release",           LButtonUp,           0,             false, Start, false, E::None},
  {"right release",          RButtonUp,           0,             false, Start, false, E::None},
  {"middle release",         MButtonUp,           0,             false, Start, false, E::None},
  {"wheel",                  MouseWheel,          0,             false, Start, false, E::None},
  {"activate",               WinMsg::Activate,    0,             false, Start, false, E::Exit},
  {"activate app",           WinMsg::ActivateApp, 0,             false, Start, false, E::Exit},
  {"non-client activate",    WinMsg::NcActivate,  0,             false, Start, false, E::Exit},
  {"paint",                  Paint,               0,             false, Start, false, E::None},
  {"timer",                  Timer,               0,             false, Start, false, E::None},
  {"character",              Char,                KeyG,          false, Start, false, E::None},
  {"move 10 right 10 down",  WinMsg::MouseMove,   0, false, {510, 410}, false, E::None},
  {"move 10 left 10 up",     WinMsg::MouseMove,   0, false, {490, 390}, false, E::None},
  {"move 11 right",          WinMsg::MouseMove,   0, false, {511, 400}, false, E::Exit},
  {"move 11 left",           WinMsg::MouseMove,   0, false, {489, 400}, false, E::Exit},
  {"move 11 down",           WinMsg::MouseMove,   0, false, {500, 411}, false, E::Exit},
  {"move 11 up",             WinMsg::MouseMove,   0, false, {500, 389}, false, E::Exit},
  {"far move ignored",       WinMsg::MouseMove,   0, false, {900, 10},  true,  E::None},
};
// clang-format on

}  // namespace

TEST(ExitRules, DecisionTable) {
  for (const Case& C : Cases) {
    TExitInput In;
    In.Message = C.Message;
    In.WParam = C.Key;
    In.KeyWasDown = C.Repeat;
    In.Cursor = C.Cursor;
    In.StartPosition = Start;
    In.IgnoreMouseMove = C.IgnoreMouseMove;
    EXPECT_EQ(ExitRule(In), ToDecision(C.Expected)) << C.Name;

    // Once an exit is under way no message does anything, the "F" key included.
    In.ExitRequested = true;
    EXPECT_EQ(ExitRule(In), TExitDecision::None) << C.Name << " after the exit started";
  }
}

TEST(ExitRules, DistantCoordinatesDoNotOverflow) {
  TExitInput In;
  In.Message = WinMsg::MouseMove;
  In.StartPosition = {-2000000000, 0};
  In.Cursor = {2000000000, 0};
  EXPECT_EQ(ExitRule(In), TExitDecision::Exit);
  In.StartPosition = {0, INT32_MAX};
  In.Cursor = {0, INT32_MIN};
  EXPECT_EQ(ExitRule(In), TExitDecision::Exit);
}

TEST(ExitRules, RepeatBitIsBit30OfTheKeyParameter) {
  EXPECT_FALSE(KeyWasDown(0x00000001));         // first press, repeat count 1
  EXPECT_TRUE(KeyWasDown(0x40000001));          // held
  EXPECT_TRUE(KeyWasDown(0xC0000001));          // release after being held
  EXPECT_FALSE(KeyWasDown(0x80000001));         // transition bit alone
  EXPECT_FALSE(KeyWasDown(0xFFFFFFFF00000001u));  // sign-extended high half is not looked at
}

TEST(ExitRules, PlanExitFadesOrClosesAtOnce) {
  TExitPlan Plan = PlanExit(true, 700, true);
  EXPECT_FALSE(Plan.CloseNow);
  EXPECT_EQ(Plan.ExitTimerMs, 700u);
  EXPECT_TRUE(Plan.FadeSound);
  EXPECT_EQ(Plan.SoundFadeMs, 490u);

  // The exiting dialog's steps: 300..1000 ms give 210..700 ms of sound fade.
  for (int32_t Fade = 300; Fade <= 1000; Fade += 100)
    EXPECT_EQ(PlanExit(true, Fade, true).SoundFadeMs, static_cast<uint32_t>(Fade / 10 * 7)) << Fade;
  EXPECT_EQ(PlanExit(true, 333, true).SoundFadeMs, 233u);  // truncated

  EXPECT_FALSE(PlanExit(true, 700, false).FadeSound);
  EXPECT_TRUE(PlanExit(false, 700, true).CloseNow);
  // A hand-edited fade-out that could never end closes at once instead.
  EXPECT_TRUE(PlanExit(true, 0, true).CloseNow);
  EXPECT_TRUE(PlanExit(true, -50, true).CloseNow);
  EXPECT_FALSE(PlanExit(true, 1, true).CloseNow);
}

TEST(ExitRules, FadeoutOfARunIsNeverLongerThanTheDialogOffers) {
  // The engine's fade-out time (its cooling) is bounded as the timer is.
  const struct {
    int32_t Stored;
    uint32_t TimerMs, SoundMs;
    int32_t EngineMs;
  } Cases[] = {
      {1000, 1000, 700, 1000}, {1001, 1000, 700, 1000}, {600000, 1000, 700, 1000}, {INT32_MAX, 1000, 700, 1000},
      {50, 50, 35, 50},  // short hand-edited values stay as they are
  };
  for (const auto& C : Cases) {
    const TExitPlan Plan = PlanExit(true, C.Stored, true);
    EXPECT_FALSE(Plan.CloseNow) << C.Stored;
    EXPECT_EQ(Plan.ExitTimerMs, C.TimerMs) << C.Stored;
    EXPECT_EQ(Plan.SoundFadeMs, C.SoundMs) << C.Stored;
    EXPECT_EQ(RunFadeoutTime(C.Stored), C.EngineMs) << C.Stored;
  }
}
