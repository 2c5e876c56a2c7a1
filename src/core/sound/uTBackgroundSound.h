// The looping fire recording: play, stop, a 0..100 volume on a logarithmic
// attenuation curve, and ten-step fades run by a short-lived tick thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/sound/uSoundDevices.h"

namespace emberdell {

enum TSoundState { ssNoDevice, ssPlaying, ssStopped };

// The recording is made at 22,050 frames a second and played slower, at
// this rate, which deepens the roar.
constexpr uint32_t FirePlaybackRate = 17000;

// Attenuation in hundredths of a decibel for a volume; volumes outside 0..100
// are taken as the nearer end.
int32_t VolumeToAttenuation(int32_t Volume);

// Calls its tick every Interval ms, the first one at once, until terminated.
// Ticks happen on the thread itself.
class TBGSoundTimerThread {
 public:
  TBGSoundTimerThread(uint32_t Interval, std::function<void()> OnTick, ITickClock& Clock);
  // Terminates and joins.
  ~TBGSoundTimerThread();
  TBGSoundTimerThread(const TBGSoundTimerThread&) = delete;
  TBGSoundTimerThread& operator=(const TBGSoundTimerThread&) = delete;

  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  bool Finished() const { return FFinished; }
  void WaitFor();

 private:
  void Execute();

  const uint32_t FInterval;
  uint32_t FLastTick = 0;  // 0, so the first tick comes at once
  std::function<void()> FOnTick;
  ITickClock& FClock;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  std::thread FThread;  // last: starts after everything above exists
};

class TBackgroundSound {
 public:
  // Buffer may be null (no sound device): the player is then inert.
  TBackgroundSound(std::unique_ptr<ISoundBuffer> Buffer, ITickClock& Clock);
  // Ends any fade before the buffer goes, so no tick reaches a dead player.
  ~TBackgroundSound();
  TBackgroundSound(const TBackgroundSound&) = delete;
  TBackgroundSound& operator=(const TBackgroundSound&) = delete;

  bool Play();
  void Stop();
  void SetVolume(int32_t Volume);
  int32_t Volume();
  TSoundState GetState();
  void FadeIn(int32_t Duration);
  void FadeOut(int32_t Duration);

 private:
  bool PlayLocked();
  void SetVolumeLocked(int32_t Volume);
  void StopLocked();
  bool RestoreIfLost();
  void StartFade(int32_t Duration, void (TBackgroundSound::*Tick)(uint64_t));
  void FadeInTick(uint64_t Fade);
  void FadeOutTick(uint64_t Fade);

  std::unique_ptr<ISoundBuffer> FBuffer;  // null when inert
  ITickClock& FClock;
  uint32_t FDataSize = 0;
  // Guards the volume fields and the buffer against the fade thread.
  std::mutex FLock;
  int32_t FVolume = 100;
  int32_t FSavedVolume = 100;
  int32_t FFadeStep = 0;
  // A fade-in waits until the device has begun to read: a device may start
  // well after Play, and the fade must not run out on the clock meanwhile.
  bool FAwaitingDevice = false;
  uint32_t FStartPosition = 0;
  uint32_t FFadeInStart = 0;
  // The current fade is the last entry; earlier ones have been told to end
  // and are joined once they have.
  std::vector<std::unique_ptr<TBGSoundTimerThread>> FFadeThreads;
  uint64_t FFade = 0;  // which fade the ticks belong to
};

}  // namespace emberdell
