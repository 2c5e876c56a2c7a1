// The frame pacer: a thread that wakes every millisecond and, once the frame
// period has passed since its last tick, calls the frame callback on itself.
// The period runs start to start and missed periods are not made up, so a
// slow frame is followed by the next one after a single millisecond instead
// of a burst of catch-up frames.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace emberdell {

// The millisecond tick count and sleep of the system; tests drive a fake.
class ITickClock {
 public:
  virtual ~ITickClock() = default;
  virtual uint32_t GetTickCount() = 0;
  virtual void Sleep(uint32_t Ms) = 0;
};

class TTimerThread {
 public:
  // Starts at once, with frames off and a 50 ms period.
  TTimerThread(std::function<void()> OnTimer, ITickClock& Clock);
  // Stops and joins: no callback runs after destruction.
  ~TTimerThread();
  TTimerThread(const TTimerThread&) = delete;
  TTimerThread& operator=(const TTimerThread&) = delete;

  // Takes effect at the next tick; does not wait for a frame in progress.
  void SetEnabled(bool Enabled) { FEnabled = Enabled; }
  bool Enabled() const { return FEnabled; }
  void SetInterval(uint32_t Ms) { FInterval = Ms; }
  uint32_t Interval() const { return FInterval; }

  // Switches frames off and returns only when no frame is running, so the
  // caller may then restart or free what the callback uses.
  void Pause();
  void Resume() { FEnabled = true; }

  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  // Terminate and wait for the thread to end; a frame in progress finishes
  // first. Safe to call more than once.
  void Stop();

 private:
  void Execute();
  bool OnOwnThread() const { return std::this_thread::get_id() == FThread.get_id(); }

  std::function<void()> FOnTimer;
  ITickClock& FClock;
  std::atomic<bool> FEnabled{false};
  std::atomic<uint32_t> FInterval{50};
  std::atomic<bool> FTerminated{false};
  uint32_t FLastTick = 0;  // the thread's own
  // Held by the thread around each callback; Pause takes it to wait one out.
  std::mutex FFrameLock;
  std::thread FThread;  // last: starts after everything above exists
};

}  // namespace emberdell
