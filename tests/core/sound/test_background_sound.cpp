#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/core/sound/sound_fakes.h"
#include "core/shared/uRandom.h"
#include "core/sound/uTBackgroundSound.h"

using namespace emberdell;
using namespace emberdell::testing;

namespace {

constexpr uint64_t T0 = 100000;
constexpr uint32_t RecordingSize = 882000;

std::vector<int32_t> Attenuations(const std::vector<int32_t>& Volumes) {
  std::vector<int32_t> Result;
  for (int32_t V : Volumes) Result.push_back(VolumeToAttenuation(V));
  return Result;
}

std::vector<uint32_t> Every(uint64_t First, uint32_t Step, size_t Count) {
  std::vector<uint32_t> Result;
  for (size_t I = 0; I < Count; ++I) Result.push_back(static_cast<uint32_t>(First + I * Step));
  return Result;
}

struct TPlayerRig {
  explicit TPlayerRig(bool Limited = false, uint32_t Size = RecordingSize) : Clock(T0, Limited) {
    Player = std::make_unique<TBackgroundSound>(std::make_unique<TFakeSoundBuffer>(Log, Size, Clock), Clock);
  }
  ~TPlayerRig() {
    Clock.Unlimit();
    Player.reset();
  }
  size_t VolumeCount() { return Log->TakeVolumes().size(); }
  // Only the fade thread moves the clock, so its ticks land on exact times.
  std::vector<uint32_t> VolumeTimes() { return Log->Read(&TBufferLog::VolumeTimes); }

  TFakeClock Clock;
  std::shared_ptr<TBufferLog> Log = std::make_shared<TBufferLog>();
  std::unique_ptr<TBackgroundSound> Player;
};

}  // namespace

TEST(BackgroundSound, VolumeMapsLogarithmicallyOntoAttenuation) {
  const int32_t Expected[] = {-10000, -4793, -3389, -2543, -1936, -1462, -1073, -744, -458, -205, 0};
  for (int32_t V = 0; V <= 100; V += 10) EXPECT_EQ(VolumeToAttenuation(V), Expected[V / 10]) << V;
  EXPECT_EQ(VolumeToAttenuation(99), 0);
  EXPECT_EQ(VolumeToAttenuation(1), -8495);
  // Out of range is the nearer end, never a logarithm of nothing.
  EXPECT_EQ(VolumeToAttenuation(-7), -10000);
  EXPECT_EQ(VolumeToAttenuation(250), 0);
  // The curve only rises.
  for (int32_t V = 1; V <= 100; ++V) EXPECT_GE(VolumeToAttenuation(V), VolumeToAttenuation(V - 1)) << V;
}

TEST(BackgroundSound, WithoutDeviceThePlayerIsInertButKeepsItsVolume) {
  TFakeClock Clock(T0);
  for (bool EmptyRecording : {false, true}) {
    auto Log = std::make_shared<TBufferLog>();
    std::unique_ptr<ISoundBuffer> Buffer;
    if (EmptyRecording) Buffer = std::make_unique<TFakeSoundBuffer>(Log, 0, Clock);
    TBackgroundSound Player(std::move(Buffer), Clock);
    EXPECT_EQ(Player.GetState(), ssNoDevice);
    EXPECT_FALSE(Player.Play());
    Player.SetVolume(40);
    Player.FadeIn(500);
    Player.FadeOut(500);
    Player.Stop();
    EXPECT_EQ(Player.Volume(), 40);  // a fade would have zeroed it
    EXPECT_EQ(Clock.Sleeps(), 0u);
    EXPECT_TRUE(Log->TakeVolumes().empty());
    EXPECT_EQ(Log->Read(&TBufferLog::Plays), 0);
  }
}

TEST(BackgroundSound, PlayStartsAtTheVolumeFromARandomWholeFrame) {
  for (uint32_t Size : {RecordingSize, 1001u, 2u}) {
    TPlayerRig Rig(false, Size);
    Rig.Player->SetVolume(70);
    Randomize(0xC0FFEEu + Size);
    uint32_t Replay = 0xC0FFEEu + Size;
    std::vector<uint32_t> Expected;
    for (int I = 0; I < 50; ++I) {
      ASSERT_TRUE(Rig.Player->Play());
      EXPECT_EQ(Rig.Player->GetState(), ssPlaying);
      Rig.Player->Stop();
      EXPECT_EQ(Rig.Player->GetState(), ssStopped);
      Expected.push_back(2 * RandomStep(Replay, Size / 2));
    }
    const auto Positions = Rig.Log->Read(&TBufferLog::Positions);
    EXPECT_EQ(Positions, Expected);
    for (uint32_t P : Positions) {
      EXPECT_EQ(P % 2, 0u);
      EXPECT_LE(P, Size - 2);
    }
    EXPECT_EQ(Rig.Log->TakeVolumes(), std::vector<int32_t>(51, -744));  // SetVolume, then each Play
  }
  // The position is the last thing that can fail before playing.
  TPlayerRig Rig;
  Rig.Log->SetPositionFails = true;
  EXPECT_FALSE(Rig.Player->Play());
  EXPECT_EQ(Rig.Log->Read(&TBufferLog::Plays), 0);
}

TEST(BackgroundSound, LostBufferIsRestoredAndRefilledOrGivenUpAfterTwoSeconds) {
  {
    TPlayerRig Rig;
    Rig.Log->Lost = true;
    Rig.Log->RestoreFailures = 3;
    EXPECT_TRUE(Rig.Player->Play());
    EXPECT_EQ(Rig.Log->Read(&TBufferLog::Restores), 4);
    EXPECT_EQ(Rig.Log->Read(&TBufferLog::Fills), 1);
    EXPECT_EQ(Rig.Clock.Now(), T0 + 30);  // 10 ms after each failed attempt
  }
  {
    TPlayerRig Rig;
    Rig.Log->Lost = true;
    Rig.Log->RestoreFailures = -1;
    EXPECT_FALSE(Rig.Player->Play());
    EXPECT_EQ(Rig.Log->Read(&TBufferLog::Plays), 0);
    EXPECT_EQ(Rig.Log->Read(&TBufferLog::Fills), 0);
    EXPECT_GE(Rig.Clock.Now(), T0 + 2000);
    EXPECT_LE(Rig.Clock.Now(), T0 + 2010);
  }
}

TEST(BackgroundSound, FadeInRisesToNineTenthsAndFadeOutFallsFromThere) {
  TPlayerRig Rig;
  Rig.Player->FadeIn(500);
  ASSERT_TRUE(WaitUntil([&] { return Rig.VolumeCount() >= 11; }));
  // Play starts silent; the ticks come at once and then every 50 ms.
  EXPECT_EQ(Rig.Log->TakeVolumes(), Attenuations({0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
  auto Times = Rig.VolumeTimes();
  EXPECT_EQ(std::vector<uint32_t>(Times.begin() + 1, Times.end()), Every(T0 + 1, 50, 10));
  EXPECT_EQ(Rig.Player->Volume(), 90);
  EXPECT_EQ(Rig.Player->GetState(), ssPlaying);

  const uint64_t Start = Rig.Clock.Now();
  Rig.Player->FadeOut(700);
  ASSERT_TRUE(WaitUntil([&] { return Rig.Log->Read(&TBufferLog::Stops) == 1; }));
  const auto Volumes = Rig.Log->TakeVolumes();
  EXPECT_EQ(std::vector<int32_t>(Volumes.begin() + 11, Volumes.end()),
            Attenuations({90, 81, 72, 63, 54, 45, 36, 27, 18, 9}));
  Times = Rig.VolumeTimes();
  EXPECT_EQ(std::vector<uint32_t>(Times.begin() + 11, Times.end()), Every(Start + 1, 70, 10));
  EXPECT_EQ(Rig.Player->GetState(), ssStopped);
  // The volume from before the fade is back for the next Play.
  EXPECT_EQ(Rig.Player->Volume(), 90);
}

TEST(BackgroundSound, FadeInWaitsForTheDeviceToStartReading) {
  const struct {
    uint32_t MovesAt;  // after T0; the device reads late, or never
    uint32_t FirstStep;
  } Cases[] = {{230, T0 + 251}, {5000, T0 + 1001}};
  for (const auto& c : Cases) {
    TPlayerRig Rig(true);
    Rig.Log->ReportsPosition = true;
    Rig.Log->MovesAt = static_cast<uint32_t>(T0 + c.MovesAt);
    Rig.Player->FadeIn(500);
    // Silent, as Play left it, while the device has not read a byte.
    ASSERT_TRUE(Rig.Clock.RunUntil(c.FirstStep - 2));
    EXPECT_EQ(Rig.Log->TakeVolumes(), Attenuations({0})) << c.MovesAt;
    Rig.Clock.Unlimit();
    ASSERT_TRUE(WaitUntil([&] { return Rig.VolumeCount() >= 11; }));
    EXPECT_EQ(Rig.Log->TakeVolumes(), Attenuations({0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90})) << c.MovesAt;
    const auto Times = Rig.VolumeTimes();
    EXPECT_EQ(std::vector<uint32_t>(Times.begin() + 1, Times.end()), Every(c.FirstStep, 50, 10)) << c.MovesAt;
  }
}

TEST(BackgroundSound, FadeOutDuringFadeInFadesFromThePartialVolume) {
  TPlayerRig Rig(true);
  Rig.Player->FadeIn(500);
  // Ticks at +1, +51, +101, +151 have applied 0, 10, 20, 30.
  ASSERT_TRUE(Rig.Clock.RunUntil(T0 + 160));
  ASSERT_EQ(Rig.Player->Volume(), 30);
  Rig.Player->FadeOut(700);
  Rig.Clock.Unlimit();
  ASSERT_TRUE(WaitUntil([&] { return Rig.Log->Read(&TBufferLog::Stops) == 1; }));
  EXPECT_EQ(Rig.Log->TakeVolumes(), Attenuations({0, 0, 10, 20, 30, 30, 27, 24, 21, 18, 15, 12, 9, 6, 3}));
  EXPECT_EQ(Rig.Player->Volume(), 30);
}

TEST(BackgroundSound, ShortOrNegativeDurationsTickEveryMillisecond) {
  TPlayerRig Rig;
  Rig.Player->FadeIn(7);
  ASSERT_TRUE(WaitUntil([&] { return Rig.VolumeCount() >= 11; }));
  auto Times = Rig.VolumeTimes();
  EXPECT_EQ(std::vector<uint32_t>(Times.begin() + 1, Times.end()), Every(T0 + 1, 1, 10));
  EXPECT_EQ(Rig.Player->Volume(), 90);

  const uint64_t Start = Rig.Clock.Now();
  Rig.Player->FadeOut(-5);
  ASSERT_TRUE(WaitUntil([&] { return Rig.Log->Read(&TBufferLog::Stops) == 1; }));
  Times = Rig.VolumeTimes();
  EXPECT_EQ(std::vector<uint32_t>(Times.begin() + 11, Times.end()), Every(Start + 1, 1, 10));
}

TEST(BackgroundSound, DestroyingThePlayerMidFadeStopsTheFadeFirst) {
  // Each round destroys the player at a different point of its fade; under
  // the sanitizers a tick reaching the freed player would be reported.
  for (size_t Ticks = 0; Ticks <= 11; ++Ticks) {
    auto Log = std::make_shared<TBufferLog>();
    TFakeClock Clock(T0);
    {
      TBackgroundSound Player(std::make_unique<TFakeSoundBuffer>(Log, RecordingSize, Clock), Clock);
      Player.FadeIn(500);
      if (Ticks % 3 == 1) Player.FadeOut(300);  // two fade threads at once
      ASSERT_TRUE(WaitUntil([&] { return Log->TakeVolumes().size() >= Ticks; }));
    }
    EXPECT_TRUE(Log->Read(&TBufferLog::Destroyed));
    EXPECT_EQ(Log->Read(&TBufferLog::CallsAfterDestruction), 0);
    EXPECT_FALSE(Log->Read(&TBufferLog::Playing));
  }
}

// For the sanitizers: fades superseded in quick succession end and are
// joined while the newest one runs.
TEST(BackgroundSound, FadesStartedInQuickSuccessionEndStopped) {
  TPlayerRig Rig;
  for (int I = 0; I < 40; ++I) {
    if (I % 2) {
      Rig.Player->FadeOut(20);
    } else {
      Rig.Player->FadeIn(20);
    }
  }
  // The last is a fade-out: whatever the earlier ones did, it ends stopped.
  ASSERT_TRUE(WaitUntil([&] { return Rig.Player->GetState() == ssStopped; }));
}
