// Styles and pictures in two folders: the ones delivered in the program's
// folder and the user's own, kept in a per-user folder when the program's
// folder cannot be written (as under "Program Files" for a standard user).
//
// The rules a user sees:
// - lists show both folders; a per-user file hides a delivered one of the
//   same name (compared without regard to ASCII case, as Windows compares);
// - loading and deleting reach the file that the list shows;
// - saving goes to the program's folder when it can be written, else to the
//   per-user one (created on demand), and always to the per-user one when
//   that already holds the name, since a copy saved beside the program would
//   stay hidden behind it.
#pragma once

#include <string>
#include <vector>

#include "core/styles/uPresets.h"

namespace emberdell {

struct TStyleFolders {
  std::string Program;  // with its trailing separator
  std::string PerUser;  // with its trailing separator; empty when there is none
};

inline constexpr const char* PresetFolderName = "Flame Presets\\";
inline constexpr const char* BackgroundFolderName = "Background Images\\";

// "" when Name can be a style name, else the message that tells the user why
// not: empty or only blanks, characters a file name cannot hold, a trailing
// dot or blank (Windows would drop it), a device name, "(Random Preset)".
std::string PresetNameError(const std::string& Name);

// True when a file can be created in Folder; the folder is created first
// when it is missing. Leaves nothing behind but the folder.
bool CanWriteFolder(const std::string& Folder);

// Delivered names not hidden by a per-user one, then the per-user names.
std::vector<std::string> GetPresetNames(const TStyleFolders& Folders);
// The file of the style called Name that lists, loads and deletes reach:
// the per-user one when it exists, else the program's. Empty for a name
// PresetNameError refuses.
std::string PresetFilePath(const TStyleFolders& Folders, const std::string& Name);
// Any failure, a refused name included, gives a random style.
void LoadPreset(const TStyleFolders& Folders, const std::string& Name, TFlamePreset& Preset);
// A refused name writes nothing and gives Code 3 with PresetNameError's text.
// When both folders fail, the result is the per-user folder's, the last tried.
TSaveResult SavePreset(const TStyleFolders& Folders, const std::string& Name, const TFlamePreset& Preset);
// Removes the file where it lives. A file that is not there is no failure; a
// file that stays (a delivered style the user may not remove) gives the
// run-time error message. A refused name removes nothing (Code 3).
TSaveResult DeletePreset(const TStyleFolders& Folders, const std::string& Name);
void LoadRandomActivePreset(const TStyleFolders& Folders, const std::vector<std::string>& Active,
                            TFlamePreset& Preset);

// The "*.jpg" file names of both folders (extension kept), delivered first,
// a per-user picture hiding a delivered one of the same name.
std::vector<std::string> BackgroundFileNames(const TStyleFolders& Folders);
// The same names without their extension.
std::vector<std::string> ListBackgrounds(const TStyleFolders& Folders);
// The file to load for the background Name ("Group - Item" or a plain name):
// the per-user picture when it exists, else the program's. Empty for a name
// that would reach outside the folders.
std::string BackgroundPicturePath(const TStyleFolders& Folders, const std::string& Name);

}  // namespace emberdell
