#include "tools/uAnimation.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace emberdell {

int GifDelayCentiseconds(int Index, int Fps) {
  // Frame times in centiseconds, rounded half up, as whole numbers.
  auto At = [Fps](int64_t Frame) { return (200 * Frame + Fps) / (2 * static_cast<int64_t>(Fps)); };
  return static_cast<int>(At(Index + 1) - At(Index));
}

TChangedRect ChangedRect(const uint8_t* Before, const uint32_t* BeforeColors, const uint8_t* After,
                         const uint32_t* AfterColors, int Width, int Height) {
  // With the same table a row whose indices match cannot have changed, and
  // most rows of a fire above its band are like that.
  const bool SameTable = std::memcmp(BeforeColors, AfterColors, 256 * sizeof(uint32_t)) == 0;
  int Left = Width, Right = -1, Top = -1, Bottom = -1;
  for (int y = 0; y < Height; ++y) {
    const uint8_t* b = Before + static_cast<size_t>(y) * Width;
    const uint8_t* a = After + static_cast<size_t>(y) * Width;
    if (SameTable && std::memcmp(a, b, static_cast<size_t>(Width)) == 0) continue;
    int First = -1, Last = -1;
    for (int x = 0; x < Width; ++x)
      if (BeforeColors[b[x]] != AfterColors[a[x]]) {
        if (First < 0) First = x;
        Last = x;
      }
    if (First < 0) continue;
    if (Top < 0) Top = y;
    Bottom = y;
    Left = std::min(Left, First);
    Right = std::max(Right, Last);
  }
  if (Top < 0) return {};
  return TChangedRect{Left, Top, Right - Left + 1, Bottom - Top + 1};
}

TPartialFile::TPartialFile(std::string FileName)
    : FFinal(std::move(FileName)), FTemp(FFinal + ".partial-" + std::to_string(getpid())) {}

TPartialFile::~TPartialFile() {
  if (!FCommitted) std::remove(FTemp.c_str());
}

bool TPartialFile::Commit(std::string& Error) {
  if (std::rename(FTemp.c_str(), FFinal.c_str()) != 0) {
    Error = "cannot write " + FFinal + ": " + std::strerror(errno);
    return false;
  }
  FCommitted = true;
  return true;
}

}  // namespace emberdell
