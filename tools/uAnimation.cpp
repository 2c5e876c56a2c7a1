#include "tools/uAnimation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace emberdell {

int GifDelayCentiseconds(int Index, int Fps) {
  const int64_t F = Fps;
  if (Fps <= 50) {
    // Frame times in centiseconds, rounded half up, as whole numbers.
    auto At = [F](int64_t Frame) { return (200 * Frame + F) / (2 * F); };
    return static_cast<int>(At(Index + 1) - At(Index));
  }
  // The moments 0, 2, 4, ... cs whose nearest frame (rounded half up) comes
  // before Frame: j with j F / 50 + 1/2 < Frame. At most one moment falls
  // to a frame, since frames are closer together than moments.
  auto Before = [F](int64_t Frame) -> int64_t {
    return Frame == 0 ? 0 : (100 * Frame - 50 + 2 * F - 1) / (2 * F);
  };
  return Before(Index + 1) > Before(Index) ? 2 : 0;
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

std::string TPartialFile::Named(std::string Message) const {
  for (size_t At = Message.find(FTemp); At != std::string::npos; At = Message.find(FTemp, At + FFinal.size()))
    Message.replace(At, FTemp.size(), FFinal);
  return Message;
}

bool TPartialFile::CanCommit(std::string& Error) const {
  struct stat Final {};
  if (stat(FFinal.c_str(), &Final) != 0 || !S_ISDIR(Final.st_mode)) return true;
  Error = "cannot write " + FFinal + ": " + std::strerror(EISDIR);
  return false;
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
