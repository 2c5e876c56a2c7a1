#include "win32/sound/uMidiMapperOut.h"

namespace emberdell {

bool TMidiMapperOut::Open() {
  if (FHandle != nullptr) return true;
  HMIDIOUT Handle = nullptr;
  if (midiOutOpen(&Handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
  FHandle = Handle;
  return true;
}

void TMidiMapperOut::ShortMsg(uint32_t Message) {
  if (FHandle != nullptr) midiOutShortMsg(FHandle, Message);
}

void TMidiMapperOut::Close() {
  if (FHandle == nullptr) return;
  midiOutClose(FHandle);
  FHandle = nullptr;
}

}  // namespace emberdell
