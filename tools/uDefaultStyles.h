// The flame styles delivered with the program, made from a few numbers so
// that the files in resources/ can be checked and remade.
#pragma once

#include <string>
#include <vector>

#include "core/styles/uPresets.h"

namespace emberdell {

struct TDeliveredStyle {
  std::string Name;
  TFlamePreset Preset;
};

std::vector<TDeliveredStyle> DeliveredStyles();

}  // namespace emberdell
