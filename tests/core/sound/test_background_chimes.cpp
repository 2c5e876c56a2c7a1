#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <vector>

#include "tests/core/sound/sound_fakes.h"
#include "core/shared/uRandom.h"
#include "core/sound/uTBackgroundChimes.h"

using namespace emberdell;
using namespace emberdell::testing;

namespace {

constexpr uint32_t ProgramChange = 0x0CC0;  // 0xC0, 12

struct TChime {
  uint32_t Time;
  uint32_t Message;
  bool operator==(const TChime&) const = default;
};

void PrintTo(const TChime& C, std::ostream* Out) { *Out << "{" << C.Time << ", 0x" << std::hex << C.Message << "}"; }

// What the chimes thread draws from the generator, replayed: each wait is
// whole 10 ms sleeps until 200 + random(4000) ms have passed, then a note.
std::vector<TChime> Schedule(uint32_t Seed, uint32_t Start, size_t Count, uint8_t Velocity) {
  std::vector<TChime> Result;
  uint32_t Now = Start;
  for (size_t I = 0; I < Count; ++I) {
    const uint32_t Delay = 200 + RandomStep(Seed, 4000);
    Now += (Delay + 9) / 10 * 10;
    Result.push_back({Now, NoteMessage(ChimeNotes[RandomStep(Seed, 4)], Velocity)});
  }
  return Result;
}

struct TChimesRig {
  explicit TChimesRig(uint64_t Start, bool Limited = false, bool OpenSucceeds = true) : Clock(Start, Limited) {
    Log->OpenSucceeds = OpenSucceeds;
    Chimes = std::make_unique<TBackgroundChimes>(std::make_unique<TFakeMidiOut>(Log, Clock), Clock);
  }
  ~TChimesRig() {
    Clock.Unlimit();
    Chimes.reset();
  }
  std::vector<TChime> NoteOns() {
    std::lock_guard<std::mutex> Guard(Log->Lock);
    std::vector<TChime> Result;
    for (size_t I = 0; I < Log->Messages.size(); ++I)
      if ((Log->Messages[I] & 0xF0) == 0x90 && (Log->Messages[I] >> 16) != 0)
        Result.push_back({Log->Times[I], Log->Messages[I]});
    return Result;
  }
  // True when the destructor came back without the clock going further than
  // the test allowed; a thread needing more sleeps than that would park.
  bool DestroyWithinAllowedSleeps() {
    auto Done = std::async(std::launch::async, [this] { Chimes.reset(); });
    const bool InTime = Done.wait_for(support::TestDeadline) == std::future_status::ready;
    if (!InTime) Clock.Unlimit();
    Done.wait();
    return InTime;
  }

  TFakeClock Clock;
  std::shared_ptr<TMidiLog> Log = std::make_shared<TMidiLog>();
  std::unique_ptr<TBackgroundChimes> Chimes;
};

}  // namespace

TEST(BackgroundChimes, VelocityFollowsVolumeAndMessagesArePacked) {
  const std::pair<int32_t, uint8_t> Velocities[] = {{0, 0},   {10, 12},  {30, 38},  {50, 63},
                                                    {99, 125}, {100, 127}, {101, 127}, {-3, 0}};
  for (auto [Volume, Velocity] : Velocities) EXPECT_EQ(ChimeVelocity(Volume), Velocity) << Volume;
  EXPECT_EQ(ProgramChangeMessage(ChimeInstrument), ProgramChange);
  // Status lowest, note, velocity; notes 89, 91, 93, 95.
  EXPECT_EQ(NoteMessage(ChimeNotes[0], 127), 0x7F5990u);
  EXPECT_EQ(NoteMessage(ChimeNotes[1], 38), 0x265B90u);
  EXPECT_EQ(NoteMessage(ChimeNotes[2], 12), 0x0C5D90u);
  EXPECT_EQ(NoteMessage(ChimeNotes[3], 0), 0x005F90u);
}

TEST(BackgroundChimes, OpeningSelectsTheMarimbaAndClosingEndsTheOutput) {
  TChimesRig Rig(1000, true);
  EXPECT_TRUE(Rig.Chimes->DeviceOpen());
  EXPECT_FALSE(Rig.Chimes->Active());
  EXPECT_EQ(Rig.Chimes->Volume(), 100);
  EXPECT_EQ(Rig.Log->TakeMessages(), std::vector<uint32_t>{ProgramChange});
  // Never started: the thread ends without a single sleep, sends nothing more.
  ASSERT_TRUE(Rig.DestroyWithinAllowedSleeps());
  EXPECT_EQ(Rig.Clock.Sleeps(), 0u);
  EXPECT_EQ(Rig.Log->TakeMessages(), std::vector<uint32_t>{ProgramChange});
  EXPECT_EQ(Rig.Log->Closes, 1);
}

TEST(BackgroundChimes, WithoutOutputTheThreadRunsSilentlyAndStopDoesNothing) {
  for (bool NoDevice : {false, true}) {
    TFakeClock Clock(1000);
    auto Log = std::make_shared<TMidiLog>();
    Log->OpenSucceeds = false;
    std::unique_ptr<IMidiOut> Midi;
    if (!NoDevice) Midi = std::make_unique<TFakeMidiOut>(Log, Clock);
    {
      TBackgroundChimes Chimes(std::move(Midi), Clock);
      EXPECT_FALSE(Chimes.DeviceOpen());
      Chimes.Start();
      EXPECT_TRUE(Chimes.Active());
      // Long enough for dozens of chimes.
      ASSERT_TRUE(WaitUntil([&] { return Clock.Sleeps() > 20000; }));
      Chimes.Stop();
      EXPECT_TRUE(Chimes.Active());
    }
    EXPECT_TRUE(Log->TakeMessages().empty());
    EXPECT_EQ(Log->Closes, 0);
  }
}

TEST(BackgroundChimes, ChimesFollowTheRandomWaitsAcrossTheTickCountWrap) {
  const uint32_t Seed = 20240601u;
  const uint64_t Start = 0xFFFFFFFFull - 30000;  // wraps within the first chimes
  TChimesRig Rig(Start);
  Rig.Chimes->SetVolume(30);
  Randomize(Seed);
  Rig.Chimes->Start();
  Rig.Chimes->Start();  // a second Start changes nothing
  const size_t Count = 60;
  ASSERT_TRUE(WaitUntil([&] { return Rig.NoteOns().size() >= Count; }));
  auto Chimes = Rig.NoteOns();
  Chimes.resize(Count);
  const auto Expected = Schedule(Seed, static_cast<uint32_t>(Start), Count, 38);
  EXPECT_EQ(Chimes, Expected);
  // Never closer than 200 ms, never further than the longest wait.
  uint32_t Previous = static_cast<uint32_t>(Start);
  for (const TChime& C : Chimes) {
    EXPECT_GE(C.Time - Previous, 200u);
    EXPECT_LE(C.Time - Previous, 4200u);
    Previous = C.Time;
  }
  EXPECT_LT(Chimes.back().Time, Start);  // the counter did wrap
}

TEST(BackgroundChimes, StopSilencesAndPausesAndStartContinuesTheWait) {
  const uint32_t Seed = 77u;
  const uint64_t T0 = 5000000;
  TChimesRig Rig(T0, true);
  Randomize(Seed);
  Rig.Chimes->Start();
  ASSERT_TRUE(Rig.Clock.RunUntil(T0 + 100));  // ten sleeps into the first wait
  Rig.Chimes->Stop();
  EXPECT_FALSE(Rig.Chimes->Active());
  // No chime has sounded yet, so the note-off names offset 0: note 60.
  EXPECT_EQ(Rig.Log->TakeMessages(), (std::vector<uint32_t>{ProgramChange, 0x003C90}));

  // Six seconds pass while paused, longer than any wait; the sleep under way
  // then finishes, and the thread holds still.
  Rig.Clock.Advance(6000);
  Rig.Clock.Allow(T0 + 6110);
  ASSERT_TRUE(WaitUntil([&] { return Rig.Clock.Sleeps() == 11; }));
  EXPECT_EQ(Rig.Log->TakeMessages().size(), 2u);

  // The interrupted wait is over by now: the chime comes without another sleep.
  Rig.Chimes->Start();
  ASSERT_TRUE(WaitUntil([&] { return Rig.NoteOns().size() == 1; }));
  const auto Expected = Schedule(Seed, 0, 2, 127);
  EXPECT_EQ(Rig.NoteOns()[0], (TChime{static_cast<uint32_t>(T0 + 6110), Expected[0].Message}));
  EXPECT_EQ(Rig.Clock.Sleeps(), 11u);

  // The next wait starts afresh from that chime.
  Rig.Clock.Unlimit();
  ASSERT_TRUE(WaitUntil([&] { return Rig.NoteOns().size() >= 2; }));
  EXPECT_EQ(Rig.NoteOns()[1], (TChime{static_cast<uint32_t>(T0 + 6110 + Expected[1].Time - Expected[0].Time),
                                      Expected[1].Message}));
}

TEST(BackgroundChimes, DestructionEndsAPausedOrRunningThread) {
  const uint64_t T0 = 1000000;
  {
    TChimesRig Rig(T0, true);
    Randomize(5);
    Rig.Chimes->Start();
    ASSERT_TRUE(Rig.Clock.RunUntil(T0 + 50));
    Rig.Chimes->Stop();
    Rig.Clock.Allow(T0 + 60);  // the sleep under way ends, and no other may
    ASSERT_TRUE(WaitUntil([&] { return Rig.Clock.Sleeps() == 6; }));
    ASSERT_TRUE(Rig.DestroyWithinAllowedSleeps());
    EXPECT_EQ(Rig.Clock.Sleeps(), 6u);
    EXPECT_TRUE(Rig.NoteOns().empty());
    EXPECT_EQ(Rig.Log->Closes, 1);
  }
  {
    TChimesRig Rig(T0);
    Randomize(5);
    Rig.Chimes->Start();
    ASSERT_TRUE(WaitUntil([&] { return Rig.NoteOns().size() >= 3; }));
    Rig.Chimes.reset();
    EXPECT_EQ(Rig.Log->Closes, 1);
    EXPECT_EQ(Rig.Log->MessagesAfterClose, 0);
  }
}
