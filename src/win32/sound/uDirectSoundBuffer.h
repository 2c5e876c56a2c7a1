// The fire sound's device: one static, looping DirectSound buffer holding the
// whole recording from the executable's resources.
#pragma once

#include <windows.h>

#include <memory>

#include "core/sound/uSoundDevices.h"

namespace emberdell {

// Resource type of the sound recordings; the fire is the one named "FIRE".
inline constexpr wchar_t kSoundResourceType[] = L"BGSOUND";
inline constexpr wchar_t kFireSoundResource[] = L"FIRE";

// The recording's bytes in Module, or an empty span (Size 0) when it has no
// such resource.
struct TSoundResource {
  const uint8_t* Data = nullptr;
  uint32_t Size = 0;
};
TSoundResource FindSoundResource(HMODULE Module, const wchar_t* Name);

// The device and a buffer filled with the recording, ready for
// TBackgroundSound; null when there is no sound (no DirectSound, no output
// device, no such resource, or the device refuses the buffer). Window is the
// application's main window, which the device's cooperative level is tied to.
std::unique_ptr<ISoundBuffer> CreateDirectSoundBuffer(HMODULE Module, const wchar_t* ResourceName, HWND Window);

}  // namespace emberdell
