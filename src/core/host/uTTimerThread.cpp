#include "core/host/uTTimerThread.h"

#include <utility>

namespace emberdell {

TTimerThread::TTimerThread(std::function<void()> OnTimer, ITickClock& Clock)
    : FOnTimer(std::move(OnTimer)), FClock(Clock), FThread([this] { Execute(); }) {}

TTimerThread::~TTimerThread() { Stop(); }

void TTimerThread::Pause() {
  FEnabled = false;
  // The callback itself pausing would wait for itself.
  if (OnOwnThread()) return;
  std::lock_guard<std::mutex> WaitForFrame(FFrameLock);
}

void TTimerThread::Stop() {
  Terminate();
  if (FThread.joinable() && !OnOwnThread()) FThread.join();
}

void TTimerThread::Execute() {
  while (!FTerminated) {
    FClock.Sleep(1);
    // Unsigned difference: the tick count's wrap-around is harmless.
    if (FClock.GetTickCount() - FLastTick < FInterval && !FTerminated) continue;
    // Taken before the callback, so the period runs start to start.
    FLastTick = FClock.GetTickCount();

    // Enabled is looked at under the lock: once Pause holds it and has
    // cleared the flag, no new frame can start.
    std::lock_guard<std::mutex> Frame(FFrameLock);
    if (FOnTimer && FEnabled && !FTerminated) {
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
