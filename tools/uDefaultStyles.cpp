#include "tools/uDefaultStyles.h"

#include <algorithm>
#include <cstring>

namespace emberdell {

namespace {

// A channel that stays dark up to Start and then rises at Slope intensity
// steps per degree; stored as 255 minus the intensity.
void Ramp(uint8_t* Curve, int Start, double Slope) {
  for (int t = 0; t < 256; ++t) {
    const double v = t <= Start ? 0.0 : (t - Start) * Slope;
    Curve[t] = static_cast<uint8_t>(255 - std::min(255, static_cast<int>(v + 0.5)));
  }
}

TFlamePreset Make(const char* Name, int Intensity, int Spires, int Wind, int RStart, double RSlope, int GStart,
                  double GSlope, int BStart, double BSlope) {
  TFlamePreset p;
  std::memset(&p, 0, sizeof p);
  SetPresetName(p, Name);
  p.FlameIntensity = Intensity;
  p.SpiresLength = Spires;
  p.Wind = Wind;
  Ramp(p.Red, RStart, RSlope);
  Ramp(p.Green, GStart, GSlope);
  Ramp(p.Blue, BStart, BSlope);
  return p;
}

}  // namespace

std::vector<TDeliveredStyle> DeliveredStyles() {
  return {
      // Embers glowing out of dark wood: red early, yellow late, a touch of
      // white only at the very top.
      {DefaultPresetName, Make(DefaultPresetName, 8, 6, 0, 10, 2.1, 70, 1.45, 180, 2.6)},
      {"Gas Flame", Make("Gas Flame", 9, 7, 0, 120, 1.8, 60, 1.3, 20, 1.6)},
      {"Windy Night", Make("Windy Night", 7, 5, 1, 30, 1.9, 110, 1.7, 200, 3.0)},
  };
}

}  // namespace emberdell
