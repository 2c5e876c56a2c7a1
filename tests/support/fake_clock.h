// A tick clock whose time moves only by the sleeps of the threads that use it.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "core/host/uTTimerThread.h"
#include "tests/support/wait_until.h"

namespace emberdell::support {

// Unlimited, every sleep passes at once. Limited, a sleep that would pass the
// limit parks until the test moves the limit, so the test can look at a thread
// standing still at a known time. An alarm's wait parks the same way, and
// time runs on to the limit while it does; a wake-up ends it at the time
// reached, an endless wait ends only so. Kept in 64 bits and handed out as the 32-bit
// tick count, so the wrap-around can be driven too.
class TFakeClock : public ITickClock {
 public:
  explicit TFakeClock(uint64_t Start, bool Limited = false) : FNow(Start), FLimit(Start), FUnlimited(!Limited) {}

  uint32_t GetTickCount() override {
    std::lock_guard<std::mutex> Lock(FLock);
    return static_cast<uint32_t>(FNow);
  }

  void Sleep(uint32_t Ms) override {
    std::unique_lock<std::mutex> Lock(FLock);
    while (!FUnlimited && FNow + Ms > FLimit) {
      FParkedAt = FLimit;
      ++FParked;
      FChanged.notify_all();
      FChanged.wait(Lock);
      --FParked;
    }
    FNow += Ms;
    ++FSleeps;
    FChanged.notify_all();
  }

  std::unique_ptr<IClockAlarm> CreateAlarm() override { return std::make_unique<TAlarm>(*this); }

  // Lets the sleeping thread run up to Time and waits until it parks there.
  // Only a park at this very limit counts: a thread still parked at the old
  // one has not yet seen the new time.
  bool RunUntil(uint64_t Time) {
    std::unique_lock<std::mutex> Lock(FLock);
    FLimit = Time;
    FChanged.notify_all();
    return FChanged.wait_for(Lock, TestDeadline, [&] { return FParked > 0 && FParkedAt == Time; });
  }

  // Moves the limit without waiting for anyone.
  void Allow(uint64_t Time) {
    std::lock_guard<std::mutex> Lock(FLock);
    FLimit = Time;
    FChanged.notify_all();
  }

  // Time passing while no thread sleeps, for instance while one is paused.
  void Advance(uint64_t Ms) {
    std::lock_guard<std::mutex> Lock(FLock);
    FNow += Ms;
    FLimit += Ms;
  }

  // Time a callback spends working: the clock moves, the limit does not.
  void Spend(uint32_t Ms) {
    std::lock_guard<std::mutex> Lock(FLock);
    FNow += Ms;
  }

  // Free running, for tests that coordinate through the callback instead.
  void Unlimit() {
    std::lock_guard<std::mutex> Lock(FLock);
    FUnlimited = true;
    FChanged.notify_all();
  }

  bool WaitForTime(uint64_t Time) {
    std::unique_lock<std::mutex> Lock(FLock);
    return FChanged.wait_for(Lock, TestDeadline, [&] { return FNow >= Time; });
  }

  uint64_t Now() {
    std::lock_guard<std::mutex> Lock(FLock);
    return FNow;
  }

  uint64_t Sleeps() {
    std::lock_guard<std::mutex> Lock(FLock);
    return FSleeps;
  }

  // Alarm waits begun so far, whether they timed out or were woken.
  uint64_t Waits() {
    std::lock_guard<std::mutex> Lock(FLock);
    return FWaits;
  }

  // Waits until a thread stands in an alarm wait without end.
  bool WaitForEndlessWait() {
    std::unique_lock<std::mutex> Lock(FLock);
    return FChanged.wait_for(Lock, TestDeadline, [&] { return FEndless > 0; });
  }

 private:
  class TAlarm : public IClockAlarm {
   public:
    explicit TAlarm(TFakeClock& Clock) : FClock(Clock) {}
    void Wait(uint32_t Ms) override { FClock.AlarmWait(FWoken, Ms); }
    void Wake() override {
      std::lock_guard<std::mutex> Lock(FClock.FLock);
      FWoken = true;
      FClock.FChanged.notify_all();
    }

   private:
    TFakeClock& FClock;
    bool FWoken = false;  // under the clock's lock
  };

  void AlarmWait(bool& Woken, uint32_t Ms) {
    std::unique_lock<std::mutex> Lock(FLock);
    ++FWaits;
    const bool Endless = Ms == IClockAlarm::Forever;
    const uint64_t Due = FNow + Ms;
    if (Endless) ++FEndless;
    while (!Woken) {
      if (!Endless && (FUnlimited || Due <= FLimit)) {
        FNow = std::max(FNow, Due);
        break;
      }
      if (!FUnlimited) FNow = std::max(FNow, FLimit);
      FParkedAt = FLimit;
      ++FParked;
      FChanged.notify_all();
      FChanged.wait(Lock);
      --FParked;
    }
    if (Endless) --FEndless;
    Woken = false;
    FChanged.notify_all();
  }

  std::mutex FLock;
  std::condition_variable FChanged;
  uint64_t FNow;
  uint64_t FLimit;
  bool FUnlimited;
  int FParked = 0;
  uint64_t FParkedAt = 0;
  uint64_t FSleeps = 0;
  uint64_t FWaits = 0;
  int FEndless = 0;
};

}  // namespace emberdell::support
