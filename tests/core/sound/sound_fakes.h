// Fakes for the sound tests: a sound buffer and a MIDI output that record
// what reaches them, timed by the shared fake clock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/sound/uSoundDevices.h"
#include "tests/support/fake_clock.h"
#include "tests/support/wait_until.h"

namespace emberdell::testing {

using support::TFakeClock;
using support::WaitUntil;

// What reached a fake sound buffer. Shared with the test, so it outlives the
// buffer the player owns.
struct TBufferLog {
  std::mutex Lock;
  std::vector<int32_t> Volumes;  // centibels, in order
  std::vector<uint32_t> VolumeTimes;
  std::vector<uint32_t> Positions;
  int Plays = 0, Stops = 0, Restores = 0, Fills = 0;
  bool Playing = false;
  bool Lost = false;
  int RestoreFailures = 0;  // attempts that fail before one succeeds; < 0: all
  bool SetPositionFails = false;
  // A device that reports where it reads: still at the start until MovesAt.
  bool ReportsPosition = false;
  uint32_t MovesAt = 0;
  bool Destroyed = false;
  int CallsAfterDestruction = 0;

  std::vector<int32_t> TakeVolumes() {
    std::lock_guard<std::mutex> Guard(Lock);
    return Volumes;
  }
  template <class T>
  T Read(T TBufferLog::*Field) {
    std::lock_guard<std::mutex> Guard(Lock);
    return this->*Field;
  }
};

class TFakeSoundBuffer : public ISoundBuffer {
 public:
  TFakeSoundBuffer(std::shared_ptr<TBufferLog> Log, uint32_t Size, ITickClock& Clock)
      : FLog(std::move(Log)), FSize(Size), FClock(Clock) {}
  ~TFakeSoundBuffer() override {
    std::lock_guard<std::mutex> Guard(FLog->Lock);
    FLog->Destroyed = true;
  }

  uint32_t Size() override { return FSize; }
  bool GetStatus(uint32_t& Status) override {
    auto Guard = Enter();
    Status = (FLog->Playing ? sbPlaying : 0) | (FLog->Lost ? sbBufferLost : 0);
    return true;
  }
  bool Restore() override {
    auto Guard = Enter();
    ++FLog->Restores;
    if (FLog->RestoreFailures < 0) return false;
    if (FLog->RestoreFailures > 0) {
      --FLog->RestoreFailures;
      return false;
    }
    FLog->Lost = false;
    return true;
  }
  bool Fill() override {
    auto Guard = Enter();
    ++FLog->Fills;
    return true;
  }
  void SetVolume(int32_t Centibels) override {
    const uint32_t Now = FClock.GetTickCount();
    auto Guard = Enter();
    FLog->Volumes.push_back(Centibels);
    FLog->VolumeTimes.push_back(Now);
  }
  bool SetPosition(uint32_t ByteOffset) override {
    auto Guard = Enter();
    FLog->Positions.push_back(ByteOffset);
    return !FLog->SetPositionFails;
  }
  bool GetPlayPosition(uint32_t& ByteOffset) override {
    const uint32_t Now = FClock.GetTickCount();
    auto Guard = Enter();
    if (!FLog->ReportsPosition) return false;
    ByteOffset = FLog->Positions.empty() ? 0 : FLog->Positions.back();
    if (Now >= FLog->MovesAt) ByteOffset += 4;
    return true;
  }
  bool PlayLooping() override {
    auto Guard = Enter();
    ++FLog->Plays;
    FLog->Playing = !FLog->Lost;
    return FLog->Playing;
  }
  void Stop() override {
    auto Guard = Enter();
    ++FLog->Stops;
    FLog->Playing = false;
  }

 private:
  std::unique_lock<std::mutex> Enter() {
    std::unique_lock<std::mutex> Guard(FLog->Lock);
    if (FLog->Destroyed) ++FLog->CallsAfterDestruction;
    return Guard;
  }

  std::shared_ptr<TBufferLog> FLog;
  uint32_t FSize;
  ITickClock& FClock;
};

struct TMidiLog {
  std::mutex Lock;
  std::vector<uint32_t> Messages;
  std::vector<uint32_t> Times;
  bool OpenSucceeds = true;
  int Opens = 0, Closes = 0;
  int MessagesAfterClose = 0;

  std::vector<uint32_t> TakeMessages() {
    std::lock_guard<std::mutex> Guard(Lock);
    return Messages;
  }
  size_t NoteOns() {
    std::lock_guard<std::mutex> Guard(Lock);
    size_t Count = 0;
    for (uint32_t M : Messages) Count += (M & 0xF0) == 0x90 && (M >> 16) != 0;
    return Count;
  }
};

class TFakeMidiOut : public IMidiOut {
 public:
  TFakeMidiOut(std::shared_ptr<TMidiLog> Log, ITickClock& Clock) : FLog(std::move(Log)), FClock(Clock) {}
  bool Open() override {
    std::lock_guard<std::mutex> Guard(FLog->Lock);
    ++FLog->Opens;
    return FLog->OpenSucceeds;
  }
  void ShortMsg(uint32_t Message) override {
    const uint32_t Now = FClock.GetTickCount();
    std::lock_guard<std::mutex> Guard(FLog->Lock);
    if (FLog->Closes > 0) ++FLog->MessagesAfterClose;
    FLog->Messages.push_back(Message);
    FLog->Times.push_back(Now);
  }
  void Close() override {
    std::lock_guard<std::mutex> Guard(FLog->Lock);
    ++FLog->Closes;
  }

 private:
  std::shared_ptr<TMidiLog> FLog;
  ITickClock& FClock;
};

}  // namespace emberdell::testing
