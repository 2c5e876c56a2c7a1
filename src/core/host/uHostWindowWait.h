// The preview's wait for the screensaver host to show the window it handed
// over. A host that never shows it (or a handle that names a window nobody
// will show) must not keep the process alive for ever.
#pragma once

#include <cstdint>
#include <functional>

#include "core/host/uTTimerThread.h"

namespace emberdell {

inline constexpr uint32_t HostWindowWaitMs = 10000;

enum class THostWindowWait { Shown, Gone, TimedOut };

// Checks Shown as long as Exists holds, running Pump between the checks and
// sleeping a millisecond each time, until the window shows, goes away or
// LimitMs have passed on Clock.
THostWindowWait WaitForHostWindow(ITickClock& Clock, const std::function<bool()>& Exists,
                                  const std::function<bool()>& Shown, const std::function<void()>& Pump,
                                  uint32_t LimitMs = HostWindowWaitMs);

}  // namespace emberdell
