#include "core/sound/uTBackgroundChimes.h"

#include <algorithm>
#include <utility>

#include "core/shared/uGuard.h"
#include "core/shared/uRandom.h"

namespace emberdell {

namespace {
constexpr uint32_t NoteOnStatus = 0x90;  // channel 1
constexpr uint32_t ProgramChangeStatus = 0xC0;
constexpr int32_t NoteBase = 60;
constexpr uint32_t WaitSlice = 10;
constexpr uint32_t ShortestWait = 200;
constexpr uint32_t WaitSpread = 4000;
}  // namespace

uint8_t ChimeVelocity(int32_t Volume) {
  return static_cast<uint8_t>(std::clamp<int32_t>(Volume, 0, 100) * 127 / 100);
}

uint32_t ProgramChangeMessage(uint32_t Program) { return ProgramChangeStatus | (Program & 0x7F) << 8; }

uint32_t NoteMessage(int32_t NoteOffset, uint8_t Velocity) {
  return NoteOnStatus | static_cast<uint32_t>(NoteOffset + NoteBase) << 8 | static_cast<uint32_t>(Velocity) << 16;
}

TBackgroundChimes::TBackgroundChimes(std::unique_ptr<IMidiOut> Midi, ITickClock& Clock)
    : FMidiOut(std::move(Midi)), FClock(Clock) {
  FDeviceOpen = FMidiOut && FMidiOut->Open();
  SelectInstrument(ChimeInstrument);
  // A device that fails mid-run ends the chimes, never the process.
  FThread = std::thread([this] { RunGuarded([this] { Execute(); }); });
}

TBackgroundChimes::~TBackgroundChimes() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FTerminated = true;
    // Released, so a paused or never-started thread sees the flag.
    FPaused = false;
  }
  FResumed.notify_all();
  if (FThread.joinable()) FThread.join();
  if (FDeviceOpen) FMidiOut->Close();
}

uint32_t ChimeDelay() { return ShortestWait + Random(WaitSpread); }
int32_t ChimeNote() { return ChimeNotes[Random(4)]; }

void TBackgroundChimes::Start() {
  FActive = true;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FPaused = false;
  }
  FResumed.notify_all();
}

void TBackgroundChimes::Stop() {
  if (!FDeviceOpen) return;
  FActive = false;
  std::lock_guard<std::mutex> Guard(FLock);
  SendNote(FLastNote, false);
  FPaused = true;
}

bool TBackgroundChimes::WaitWhilePaused(std::unique_lock<std::mutex>& Lock) {
  FResumed.wait(Lock, [this] { return !FPaused || FTerminated; });
  return !FTerminated;
}

void TBackgroundChimes::Execute() {
  {
    std::unique_lock<std::mutex> Lock(FLock);
    if (!WaitWhilePaused(Lock)) return;
  }
  for (;;) {
    if (!WaitDelay(ChimeDelay())) return;
    const int32_t Note = ChimeNote();
    std::unique_lock<std::mutex> Lock(FLock);
    // A Stop between the end of the wait and here holds the chime back until
    // the next Start, as if the thread had been frozen at this point.
    if (!WaitWhilePaused(Lock)) return;
    FLastNote = Note;
    SendNote(FLastNote, true);
  }
}

bool TBackgroundChimes::WaitDelay(uint32_t Delay) {
  const uint32_t Begin = FClock.GetTickCount();
  for (;;) {
    FClock.Sleep(WaitSlice);
    {
      std::unique_lock<std::mutex> Lock(FLock);
      // Time spent paused counts toward the wait: a Start after a long pause
      // chimes within one slice.
      if (!WaitWhilePaused(Lock)) return false;
    }
    // Unsigned difference: right at any uptime and across the counter's wrap.
    if (FClock.GetTickCount() - Begin >= Delay) return true;
  }
}

// Both senders run with FLock held, or before the thread exists.
void TBackgroundChimes::SelectInstrument(uint32_t Program) {
  if (FDeviceOpen) FMidiOut->ShortMsg(ProgramChangeMessage(Program));
}

void TBackgroundChimes::SendNote(int32_t NoteOffset, bool On) {
  if (FDeviceOpen) FMidiOut->ShortMsg(NoteMessage(NoteOffset, On ? ChimeVelocity(FVolume) : 0));
}

}  // namespace emberdell
