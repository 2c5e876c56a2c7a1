// Soft marimba chimes at random moments on the default MIDI output, on a
// thread of their own that Start and Stop resume and pause.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "core/sound/uSoundDevices.h"

namespace emberdell {

// Offsets from note 60 of the four chimes (MIDI notes 89, 91, 93, 95).
inline constexpr int32_t ChimeNotes[4] = {29, 31, 33, 35};
// General MIDI program 12 counted from 0: Marimba.
constexpr uint32_t ChimeInstrument = 12;

// Note-on velocity for a chimes volume; volumes outside 0..100 are taken as
// the nearer end, so the byte stays a valid MIDI data byte.
uint8_t ChimeVelocity(int32_t Volume);
// Packed messages on channel 1: status byte lowest, then the data bytes.
uint32_t ProgramChangeMessage(uint32_t Program);
uint32_t NoteMessage(int32_t NoteOffset, uint8_t Velocity);
// The chimes' random moments and notes, drawn from the process-wide
// generator in this order: the wait in ms before a chime, then its note
// offset (one of ChimeNotes). Hosts without a MIDI thread play the same.
uint32_t ChimeDelay();
int32_t ChimeNote();

class TBackgroundChimes {
 public:
  // Opens the output (Midi may be null: no MIDI) and selects the marimba;
  // the thread starts paused.
  TBackgroundChimes(std::unique_ptr<IMidiOut> Midi, ITickClock& Clock);
  // Ends the thread within one 10 ms sleep, paused or not, then closes the
  // output.
  ~TBackgroundChimes();
  TBackgroundChimes(const TBackgroundChimes&) = delete;
  TBackgroundChimes& operator=(const TBackgroundChimes&) = delete;

  // Runs the chimes, continuing a wait that Stop interrupted.
  void Start();
  // Silences the last chime and pauses; does nothing at all without an output.
  void Stop();

  // Takes effect at the next chime.
  void SetVolume(int32_t Volume) { FVolume = Volume; }
  int32_t Volume() const { return FVolume; }
  bool Active() const { return FActive; }
  bool DeviceOpen() const { return FDeviceOpen; }

 private:
  void Execute();
  // Returns false when the thread is to end.
  bool WaitDelay(uint32_t Delay);
  // False once terminated; waits out a pause first.
  bool WaitWhilePaused(std::unique_lock<std::mutex>& Lock);
  void SelectInstrument(uint32_t Program);
  void SendNote(int32_t NoteOffset, bool On);

  std::atomic<int32_t> FVolume{100};
  std::atomic<bool> FActive{false};
  bool FDeviceOpen = false;
  std::unique_ptr<IMidiOut> FMidiOut;
  ITickClock& FClock;
  // Guards the pause, FLastNote and every message, so nothing is sent once
  // Stop has returned.
  std::mutex FLock;
  std::condition_variable FResumed;
  bool FPaused = true;
  bool FTerminated = false;
  int32_t FLastNote = 0;
  std::thread FThread;  // last: starts after everything above exists
};

}  // namespace emberdell
