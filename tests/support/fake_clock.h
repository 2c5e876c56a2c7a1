// A tick clock whose time moves only by the sleeps of the threads that use it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "core/host/uTTimerThread.h"
#include "tests/support/wait_until.h"

namespace emberdell::support {

// Unlimited, every sleep passes at once. Limited, a sleep that would pass the
// limit parks until the test moves the limit, so the test can look at a thread
// standing still at a known time. Kept in 64 bits and handed out as the 32-bit
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

 private:
  std::mutex FLock;
  std::condition_variable FChanged;
  uint64_t FNow;
  uint64_t FLimit;
  bool FUnlimited;
  int FParked = 0;
  uint64_t FParkedAt = 0;
  uint64_t FSleeps = 0;
};

}  // namespace emberdell::support
