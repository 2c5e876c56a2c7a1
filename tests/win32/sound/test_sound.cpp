// The sound back-ends on the devices this machine really has: the fire
// recording inside Emberdell.scr, the DirectSound buffer the fire player
// drives, the MIDI mapper under the chimes, and the players each working mode
// gets. Where scripts/test has put a sound server up it says so
// (EMBERDELL_EXPECT_SOUND=1), and a missing device is then a failure.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "tests/support/scr_resources.h"
#include "tests/win32/harness/scr_process.h"
#include "tools/uFireRecording.h"
#include "win32/sound/uDirectSoundBuffer.h"
#include "win32/sound/uMidiMapperOut.h"
#include "win32/sound/uRunSound.h"
#include "win32/host/uWinClock.h"

namespace emberdell::test {
namespace {

constexpr DWORD kDeadlineMs = 10000;
constexpr uint32_t kRecordingBytes = FireRecordingFrames * FireRecordingChannels;

bool SoundExpected() {
  const char* Value = std::getenv("EMBERDELL_EXPECT_SOUND");
  return Value != nullptr && std::strcmp(Value, "1") == 0;
}

// Emberdell.scr's resources, without running it.
class TScrResources : public support::TScrResources {
 public:
  TScrResources() : support::TScrResources(ScrPath()) {}
};

// A hidden window standing in for the main form the device is tied to.
class THiddenWindow {
 public:
  THiddenWindow()
      : FWindow(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr)) {}
  ~THiddenWindow() {
    if (FWindow != nullptr) DestroyWindow(FWindow);
  }
  THiddenWindow(const THiddenWindow&) = delete;
  THiddenWindow& operator=(const THiddenWindow&) = delete;
  HWND Handle() const { return FWindow; }

 private:
  HWND FWindow;
};

TEST(FireResource, ScrCarriesTheRecording) {
  TScrResources Scr;
  ASSERT_NE(Scr.Module(), nullptr) << "cannot open Emberdell.scr: " << GetLastError();
  const TSoundResource Fire = FindSoundResource(Scr.Module(), kFireSoundResource);
  ASSERT_EQ(Fire.Size, kRecordingBytes);
  // Made by the build machine's compiler, compared with this program's: the
  // recording must not depend on which one made it.
  const std::vector<uint8_t> Expected = MakeFireRecording();
  ASSERT_EQ(Expected.size(), Fire.Size);
  EXPECT_EQ(std::memcmp(Fire.Data, Expected.data(), Fire.Size), 0);

  EXPECT_EQ(FindSoundResource(Scr.Module(), L"WATER").Size, 0u);
  THiddenWindow Window;
  EXPECT_EQ(CreateDirectSoundBuffer(Scr.Module(), L"WATER", Window.Handle()), nullptr)
      << "a buffer without a recording";
}

TEST(DirectSoundBuffer, PlaysStopsAndFadesTheRecording) {
  TScrResources Scr;
  ASSERT_NE(Scr.Module(), nullptr);
  THiddenWindow Window;
  std::unique_ptr<ISoundBuffer> Buffer = CreateDirectSoundBuffer(Scr.Module(), kFireSoundResource, Window.Handle());
  if (Buffer == nullptr) {
    ASSERT_FALSE(SoundExpected()) << "no sound device although a sound server is running";
    GTEST_SKIP() << "no sound device on this machine";
  }
  EXPECT_EQ(Buffer->Size(), kRecordingBytes);
  uint32_t Status = ~0u;
  ASSERT_TRUE(Buffer->GetStatus(Status));
  EXPECT_EQ(Status & (sbPlaying | sbBufferLost), 0u);
  Buffer->SetVolume(-10000);
  EXPECT_TRUE(Buffer->SetPosition(kRecordingBytes - 2));
  ASSERT_TRUE(Buffer->PlayLooping());
  ASSERT_TRUE(Buffer->GetStatus(Status));
  EXPECT_NE(Status & sbPlaying, 0u);
  Buffer->Stop();
  ASSERT_TRUE(Buffer->GetStatus(Status));
  EXPECT_EQ(Status & sbPlaying, 0u);

  // The player over the real buffer, through a whole fade-in and fade-out.
  TWinTickClock Clock;
  TBackgroundSound Sound(std::move(Buffer), Clock);
  ASSERT_EQ(Sound.GetState(), ssStopped);
  Sound.FadeIn(100);
  EXPECT_EQ(Sound.GetState(), ssPlaying);
  EXPECT_TRUE(WaitUntil(kDeadlineMs, [&] { return Sound.Volume() == 90; })) << "fade-in did not reach 90";
  EXPECT_EQ(Sound.GetState(), ssPlaying);
  Sound.FadeOut(100);
  EXPECT_TRUE(WaitUntil(kDeadlineMs, [&] { return Sound.GetState() == ssStopped; })) << "fade-out did not stop";
  EXPECT_EQ(Sound.Volume(), 90);
  // Played again, it starts from a new place at the volume before the fade.
  EXPECT_TRUE(Sound.Play());
  EXPECT_EQ(Sound.GetState(), ssPlaying);
}

TEST(MidiMapperOut, OpensOnlyWithASynthesiserAndChimesNeverBreak) {
  const bool HasPort = midiOutGetNumDevs() > 0;
  {
    TMidiMapperOut Out;
    EXPECT_EQ(Out.Open(), HasPort);
    // Silent either way: a note-on of velocity 0 is a note-off.
    Out.ShortMsg(0x00005D90);
    Out.Close();
    Out.Close();
  }
  TWinTickClock Clock;
  TBackgroundChimes Chimes(std::make_unique<TMidiMapperOut>(), Clock);
  EXPECT_EQ(Chimes.DeviceOpen(), HasPort);
  Chimes.SetVolume(0);
  Chimes.Start();
  EXPECT_TRUE(Chimes.Active());
  Chimes.Stop();
  // Without an output Stop does nothing at all, not even clear the flag.
  EXPECT_EQ(Chimes.Active(), !HasPort);
}

TEST(RunSound, WorkingModesGetThePlayersTheirOptionsAskFor) {
  TSettings On, Off;
  Off.PlayFireSound = Off.PlayChimesSound = false;
  TSettings FireOnly = Off;
  FireOnly.PlayFireSound = true;
  for (TWorkingMode Mode : {wmPreview, wmPassword}) {
    EXPECT_FALSE(WantsFireSound(Mode, On));
    EXPECT_FALSE(WantsChimes(Mode, On));
  }
  EXPECT_TRUE(WantsFireSound(wmFullScreen, On));
  EXPECT_TRUE(WantsChimes(wmFullScreen, On));
  EXPECT_FALSE(WantsFireSound(wmFullScreen, Off));
  EXPECT_FALSE(WantsChimes(wmFullScreen, Off));
  EXPECT_TRUE(WantsFireSound(wmFullScreen, FireOnly));
  EXPECT_FALSE(WantsChimes(wmFullScreen, FireOnly));
  // The settings window tries both sounds out whatever the options say.
  EXPECT_TRUE(WantsFireSound(wmSettings, Off));
  EXPECT_TRUE(WantsChimes(wmSettings, Off));

  TScrResources Scr;
  ASSERT_NE(Scr.Module(), nullptr);
  THiddenWindow Window;
  TWinTickClock Clock;
  {
    TRunSound Silent(wmFullScreen, Off, Scr.Module(), Window.Handle(), Clock);
    EXPECT_EQ(Silent.FireSound(), nullptr);
    EXPECT_EQ(Silent.Chimes(), nullptr);
    Silent.StartRun(Off);
    Silent.BeginExit(PlanExit(true, 700, false));
  }
  TSettings Loud = Off;
  Loud.FireVolume = 150;  // only a hand-edited file says so
  Loud.ChimesVolume = 30;
  TRunSound Settings(wmSettings, Loud, Scr.Module(), Window.Handle(), Clock);
  ASSERT_NE(Settings.FireSound(), nullptr);
  ASSERT_NE(Settings.Chimes(), nullptr);
  EXPECT_EQ(Settings.FireSound()->Volume(), 100);
  EXPECT_EQ(Settings.Chimes()->Volume(), 30);
  // Created, not started: the settings window plays only on request.
  if (SoundExpected()) {
    EXPECT_EQ(Settings.FireSound()->GetState(), ssStopped);
  }
  EXPECT_FALSE(Settings.Chimes()->Active());
}

TEST(RunSound, FullScreenRunFadesTheFireInAndOut) {
  TScrResources Scr;
  ASSERT_NE(Scr.Module(), nullptr);
  THiddenWindow Window;
  TWinTickClock Clock;
  TSettings Values;
  Values.FireVolume = 60;
  TRunSound Run(wmFullScreen, Values, Scr.Module(), Window.Handle(), Clock);
  TBackgroundSound* Fire = Run.FireSound();
  ASSERT_NE(Fire, nullptr);
  ASSERT_NE(Run.Chimes(), nullptr);
  if (Fire->GetState() == ssNoDevice) {
    ASSERT_FALSE(SoundExpected()) << "no sound device although a sound server is running";
    GTEST_SKIP() << "no sound device on this machine";
  }
  Run.StartRun(Values);
  EXPECT_EQ(Fire->GetState(), ssPlaying);
  EXPECT_TRUE(Run.Chimes()->Active());
  // The fade-in ends at nine tenths of the volume.
  EXPECT_TRUE(WaitUntil(kDeadlineMs, [&] { return Fire->Volume() == 54; }));
  // Closing at once leaves the sound to the players' destruction.
  Run.BeginExit(PlanExit(false, 700, true));
  EXPECT_EQ(Fire->GetState(), ssPlaying);
  Run.BeginExit(PlanExit(true, 300, true));
  EXPECT_TRUE(WaitUntil(kDeadlineMs, [&] { return Fire->GetState() == ssStopped; }));
  EXPECT_EQ(Fire->Volume(), 54);
}

}  // namespace
}  // namespace emberdell::test
