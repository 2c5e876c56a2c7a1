#include "core/host/uTTimerThread.h"

#include <algorithm>
#include <utility>

namespace emberdell {

namespace {

// Looks for a wake-up every millisecond: the pace of a clock that offers
// nothing better.
class TPollingAlarm : public IClockAlarm {
 public:
  explicit TPollingAlarm(ITickClock& Clock) : FClock(Clock) {}
  void Wait(uint32_t Ms) override {
    for (uint32_t Slept = 0; Ms == Forever || Slept < Ms; ++Slept) {
      if (FWoken.exchange(false)) return;
      FClock.Sleep(1);
    }
    FWoken = false;
  }
  void Wake() override { FWoken = true; }

 private:
  ITickClock& FClock;
  std::atomic<bool> FWoken{false};
};

}  // namespace

std::unique_ptr<IClockAlarm> ITickClock::CreateAlarm() { return std::make_unique<TPollingAlarm>(*this); }

TTimerThread::TTimerThread(std::function<void()> OnTimer, ITickClock& Clock)
    : FOnTimer(std::move(OnTimer)), FClock(Clock), FAlarm(Clock.CreateAlarm()), FThread([this] { Execute(); }) {}

TTimerThread::~TTimerThread() { Stop(); }

void TTimerThread::SetEnabled(bool Enabled) {
  FEnabled = Enabled;
  // Switching off needs no wake-up: the thread finds out at its next tick.
  if (Enabled) FAlarm->Wake();
}

void TTimerThread::SetSeen(bool Seen) {
  FSeen = Seen;
  if (Seen) FAlarm->Wake();
}

void TTimerThread::SetInterval(uint32_t Ms) {
  FInterval = Ms;
  FAlarm->Wake();
}

void TTimerThread::Pause() {
  FEnabled = false;
  // The callback itself pausing would wait for itself.
  if (OnOwnThread()) return;
  std::lock_guard<std::mutex> WaitForFrame(FFrameLock);
}

void TTimerThread::Terminate() {
  FTerminated = true;
  FAlarm->Wake();
}

void TTimerThread::Stop() {
  Terminate();
  if (FThread.joinable() && !OnOwnThread()) FThread.join();
}

uint32_t TTimerThread::NextWait() {
  // The first tick comes after one millisecond, frames on or off, and sets
  // the rhythm that frames switched on later keep to.
  if (!FTicked) return 1;
  if (!FEnabled || !FSeen) {
    FSleptIdle = true;
    return IClockAlarm::Forever;
  }
  // At least a millisecond between looks, so a frame longer than the period
  // is followed after one millisecond rather than at once.
  const uint32_t Since = FClock.GetTickCount() - FLastTick;
  const uint32_t Interval = FInterval;
  return Since < Interval ? std::max<uint32_t>(Interval - Since, 1) : 1;
}

void TTimerThread::Execute() {
  const uint32_t Started = FClock.GetTickCount();
  while (!FTerminated) {
    FAlarm->Wait(NextWait());
    if (FTerminated) break;

    const uint32_t Interval = FInterval;
    // Unsigned difference: the tick count's wrap-around is harmless.
    uint32_t Since = FClock.GetTickCount() - FLastTick;
    if (FSleptIdle && Interval > 0 && Since > Interval) {
      // The ticks slept through while frames were off keep the rhythm: the
      // next frame falls on the first of them still to come, which may be now.
      FLastTick += (Since - 1) / Interval * Interval;
      Since -= (Since - 1) / Interval * Interval;
    }
    FSleptIdle = false;
    // The first tick waits out its millisecond even when a wake-up comes first.
    if (FTicked ? Since < Interval : FClock.GetTickCount() == Started) continue;
    // Taken before the callback, so the period runs start to start.
    FLastTick = FClock.GetTickCount();
    FTicked = true;

    // Enabled is looked at under the lock: once Pause holds it and has
    // cleared the flag, no new frame can start.
    std::lock_guard<std::mutex> Frame(FFrameLock);
    if (FOnTimer && FEnabled && FSeen && !FTerminated) {
      try {
        FOnTimer();
      } catch (...) {
        // A failed frame must not end the animation or the process; the next
        // tick simply tries again.
      }
    }
  }
}

}  // namespace emberdell
