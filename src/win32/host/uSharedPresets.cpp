#include "win32/host/uSharedPresets.h"

namespace emberdell {

TFlamePreset CurrentPreset{};
TFlamePreset TargetPreset{};
std::mutex PresetLock;

}  // namespace emberdell
