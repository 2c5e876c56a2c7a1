// The frame pacer's clock: the system's millisecond tick count and Sleep.
#pragma once

#include <windows.h>

#include "core/host/uTTimerThread.h"

namespace emberdell {

class TWinTickClock : public ITickClock {
 public:
  uint32_t GetTickCount() override { return ::GetTickCount(); }
  void Sleep(uint32_t Ms) override { ::Sleep(Ms); }
};

}  // namespace emberdell
