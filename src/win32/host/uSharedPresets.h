// The two style records: the one the engines draw with and the one it moves
// toward. Process-wide like the settings: the frame thread reads and morphs
// them while the main thread (the style timer, the settings window and its
// style editor) replaces them, so every read or write on either thread holds
// PresetLock.
#pragma once

#include <mutex>

#include "core/styles/uPresets.h"

namespace emberdell {

extern TFlamePreset CurrentPreset;
extern TFlamePreset TargetPreset;
extern std::mutex PresetLock;

}  // namespace emberdell
