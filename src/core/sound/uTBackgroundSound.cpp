#include "core/sound/uTBackgroundSound.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/shared/uGuard.h"
#include "core/shared/uPrecision.h"
#include "core/shared/uRandom.h"

namespace emberdell {

namespace {
// A device that keeps refusing to give a lost buffer back (another program
// holding it exclusively) must not hang the screen saver: after this long
// Play gives up and the fire stays silent.
constexpr uint32_t RestoreTimeout = 2000;
constexpr uint32_t RestoreRetryDelay = 10;
constexpr int32_t FadeSteps = 10;
// A device that never reports reading gets its fade-in after this long.
constexpr uint32_t DeviceStartTimeout = 1000;
}  // namespace

int32_t VolumeToAttenuation(int32_t Volume) {
  // Below 0 the logarithm has no value; above 100 the device has no more gain.
  Volume = std::clamp<int32_t>(Volume, 0, 100);
  TExtendedPrecision Precision;
  const TExtended Level = TExtended(10000) / Log(TExtended(100)) * Log(TExtended(Volume) + 1) - 10000;
  // nearbyint rounds half to even in the default rounding mode.
  const TExtended Rounded = NearbyInt(Level);
  return std::min<int32_t>(static_cast<int32_t>(Rounded), 0);
}

// ---------------------------------------------------------------------------

TBGSoundTimerThread::TBGSoundTimerThread(uint32_t Interval, std::function<void()> OnTick, ITickClock& Clock)
    : FInterval(Interval), FOnTick(std::move(OnTick)), FClock(Clock), FThread([this] { Execute(); }) {}

TBGSoundTimerThread::~TBGSoundTimerThread() {
  Terminate();
  WaitFor();
}

void TBGSoundTimerThread::WaitFor() {
  if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id()) FThread.join();
}

void TBGSoundTimerThread::Execute() {
  for (;;) {
    FClock.Sleep(1);
    // Unsigned difference: right across the tick count's wrap.
    if (FClock.GetTickCount() - FLastTick < FInterval && !FTerminated) continue;
    FLastTick = FClock.GetTickCount();
    // A failed step of a fade is dropped; the next one sets the volume again.
    if (FOnTick && !FTerminated) RunGuarded(FOnTick);
    if (FTerminated) break;
  }
  FFinished = true;
}

// ---------------------------------------------------------------------------

TBackgroundSound::TBackgroundSound(std::unique_ptr<ISoundBuffer> Buffer, ITickClock& Clock)
    : FBuffer(std::move(Buffer)), FClock(Clock) {
  if (FBuffer) FDataSize = FBuffer->Size();
  // An empty recording cannot make a device buffer; treat it like no device.
  if (FDataSize < 2) FBuffer.reset();
}

TBackgroundSound::~TBackgroundSound() {
  std::vector<std::unique_ptr<TBGSoundTimerThread>> Fades;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    Fades.swap(FFadeThreads);
    ++FFade;  // a tick already waiting for the lock now finds itself stale
    for (auto& Fade : Fades) Fade->Terminate();
  }
  // Joined without the lock: a tick under way needs it to finish.
  Fades.clear();
  Stop();
}

bool TBackgroundSound::Play() {
  std::lock_guard<std::mutex> Guard(FLock);
  return PlayLocked();
}

void TBackgroundSound::Stop() {
  std::lock_guard<std::mutex> Guard(FLock);
  StopLocked();
}

void TBackgroundSound::SetVolume(int32_t Volume) {
  std::lock_guard<std::mutex> Guard(FLock);
  SetVolumeLocked(Volume);
}

int32_t TBackgroundSound::Volume() {
  std::lock_guard<std::mutex> Guard(FLock);
  return FVolume;
}

TSoundState TBackgroundSound::GetState() {
  std::lock_guard<std::mutex> Guard(FLock);
  if (!FBuffer) return ssNoDevice;
  uint32_t Status = 0;
  FBuffer->GetStatus(Status);
  return (Status & sbPlaying) ? ssPlaying : ssStopped;
}

bool TBackgroundSound::PlayLocked() {
  if (!FBuffer || !RestoreIfLost()) return false;
  SetVolumeLocked(FVolume);
  // A random whole frame, so each run does not open with the same crackle.
  const uint32_t Offset = 2 * Random(FDataSize / 2);
  if (!FBuffer->SetPosition(Offset)) return false;
  return FBuffer->PlayLooping();
}

void TBackgroundSound::SetVolumeLocked(int32_t Volume) {
  FVolume = std::clamp<int32_t>(Volume, 0, 100);
  if (FBuffer) FBuffer->SetVolume(VolumeToAttenuation(FVolume));
}

void TBackgroundSound::StopLocked() {
  if (FBuffer) FBuffer->Stop();
}

bool TBackgroundSound::RestoreIfLost() {
  uint32_t Status = 0;
  if (!FBuffer->GetStatus(Status)) return false;
  if (!(Status & sbBufferLost)) return true;
  const uint32_t Start = FClock.GetTickCount();
  while (!FBuffer->Restore()) {
    if (FClock.GetTickCount() - Start >= RestoreTimeout) return false;
    FClock.Sleep(RestoreRetryDelay);
  }
  return FBuffer->Fill();
}

void TBackgroundSound::FadeIn(int32_t Duration) {
  std::lock_guard<std::mutex> Guard(FLock);
  if (!FBuffer) return;
  FSavedVolume = FVolume;
  FVolume = 0;
  FFadeStep = 0;
  FAwaitingDevice = PlayLocked() && FBuffer->GetPlayPosition(FStartPosition);
  FFadeInStart = FClock.GetTickCount();
  StartFade(Duration, &TBackgroundSound::FadeInTick);
}

void TBackgroundSound::FadeOut(int32_t Duration) {
  std::lock_guard<std::mutex> Guard(FLock);
  if (!FBuffer) return;
  FSavedVolume = FVolume;
  FFadeStep = FadeSteps;
  FAwaitingDevice = false;
  StartFade(Duration, &TBackgroundSound::FadeOutTick);
}

// Called with the lock held.
void TBackgroundSound::StartFade(int32_t Duration, void (TBackgroundSound::*Tick)(uint64_t)) {
  // Fades that have ended are joined here; joining them cannot wait on the
  // lock because their threads are already past their last tick.
  std::erase_if(FFadeThreads, [](const auto& Fade) { return Fade->Finished(); });
  for (auto& Fade : FFadeThreads) Fade->Terminate();
  const uint64_t Fade = ++FFade;
  // A negative duration would wrap to an interval of weeks.
  const uint32_t Interval = static_cast<uint32_t>(std::max<int32_t>(Duration, 0) / FadeSteps);
  FFadeThreads.push_back(
      std::make_unique<TBGSoundTimerThread>(Interval, [this, Tick, Fade] { (this->*Tick)(Fade); }, FClock));
}

void TBackgroundSound::FadeInTick(uint64_t Fade) {
  std::lock_guard<std::mutex> Guard(FLock);
  // A tick of a superseded fade that was already on its way when the new fade
  // started: applying it would disturb the new fade's steps.
  if (Fade != FFade) return;
  if (FAwaitingDevice) {
    uint32_t Position = FStartPosition;
    const bool Known = FBuffer->GetPlayPosition(Position);
    if (Known && Position == FStartPosition && FClock.GetTickCount() - FFadeInStart < DeviceStartTimeout) return;
    FAwaitingDevice = false;
  }
  SetVolumeLocked(FSavedVolume * FFadeStep / FadeSteps);
  if (++FFadeStep >= FadeSteps) FFadeThreads.back()->Terminate();
}

void TBackgroundSound::FadeOutTick(uint64_t Fade) {
  std::lock_guard<std::mutex> Guard(FLock);
  if (Fade != FFade) return;
  SetVolumeLocked(FSavedVolume * FFadeStep / FadeSteps);
  if (--FFadeStep <= 0) {
    FFadeThreads.back()->Terminate();
    StopLocked();
    // The next Play starts at the volume from before the fade.
    FVolume = FSavedVolume;
  }
}

}  // namespace emberdell
