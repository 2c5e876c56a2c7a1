#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/host/uGlobals.h"
#include "core/host/uTTimerThread.h"
#include "tests/support/fake_clock.h"
#include "tests/support/wait_until.h"

using namespace emberdell;

namespace {

using support::TFakeClock;
using support::WaitUntil;

// A one-shot gate between the test and the callback.
class TLatch {
 public:
  void Open() {
    std::lock_guard<std::mutex> Lock(FLock);
    FOpen = true;
    FChanged.notify_all();
  }
  bool Wait() {
    std::unique_lock<std::mutex> Lock(FLock);
    return FChanged.wait_for(Lock, support::TestDeadline, [&] { return FOpen; });
  }

 private:
  std::mutex FLock;
  std::condition_variable FChanged;
  bool FOpen = false;
};

class TimerThreadTest : public ::testing::Test {
 protected:
  void Start(uint64_t StartTime, std::function<void()> OnTimer = nullptr) {
    Clock = std::make_unique<TFakeClock>(StartTime, /*Limited=*/true);
    if (!OnTimer) OnTimer = [this] { Record(); };
    Timer = std::make_unique<TTimerThread>(std::move(OnTimer), *Clock);
  }

  void TearDown() override {
    if (Clock) Clock->Unlimit();
    Timer.reset();
  }

  void Record() {
    std::lock_guard<std::mutex> Lock(FramesLock);
    Frames.push_back(Clock->GetTickCount());
  }

  std::vector<uint32_t> TakeFrames() {
    std::lock_guard<std::mutex> Lock(FramesLock);
    return Frames;
  }

  size_t FrameCount() {
    std::lock_guard<std::mutex> Lock(FramesLock);
    return Frames.size();
  }

  // Halt (a pause or a stop) is called from another thread while the first
  // frame runs; it must return only after that frame. Halted tells when it
  // has taken effect. Frames go on being recorded.
  void ExpectHaltWaitsForTheFrame(const std::function<void()>& Halt, const std::function<bool()>& Halted) {
    Start(100000, [this] {
      Record();
      if (FrameCount() > 1) return;
      FEntered.Open();
      FRelease.Wait();
      FHaltReturnedDuringFrame = FHaltReturned.load();
      FFrameDone = true;
    });
    Timer->SetInterval(40);
    Timer->SetEnabled(true);
    Clock->Unlimit();
    ASSERT_TRUE(FEntered.Wait());

    bool FrameDoneWhenHaltReturned = false;
    std::thread Halter([&] {
      Halt();
      FrameDoneWhenHaltReturned = FFrameDone;
      FHaltReturned = true;
    });
    ASSERT_TRUE(WaitUntil(Halted));
    FRelease.Open();
    Halter.join();
    EXPECT_TRUE(FrameDoneWhenHaltReturned);
    EXPECT_FALSE(FHaltReturnedDuringFrame);
  }

  static std::vector<uint32_t> Every(uint32_t First, uint32_t Step, size_t Count) {
    std::vector<uint32_t> Result;
    for (size_t I = 0; I < Count; ++I) Result.push_back(First + static_cast<uint32_t>(I) * Step);
    return Result;
  }

  std::unique_ptr<TFakeClock> Clock;
  std::unique_ptr<TTimerThread> Timer;
  std::mutex FramesLock;
  std::vector<uint32_t> Frames;
  TLatch FEntered, FRelease;
  std::atomic<bool> FFrameDone{false}, FHaltReturned{false}, FHaltReturnedDuringFrame{false};
};

}  // namespace

TEST_F(TimerThreadTest, FirstTickAtOnceThenOnePeriodStartToStart) {
  for (int32_t Fps : {25, 60, 10}) {
    Frames.clear();
    Start(100000);
    const uint32_t Interval = FrameInterval(Fps);
    Timer->SetInterval(Interval);
    Timer->SetEnabled(true);
    ASSERT_TRUE(Clock->RunUntil(100000 + 10 * Interval + 5));
    EXPECT_EQ(TakeFrames(), Every(100001, Interval, 11)) << "FPS " << Fps;
    TearDown();
  }
}

TEST_F(TimerThreadTest, NewIntervalAppliesFromTheNextTick) {
  Start(100000);
  Timer->SetInterval(40);
  Timer->SetEnabled(true);
  ASSERT_TRUE(Clock->RunUntil(100100));
  Timer->SetInterval(100);
  ASSERT_TRUE(Clock->RunUntil(100400));
  EXPECT_EQ(TakeFrames(), (std::vector<uint32_t>{100001, 100041, 100081, 100181, 100281, 100381}));
}

TEST_F(TimerThreadTest, TickCountWrapAroundIsHarmless) {
  const uint64_t Start64 = 0xFFFFFFF0u;
  Start(Start64);
  Timer->SetInterval(40);
  Timer->SetEnabled(true);
  ASSERT_TRUE(Clock->RunUntil(Start64 + 200));
  EXPECT_EQ(TakeFrames(), Every(0xFFFFFFF1u, 40, 5));  // 0xFFFFFFF1, 0x19, 0x41, ...
}

TEST_F(TimerThreadTest, SlowFrameIsFollowedAfterOneSleepWithoutCatchUp) {
  Start(100000, [this] {
    Record();
    Clock->Spend(100);
  });
  Timer->SetInterval(40);
  Timer->SetEnabled(true);
  ASSERT_TRUE(Clock->RunUntil(100001 + 3 * 101 + 50));
  EXPECT_EQ(TakeFrames(), Every(100001, 101, 4));
}

TEST_F(TimerThreadTest, DisabledTicksKeepThePace) {
  Start(100000);
  Timer->SetInterval(40);
  // Ticks at 100001, 100041, ..., 100161 run without calling back.
  ASSERT_TRUE(Clock->RunUntil(100180));
  EXPECT_EQ(FrameCount(), 0u);
  Timer->SetEnabled(true);
  ASSERT_TRUE(Clock->RunUntil(100300));
  // The first frame keeps the running rhythm, within one period of enabling.
  EXPECT_EQ(TakeFrames(), (std::vector<uint32_t>{100201, 100241, 100281}));
}

TEST_F(TimerThreadTest, FailingFrameDoesNotEndTheThread) {
  Start(100000, [this] {
    Record();
    throw std::runtime_error("frame failed");
  });
  Timer->SetInterval(40);
  Timer->SetEnabled(true);
  ASSERT_TRUE(Clock->RunUntil(100100));
  EXPECT_EQ(TakeFrames(), Every(100001, 40, 3));
}

TEST_F(TimerThreadTest, PauseWaitsForTheFrameInProgress) {
  ExpectHaltWaitsForTheFrame([this] { Timer->Pause(); }, [this] { return !Timer->Enabled(); });

  // Paused: time goes on, frames do not, and the thread sleeps until resumed.
  ASSERT_TRUE(Clock->WaitForEndlessWait());
  Clock->Advance(1000);
  EXPECT_EQ(FrameCount(), 1u);

  Timer->Resume();
  EXPECT_TRUE(WaitUntil([&] { return FrameCount() >= 3; }));
}

TEST_F(TimerThreadTest, PauseFromTheFrameItselfDoesNotDeadlock) {
  Start(100000, [this] {
    Record();
    Timer->Pause();
  });
  Timer->SetInterval(40);
  Timer->SetEnabled(true);
  ASSERT_TRUE(Clock->RunUntil(100200));
  EXPECT_EQ(FrameCount(), 1u);
  EXPECT_FALSE(Timer->Enabled());
}

TEST_F(TimerThreadTest, StopWaitsForTheFrameInProgress) {
  ExpectHaltWaitsForTheFrame([this] { Timer->Stop(); }, [this] { return Timer->Terminated(); });
  EXPECT_EQ(FrameCount(), 1u);  // nothing after the frame that was running
  Timer->Stop();        // a second stop is harmless
}

TEST_F(TimerThreadTest, FramesLandOnTheirDeadlinesWithOneWaitEach) {
  for (uint32_t Interval : {16u, 40u, 100u, 1000u}) {
    Frames.clear();
    Start(100000);
    Timer->SetInterval(Interval);
    Timer->SetEnabled(true);
    ASSERT_TRUE(Clock->RunUntil(100001 + Interval / 2));
    const uint64_t Waits = Clock->Waits();
    ASSERT_TRUE(Clock->RunUntil(100001 + 10 * Interval + Interval / 2));
    EXPECT_EQ(TakeFrames(), Every(100001, Interval, 11)) << Interval;
    // One wait per frame, not one per millisecond.
    EXPECT_EQ(Clock->Waits() - Waits, 10u) << Interval;
    TearDown();
  }
}

TEST_F(TimerThreadTest, SpeedChangeMidWaitTakesEffectAtOnce) {
  struct TCase {
    uint32_t Old, New;
    uint64_t ChangeAt, RunTo;
    std::vector<uint32_t> Expected;
  };
  const TCase Cases[] = {
      // The shorter period has already passed: a frame at once.
      {100, 40, 100070, 100160, {100001, 100070, 100110, 100150}},
      // Shorter, not yet passed: counted from the last frame.
      {100, 80, 100050, 100170, {100001, 100081, 100161}},
      // Longer: the wait is stretched.
      {40, 100, 100060, 100250, {100001, 100041, 100141, 100241}},
  };
  for (const TCase& Case : Cases) {
    Frames.clear();
    Start(100000);
    Timer->SetInterval(Case.Old);
    Timer->SetEnabled(true);
    ASSERT_TRUE(Clock->RunUntil(Case.ChangeAt));
    Timer->SetInterval(Case.New);
    ASSERT_TRUE(Clock->RunUntil(Case.RunTo));
    EXPECT_EQ(TakeFrames(), Case.Expected) << Case.Old << " -> " << Case.New;
    TearDown();
  }
}

TEST_F(TimerThreadTest, FramesOffMeansNoWakeUps) {
  Start(100000);
  Timer->SetInterval(40);
  ASSERT_TRUE(Clock->RunUntil(100010));
  ASSERT_TRUE(Clock->WaitForEndlessWait());
  const uint64_t Waits = Clock->Waits();
  ASSERT_TRUE(Clock->RunUntil(200000));
  EXPECT_EQ(Clock->Waits(), Waits);
  EXPECT_EQ(FrameCount(), 0u);
  // A new period while frames are off brings no frame either, and frames
  // switched on keep the rhythm of the ticks slept through (100001 + 40 n).
  Timer->SetInterval(40);
  Timer->SetEnabled(true);
  ASSERT_TRUE(Clock->RunUntil(200100));
  EXPECT_EQ(TakeFrames(), (std::vector<uint32_t>{200001, 200041, 200081}));
}

TEST_F(TimerThreadTest, StopEndsALongWaitAtOnce) {
  for (bool Enabled : {true, false}) {
    Start(100000);
    Timer->SetInterval(1000000);
    Timer->SetEnabled(Enabled);
    ASSERT_TRUE(Clock->RunUntil(100500));
    std::atomic<bool> Stopped{false};
    std::thread Stopper([&] {
      Timer->Stop();
      Stopped = true;
    });
    // The clock stands still: only the wake-up can end the wait.
    EXPECT_TRUE(WaitUntil([&] { return Stopped.load(); })) << Enabled;
    Clock->Unlimit();
    Stopper.join();
    TearDown();
  }
}

namespace {

TEST_F(TimerThreadTest, UnseenFramesSleepWithoutWakingAndComeBackOnTheRhythm) {
  Start(100000);
  Timer->SetInterval(40);
  Timer->SetEnabled(true);
  ASSERT_TRUE(Clock->RunUntil(100100));  // frames at 100001, 100041, 100081
  Timer->SetSeen(false);
  // The frame due at 100121 finds the frames unseen; then the thread sleeps for good.
  ASSERT_TRUE(Clock->RunUntil(100130));
  ASSERT_TRUE(Clock->WaitForEndlessWait());
  const uint64_t Waits = Clock->Waits();
  // What the host does meanwhile (a pause around a new picture, a resume)
  // cannot bring the frames back while nobody sees them.
  Timer->Pause();
  Timer->Resume();
  ASSERT_TRUE(Clock->RunUntil(300000));
  EXPECT_EQ(Clock->Waits(), Waits + 1) << "the resume's one wake-up, then the endless wait again";
  EXPECT_EQ(FrameCount(), 3u);
  Timer->SetSeen(true);
  ASSERT_TRUE(Clock->RunUntil(300100));
  // One frame at the first tick of the old rhythm still to come, none made up.
  EXPECT_EQ(TakeFrames(), (std::vector<uint32_t>{100001, 100041, 100081, 300001, 300041, 300081}));
}

}  // namespace
