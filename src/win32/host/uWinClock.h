// The frame pacer's clock: the system's millisecond time and sleeps with a
// millisecond's accuracy.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <memory>

#include "core/host/uTTimerThread.h"

namespace emberdell {

// An event that the waiting thread sleeps on with a timeout.
class TWinClockAlarm : public IClockAlarm {
 public:
  TWinClockAlarm() : FEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  ~TWinClockAlarm() override {
    if (FEvent) CloseHandle(FEvent);
  }
  TWinClockAlarm(const TWinClockAlarm&) = delete;
  TWinClockAlarm& operator=(const TWinClockAlarm&) = delete;

  void Wait(uint32_t Ms) override {
    // Without an event there is still a pace to keep, if a coarser one.
    if (!FEvent) {
      ::Sleep(Ms == Forever ? 1 : Ms);
      return;
    }
    WaitForSingleObject(FEvent, Ms == Forever ? INFINITE : Ms);
  }
  void Wake() override {
    if (FEvent) SetEvent(FEvent);
  }

 private:
  HANDLE FEvent;
};

// The system's timer runs in 15.6 ms steps by default, which would stretch a
// 40 ms frame to 46.8 and make the tick count jump; one millisecond for as
// long as the clock lives keeps both waits and readings to the millisecond.
class TWinTickClock : public ITickClock {
 public:
  TWinTickClock() : FFinePeriod(timeBeginPeriod(1) == TIMERR_NOERROR) {}
  ~TWinTickClock() override {
    if (FFinePeriod) timeEndPeriod(1);
  }
  TWinTickClock(const TWinTickClock&) = delete;
  TWinTickClock& operator=(const TWinTickClock&) = delete;

  uint32_t GetTickCount() override { return timeGetTime(); }
  void Sleep(uint32_t Ms) override { ::Sleep(Ms); }
  std::unique_ptr<IClockAlarm> CreateAlarm() override { return std::make_unique<TWinClockAlarm>(); }

 private:
  bool FFinePeriod;
};

}  // namespace emberdell
