#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/host/uVisibility.h"

using namespace emberdell;

namespace {

using TStep = std::function<void(TVisibility&)>;

TStep Display(uint32_t State) {
  return [=](TVisibility& V) { V.DisplayState(State); };
}
TStep Session(uint32_t Event) {
  return [=](TVisibility& V) { V.SessionChange(Event); };
}
TStep Map(bool Mapped) {
  return [=](TVisibility& V) { V.Mapped(Mapped); };
}
TStep Cover(int State) {
  return [=](TVisibility& V) { V.VisibilityState(State); };
}
TStep Power(int Level) {
  return [=](TVisibility& V) { V.MonitorPower(Level); };
}

// WM_WTSSESSION_CHANGE events.
constexpr uint32_t ConsoleConnect = 1, ConsoleDisconnect = 2, RemoteConnect = 3, RemoteDisconnect = 4,
                   Logon = 5, SessionLock = 7, SessionUnlock = 8;

TEST(Visibility, FramesAreOnExactlyWhileEveryCauseSaysSeen) {
  struct TCase {
    const char* What;
    std::vector<TStep> Steps;
    std::vector<bool> SeenAfterEach;
  };
  const TCase Cases[] = {
      {"display off, dimmed, off, on", {Display(0), Display(2), Display(0), Display(1)}, {false, true, false, true}},
      {"an unknown display state changes nothing", {Display(0), Display(7), Display(1), Display(7)},
       {false, false, true, true}},
      {"lock and unlock", {Session(SessionLock), Session(SessionUnlock)}, {false, true}},
      {"remote disconnect and reconnect", {Session(RemoteDisconnect), Session(RemoteConnect)}, {false, true}},
      {"console disconnect, then a remote connect", {Session(ConsoleDisconnect), Session(RemoteConnect)},
       {false, true}},
      {"a logon alone changes nothing", {Session(Logon)}, {true}},
      {"unlocked while the display is still off", {Display(0), Session(SessionLock), Session(SessionUnlock), Display(1)},
       {false, false, false, true}},
      {"the display back on while still locked", {Session(SessionLock), Display(0), Display(1), Session(SessionUnlock)},
       {false, false, false, true}},
      {"unmapped and mapped", {Map(false), Map(true)}, {false, true}},
      {"fully, partially, not obscured", {Cover(2), Cover(1), Cover(2), Cover(0)}, {false, true, false, true}},
      {"mapped again while still covered", {Cover(2), Map(false), Map(true), Cover(0)}, {false, false, false, true}},
      // A window in an unmapped parent starts unviewable and hears only
      // VisibilityNotify when the parent maps.
      {"unviewable, then unobscured", {Map(false), Cover(0)}, {false, true}},
      {"unviewable, then partially obscured", {Map(false), Cover(1)}, {false, true}},
      {"unviewable, then fully obscured, then uncovered", {Map(false), Cover(2), Cover(0)}, {false, false, true}},
      {"an unknown visibility state maps nothing", {Map(false), Cover(5)}, {false, false}},
      {"standby, suspend, off, on", {Power(1), Power(2), Power(3), Power(0)}, {false, false, false, true}},
      {"the monitor asleep while mapped", {Map(false), Power(3), Map(true), Power(0)}, {false, false, false, true}},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    TVisibility Sight;
    EXPECT_TRUE(Sight.Seen()) << "a run starts seen";
    ASSERT_EQ(Case.Steps.size(), Case.SeenAfterEach.size());
    for (size_t i = 0; i < Case.Steps.size(); ++i) {
      Case.Steps[i](Sight);
      EXPECT_EQ(Sight.Seen(), Case.SeenAfterEach[i]) << "after step " << i;
    }
  }
}

}  // namespace
