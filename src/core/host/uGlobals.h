// The settings every subsystem reads, with their defaults, and the limits the
// run applies to values it cannot use as stored.
//
// The stored values are kept exactly as read (a hand-edited "FPS=0" is saved
// back as 0); the *ForRun helpers below say what the run does with them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/styles/uStyleFolders.h"

namespace emberdell {

struct TSettings {
  // Ends with a backslash: the style and picture folders are appended to it
  // directly. Starts as the executable's folder (set by the host).
  std::string ProgramDir;
  std::vector<std::string> ActivePresets{"(Default) Wood"};
  std::vector<std::string> ActiveBackgrounds{"(Default) Desktop Snapshot"};
  bool ChangeOnStartup = false;
  int32_t ChangingDelay = 120;  // seconds
  int32_t PictureHeight = 100;  // percent of the flame area
  bool AllowFadeout = true;
  bool AllowSecondMonitor = true;
  bool IgnoreMouseMove = false;
  bool ShowPreview = true;
  int32_t FadeoutTime = 700;  // ms
  int32_t FPS = 25;
  int32_t LastScreenshotNumber = 0;
  bool PlayFireSound = true;
  int32_t FireVolume = 100;
  bool PlayChimesSound = true;
  int32_t ChimesVolume = 80;

  bool operator==(const TSettings&) const = default;
};

// The process-wide settings: written by the main thread (loading, the
// settings window and its dialogs), read by everyone.
extern TSettings Settings;

// The program's version as the About tab shows it ("4.00.358"), read from
// its version resource at start-up.
extern std::string VersionText;

// Documents folder + "\Emberdell Screenshots", or empty when there is no
// documents folder (which switches screenshots off).
extern std::string ScreenshotDir;

// The user's own data folder, application data folder + "\Emberdell\" (it
// also holds the per-user settings file); empty when the system reports no
// application data folder. Set by the host at start, like ProgramDir.
extern std::string UserDataDir;

// Application data folder + "\Emberdell\"; empty for an empty folder.
std::string UserDataDirFor(const std::string& AppDataDir);

// ProgramDir + "Flame Presets\" and UserDataDir + "Flame Presets\".
TStyleFolders PresetFolders();
// ProgramDir + "Background Images\" and UserDataDir + "Background Images\".
TStyleFolders BackgroundFolders();
// The picture folder to offer a user for their own pictures: the program's
// when it can be written, else the per-user one. Either is created when
// missing, so the shell can open it.
std::string AdvancedBackgroundFolder();

// The path up to and including its last "\" or ":", as the executable's
// folder is taken from its full path.
std::string ExtractFilePath(const std::string& FileName);

constexpr int32_t DefaultFPS = 25;

// An FPS of 0 or less (only reachable by editing the file) runs at the
// default rate instead of dividing by zero.
int32_t FPSForRun(int32_t FPS);
// The frame period in ms, 1000 div FPS: 25 -> 40, 60 -> 16.
uint32_t FrameInterval(int32_t FPS);
int32_t PictureHeightForRun(int32_t PictureHeight);  // 0..100
int32_t VolumeForRun(int32_t Volume);                // 0..100

}  // namespace emberdell
