// How the screensaver host tells us what to do: the first argument carries
// the mode letter, the second a window handle in decimal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace emberdell {

enum TWorkingMode : uint8_t { wmFullScreen = 0, wmPreview = 1, wmSettings = 2, wmPassword = 3 };

struct TCommandLine {
  TWorkingMode Mode = wmFullScreen;
  uint32_t ParentWindow = 0;  // the handle's 32 bits; 0 when missing or malformed
};

// Args excludes the program name.
TCommandLine RetrieveWorkingMode(const std::vector<std::string>& Args);

// Decimal integer as the host writes window handles; false for anything else.
bool ParseDecimalHandle(const std::string& Text, uint32_t& Value);

}  // namespace emberdell
