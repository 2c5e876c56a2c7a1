#include "core/dialogs/uAlphaIconBlend.h"

#include <algorithm>
#include <cmath>

#include "core/shared/uPrecision.h"

namespace emberdell {

uint8_t BlendAlphaChannel(uint8_t Background, uint8_t Icon, uint8_t Alpha) {
  const TExtendedPrecision Precision;
  const float Under = static_cast<float>(TExtended(Background) * (255 - Alpha) / 255);
  const float Over = static_cast<float>(TExtended(Icon) * Alpha / 255);
  const TExtended Sum = TExtended(Under) + Over;
  return static_cast<uint8_t>(std::clamp<TExtended>(Trunc(Sum), 0, 255));
}

void BlendAlphaIcon(uint32_t* Pixels, size_t Stride, const uint8_t* Icon, int N) {
  for (int i = 0; i < N; ++i)
    for (int j = 0; j < N; ++j) {
      uint32_t& Out = Pixels[static_cast<size_t>(i) * Stride + static_cast<size_t>(j)];
      const uint8_t* p = Icon + (static_cast<size_t>(N - 1 - i) * static_cast<size_t>(N) + static_cast<size_t>(j)) * 4;
      const uint8_t a = p[3];
      const uint32_t R = BlendAlphaChannel(static_cast<uint8_t>(Out >> 16), p[2], a);
      const uint32_t G = BlendAlphaChannel(static_cast<uint8_t>(Out >> 8), p[1], a);
      const uint32_t B = BlendAlphaChannel(static_cast<uint8_t>(Out), p[0], a);
      Out = R << 16 | G << 8 | B;
    }
}

}  // namespace emberdell
