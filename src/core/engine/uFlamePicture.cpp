// The picture side of the fire: the grey levels, the outlines sparks start
// from, and the smoothing of a screenshot.
#include "core/engine/uFlamePicture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/engine/uFlameStep.h"

namespace emberdell {

void GreyFromPixels(const uint8_t* Pixels, size_t Count, uint8_t* Grey) {
  for (size_t i = 0; i < Count; ++i) {
    const uint8_t* px = Pixels + 4 * i;
    Grey[i] = static_cast<uint8_t>((px[0] + px[1] + px[2]) / 3);
  }
}

void BuildEdgeMask(const uint8_t* Grey, int Width, int Height, uint8_t* Edges) {
  const size_t W = static_cast<size_t>(std::max(Width, 0));
  const size_t N = W * static_cast<size_t>(std::max(Height, 0));
  if (N == 0) return;
  std::memset(Edges, 0, N);
  for (int y = 2; y <= Height - 7; ++y) {
    for (int x = 2; x <= Width - 2; ++x) {
      const size_t p = static_cast<size_t>(y) * W + static_cast<size_t>(x);
      const int Sum = Grey[p - W - 1] + Grey[p - W] + Grey[p - W + 1] + Grey[p - 1] + Grey[p + 1] +
                      Grey[p + W - 1] + Grey[p + W] + Grey[p + W + 1];
      const int L = Sum - 8 * Grey[p];
      // Only the low byte of |L| counts: |L| = 300 gives 44 and is no edge.
      const int e = (L < 0 ? -L : L) & 0xFF;
      Edges[p] = e >= 50 ? 255 : 0;
    }
  }
}

bool PictureHasEdges(const uint8_t* Pixels, int Width, int Height) {
  if (Pixels == nullptr || Width <= 0 || Height <= 0) return false;
  const size_t N = static_cast<size_t>(Width) * static_cast<size_t>(Height);
  std::vector<uint8_t> Grey(N), Edges(N);
  GreyFromPixels(Pixels, N, Grey.data());
  BuildEdgeMask(Grey.data(), Width, Height, Edges.data());
  for (uint8_t e : Edges)
    if (e != 0) return true;
  return false;
}

void SmoothShot(uint8_t* Image, int Width, int Height) {
  const size_t W = static_cast<size_t>(std::max(Width, 0));
  for (int y = 2; y <= Height - 2; ++y) {
    for (int x = 2; x <= Width - 2; ++x) {
      const size_t p = static_cast<size_t>(y) * W + static_cast<size_t>(x);
      const int Sum = Image[p - W - 1] + Image[p - W] + Image[p - W + 1] + Image[p - 1] + Image[p + 1] +
                      Image[p + W - 1] + Image[p + W] + Image[p + W + 1];
      Image[p] = static_cast<uint8_t>((Sum + 8 * Image[p]) / 16);
    }
  }
}

}  // namespace emberdell
