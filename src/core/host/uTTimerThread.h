// The frame pacer: a thread that sleeps until the frame period has passed
// since its last tick and then calls the frame callback on itself. The period
// runs start to start and missed periods are not made up, so a slow frame is
// followed by the next one after a single millisecond instead of a burst of
// catch-up frames. Between frames the thread does not wake at all, and while
// frames are off it sleeps until they are switched on again.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace emberdell {

// A sleep that another thread can cut short. A wake-up that comes while
// nobody waits is kept for the next wait, so none is lost between deciding to
// sleep and sleeping.
class IClockAlarm {
 public:
  static constexpr uint32_t Forever = 0xFFFFFFFFu;
  virtual ~IClockAlarm() = default;
  // Returns after Ms (never on its own with Forever) or once woken.
  virtual void Wait(uint32_t Ms) = 0;
  virtual void Wake() = 0;
};

// The millisecond tick count and sleep of the system; tests drive a fake.
class ITickClock {
 public:
  virtual ~ITickClock() = default;
  virtual uint32_t GetTickCount() = 0;
  virtual void Sleep(uint32_t Ms) = 0;
  // Clocks that cannot wait on a wake-up get one that looks every millisecond.
  virtual std::unique_ptr<IClockAlarm> CreateAlarm();
};

class TTimerThread {
 public:
  // Starts at once, with frames off and a 50 ms period.
  TTimerThread(std::function<void()> OnTimer, ITickClock& Clock);
  // Stops and joins: no callback runs after destruction.
  ~TTimerThread();
  TTimerThread(const TTimerThread&) = delete;
  TTimerThread& operator=(const TTimerThread&) = delete;

  // Switching frames on and a new period take effect at once: a period whose
  // end has already passed ticks right away. Switching off does not wait for
  // a frame in progress.
  void SetEnabled(bool Enabled);
  bool Enabled() const { return FEnabled; }
  // Frames run only while they are both enabled and seen: a display that is
  // off or a locked session switches them off without touching what the
  // host enabled, paused or resumed meanwhile. Unseen, the thread sleeps
  // without waking; seen again, the next frame falls on the rhythm's next
  // tick, with no catch-up of the frames that were not drawn.
  void SetSeen(bool Seen);
  bool Seen() const { return FSeen; }
  void SetInterval(uint32_t Ms);
  uint32_t Interval() const { return FInterval; }

  // Switches frames off and returns only when no frame is running, so the
  // caller may then restart or free what the callback uses.
  void Pause();
  void Resume() { SetEnabled(true); }

  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Terminate and wait for the thread to end; a frame in progress finishes
  // first. Safe to call more than once.
  void Stop();

 private:
  void Execute();
  uint32_t NextWait();
  bool OnOwnThread() const { return std::this_thread::get_id() == FThread.get_id(); }

  std::function<void()> FOnTimer;
  ITickClock& FClock;
  std::unique_ptr<IClockAlarm> FAlarm;
  std::atomic<bool> FEnabled{false};
  std::atomic<bool> FSeen{true};
  std::atomic<uint32_t> FInterval{50};
  std::atomic<bool> FTerminated{false};
  // The thread's own: the last tick, whether there was one yet, and whether
  // the thread slept through ticks that would have had no frame.
  uint32_t FLastTick = 0;
  bool FTicked = false;
  bool FSleptIdle = false;
  // Held by the thread around each callback; Pause takes it to wait one out.
  std::mutex FFrameLock;
  std::thread FThread;  // last: starts after everything above exists
};

}  // namespace emberdell
