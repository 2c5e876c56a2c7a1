#include "core/host/uGlobals.h"

#include <algorithm>

namespace emberdell {

TSettings Settings;
std::string ScreenshotDir;
std::string VersionText;

std::string ExtractFilePath(const std::string& FileName) {
  const size_t Slash = FileName.find_last_of("\\:");
  return Slash == std::string::npos ? std::string() : FileName.substr(0, Slash + 1);
}

int32_t FPSForRun(int32_t FPS) { return FPS > 0 ? FPS : DefaultFPS; }

uint32_t FrameInterval(int32_t FPS) { return 1000u / static_cast<uint32_t>(FPSForRun(FPS)); }

int32_t PictureHeightForRun(int32_t PictureHeight) { return std::clamp(PictureHeight, 0, 100); }

int32_t VolumeForRun(int32_t Volume) { return std::clamp(Volume, 0, 100); }

}  // namespace emberdell
