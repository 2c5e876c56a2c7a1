#include "core/host/uHostWindowWait.h"

namespace emberdell {

THostWindowWait WaitForHostWindow(ITickClock& Clock, const std::function<bool()>& Exists,
                                  const std::function<bool()>& Shown, const std::function<void()>& Pump,
                                  uint32_t LimitMs) {
  const uint32_t Start = Clock.GetTickCount();
  for (;;) {
    if (!Exists()) return THostWindowWait::Gone;
    if (Shown()) return THostWindowWait::Shown;
    // Unsigned difference: the tick count may wrap during the wait.
    if (Clock.GetTickCount() - Start >= LimitMs) return THostWindowWait::TimedOut;
    Pump();
    Clock.Sleep(1);
  }
}

}  // namespace emberdell
