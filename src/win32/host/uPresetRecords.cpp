#include "win32/host/uPresetRecords.h"

namespace emberdell {

TFlamePreset CurrentPreset{};
TFlamePreset TargetPreset{};
std::mutex PresetLock;

}  // namespace emberdell
