#include "core/host/uGlobals.h"

#include <algorithm>

namespace emberdell {

TSettings Settings;
std::string ScreenshotDir;
std::string VersionText;
std::string UserDataDir;

std::string UserDataDirFor(const std::string& AppDataDir) {
  if (AppDataDir.empty()) return "";
  std::string Dir = AppDataDir;
  if (Dir.back() != '\\') Dir += '\\';
  return Dir + "Emberdell\\";
}

namespace {
TStyleFolders FoldersNamed(const char* Name) {
  return {Settings.ProgramDir + Name, UserDataDir.empty() ? std::string() : UserDataDir + Name};
}
}  // namespace

TStyleFolders PresetFolders() { return FoldersNamed(PresetFolderName); }

TStyleFolders BackgroundFolders() { return FoldersNamed(BackgroundFolderName); }

std::string AdvancedBackgroundFolder() {
  const TStyleFolders Folders = BackgroundFolders();
  if (Folders.PerUser.empty() || CanWriteFolder(Folders.Program)) return Folders.Program;
  CanWriteFolder(Folders.PerUser);  // creates it; a failure shows when the shell opens it
  return Folders.PerUser;
}

std::string ExtractFilePath(const std::string& FileName) {
  const size_t Slash = FileName.find_last_of("\\:");
  return Slash == std::string::npos ? std::string() : FileName.substr(0, Slash + 1);
}

int32_t FPSForRun(int32_t FPS) { return FPS > 0 ? FPS : DefaultFPS; }

uint32_t FrameInterval(int32_t FPS) { return 1000u / static_cast<uint32_t>(FPSForRun(FPS)); }

int32_t PictureHeightForRun(int32_t PictureHeight) { return std::clamp(PictureHeight, 0, 100); }

int32_t VolumeForRun(int32_t Volume) { return std::clamp(Volume, 0, 100); }

}  // namespace emberdell
