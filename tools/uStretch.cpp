#include "tools/uStretch.h"

#include <cstring>

namespace emberdell {

std::vector<uint8_t> StretchNearest(const uint8_t* Pixels, int Width, int Height, int TargetWidth,
                                    int TargetHeight) {
  if (TargetWidth <= 0 || TargetHeight <= 0) return {};
  std::vector<uint8_t> Out(static_cast<size_t>(TargetWidth) * TargetHeight * 4, 0);
  if (Width <= 0 || Height <= 0 || Pixels == nullptr) return Out;
  std::vector<int> Columns(static_cast<size_t>(TargetWidth));
  for (int x = 0; x < TargetWidth; ++x)
    Columns[x] = static_cast<int>((2 * static_cast<int64_t>(x) + 1) * Width / (2 * static_cast<int64_t>(TargetWidth)));
  for (int y = 0; y < TargetHeight; ++y) {
    const int sy = static_cast<int>((2 * static_cast<int64_t>(y) + 1) * Height / (2 * static_cast<int64_t>(TargetHeight)));
    const uint8_t* SrcRow = Pixels + static_cast<size_t>(sy) * Width * 4;
    uint8_t* DstRow = Out.data() + static_cast<size_t>(y) * TargetWidth * 4;
    for (int x = 0; x < TargetWidth; ++x) std::memcpy(DstRow + 4 * x, SrcRow + 4 * static_cast<size_t>(Columns[x]), 4);
  }
  return Out;
}

}  // namespace emberdell
