#include "win32/engine/uBackgroundPicture.h"

#include "core/engine/uBackgrounds.h"
#include "win32/host/uWinText.h"
#include "core/engine/uFitPicture.h"
#include "core/engine/uFlamePicture.h"
#include "core/engine/uFlameStep.h"
#include "core/host/uGlobals.h"
#include "core/engine/uImageFiles.h"
#include "win32/engine/uDesktopSnapshot.h"

namespace emberdell {

std::string WallpaperFile() {
  wchar_t Buffer[MAX_PATH + 1] = {};
  if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, Buffer, 0)) return {};
  return ToUtf8(Buffer);
}

std::vector<uint8_t> FlamePicture(const std::string& Background, const RECT& Bounds, int Width, int Height) {
  TPixelImage Fitted;
  std::string Error;
  if (!Background.empty() && Background != DesktopSnapshotBackground &&
      LoadBackgroundFile(BackgroundPicturePath(BackgroundFolders(), Background), Width, Height, Fitted, Error))
    return std::move(Fitted.Pixels);

  std::vector<uint8_t> Snapshot = DesktopSnapshot(Bounds, Width, Height);
  if (Snapshot.empty() || PictureHasEdges(Snapshot.data(), Width, Height)) return Snapshot;

  // Nothing would burn on a flat desktop: try the wallpaper, fitted like
  // any background; without one the flat snapshot stays.
  const std::string Wallpaper = WallpaperFile();
  if (!Wallpaper.empty() && LoadFittedPicture(Wallpaper, Width, Height, Fitted, Error))
    return std::move(Fitted.Pixels);
  return Snapshot;
}

}  // namespace emberdell
