// The preview's wait for the host's window: it ends when the window shows,
// when it goes away, and at the latest after the bound, whatever the tick
// count does meanwhile.
#include <gtest/gtest.h>

#include "core/host/uHostWindowWait.h"
#include "tests/support/fake_clock.h"

namespace emberdell {
namespace {

TEST(HostWindowWait, EndsWhenShownWhenGoneOrAtTheBound) {
  struct TCase {
    const char* What;
    uint64_t Start;
    int ShownAfter, GoneAfter;  // pumps; -1: never
    THostWindowWait Expected;
    uint64_t Elapsed;
  };
  const TCase Cases[] = {
      {"shown at once", 1000, 0, -1, THostWindowWait::Shown, 0},
      {"shown late", 1000, 2500, -1, THostWindowWait::Shown, 2500},
      {"gone before shown", 1000, -1, 40, THostWindowWait::Gone, 40},
      {"never shown", 1000, -1, -1, THostWindowWait::TimedOut, HostWindowWaitMs},
      {"never shown, the tick count wraps", 0xFFFFFFFFull - 3000, -1, -1, THostWindowWait::TimedOut,
       HostWindowWaitMs},
      {"shown just before the bound", 5, HostWindowWaitMs - 1, -1, THostWindowWait::Shown, HostWindowWaitMs - 1},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    support::TFakeClock Clock(C.Start);
    int Pumps = 0;
    const THostWindowWait Result = WaitForHostWindow(
        Clock, [&] { return C.GoneAfter < 0 || Pumps < C.GoneAfter; },
        [&] { return C.ShownAfter >= 0 && Pumps >= C.ShownAfter; }, [&] { ++Pumps; });
    EXPECT_EQ(Result, C.Expected);
    EXPECT_EQ(static_cast<uint32_t>(Clock.GetTickCount() - static_cast<uint32_t>(C.Start)), C.Elapsed);
  }
}

}  // namespace
}  // namespace emberdell
