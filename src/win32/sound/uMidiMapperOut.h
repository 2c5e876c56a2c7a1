// The chimes' device: the system's MIDI mapper, which forwards to whatever
// synthesiser the user has chosen.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include "core/sound/uSoundDevices.h"

namespace emberdell {

class TMidiMapperOut final : public IMidiOut {
 public:
  ~TMidiMapperOut() override { Close(); }
  // False without a synthesiser or when it is busy; then nothing is sent.
  bool Open() override;
  void ShortMsg(uint32_t Message) override;
  void Close() override;

 private:
  HMIDIOUT FHandle = nullptr;
};

}  // namespace emberdell
