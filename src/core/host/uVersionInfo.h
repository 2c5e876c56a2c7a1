// The version text shown in the About label, from the two 32-bit words of the
// executable's file version: 4.0.0.358 reads "4.00.358".
#pragma once

#include <cstdint>
#include <string>

namespace emberdell {

// Minor and release are written side by side with no separator between them.
std::string FormatVersionText(uint32_t FileVersionMS, uint32_t FileVersionLS);

}  // namespace emberdell
