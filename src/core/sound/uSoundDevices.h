// The two sound devices the players drive, as small interfaces: the host
// implements them over DirectSound and the MIDI mapper, tests fake them. The
// millisecond clock is the one the frame pacer already uses (ITickClock).
#pragma once

#include <cstdint>

#include "core/host/uTTimerThread.h"

namespace emberdell {

// Bits of ISoundBuffer::GetStatus, as the device reports them.
constexpr uint32_t sbPlaying = 1;
constexpr uint32_t sbBufferLost = 2;

// One static buffer holding the whole fire recording, created and filled by
// the host before the player gets it. Calls may come from the owner's thread
// and from a fade thread; the player never makes two at once.
class ISoundBuffer {
 public:
  virtual ~ISoundBuffer() = default;
  // Bytes of recording in the buffer; 0 makes the player inert.
  virtual uint32_t Size() = 0;
  virtual bool GetStatus(uint32_t& Status) = 0;
  // Gets a lost buffer back from the device; Fill then puts the recording in.
  virtual bool Restore() = 0;
  virtual bool Fill() = 0;
  // Attenuation in hundredths of a decibel, -10000 (silence) to 0.
  virtual void SetVolume(int32_t Centibels) = 0;
  virtual bool SetPosition(uint32_t ByteOffset) = 0;
  // Where the device is reading; false when it cannot tell.
  virtual bool GetPlayPosition(uint32_t& ByteOffset) {
    (void)ByteOffset;
    return false;
  }
  virtual bool PlayLooping() = 0;
  virtual void Stop() = 0;
};

// The default MIDI output. Messages are packed as the short-message call
// takes them: status byte lowest, then the two data bytes.
class IMidiOut {
 public:
  virtual ~IMidiOut() = default;
  virtual bool Open() = 0;
  virtual void ShortMsg(uint32_t Message) = 0;
  virtual void Close() = 0;
};

}  // namespace emberdell
