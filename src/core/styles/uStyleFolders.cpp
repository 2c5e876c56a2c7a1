#include "core/styles/uStyleFolders.h"
#include "core/shared/uText.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/engine/uBackgrounds.h"
#include "core/shared/uFileUtils.h"
#include "core/shared/uRandom.h"
#include "core/shared/uUnicode.h"

namespace emberdell {

namespace {

bool FileExists(const std::string& Path) { return PathExists(Path); }

// Why Name cannot be the name of a file in one of the folders; "" when it can.
std::string FileNameError(const std::string& Name, const char* What) {
  const std::string Kind = What;
  if (Name.find_first_not_of(" \t") == std::string::npos) return "Please type a name for the " + Kind + ".";
  // No file can carry a name that is not UTF-8; the user sees what a save
  // under a bad file name reports.
  if (!IsValidUtf8(Name)) return IOErrorMessage(3);
  for (unsigned char c : Name)
    if (c < 32 || std::strchr("\\/:*?\"<>|", c) != nullptr)
      return "A " + Kind + " name cannot contain any of these characters: \\ / : * ? \" < > |";
  // Windows drops trailing dots and blanks from a file name, so the file
  // would be saved under another name than the one the list shows.
  if (Name.back() == '.' || Name.back() == ' ') return "A " + Kind + " name cannot end with a dot or a blank.";
  // "CON.wyk" and its kin open a device, not a file in the folder.
  std::string Stem = Name.substr(0, Name.find('.'));
  while (!Stem.empty() && Stem.back() == ' ') Stem.pop_back();
  const std::string Lower = LowerAscii(Stem);
  static const char* const Devices[] = {"con", "prn", "aux", "nul"};
  bool Device = false;
  for (const char* d : Devices) Device = Device || Lower == d;
  if (Lower.size() == 4 && (Lower.rfind("com", 0) == 0 || Lower.rfind("lpt", 0) == 0) && Lower[3] >= '1' &&
      Lower[3] <= '9')
    Device = true;
  if (Device) return "\"" + Stem + "\" is reserved by Windows for a device. Please choose another name.";
  return "";
}

TSaveResult Refused(const std::string& Message) {
  TSaveResult Result;
  Result.Code = 3;
  Result.Message = Message;
  return Result;
}

// Program names not hidden by a per-user one, then the per-user names.
std::vector<std::string> Merge(const std::vector<std::string>& Program, const std::vector<std::string>& PerUser) {
  std::vector<std::string> Hidden;
  for (const std::string& Name : PerUser) Hidden.push_back(LowerAscii(Name));
  std::vector<std::string> Names;
  for (const std::string& Name : Program) {
    const std::string Key = LowerAscii(Name);
    bool IsHidden = false;
    for (const std::string& h : Hidden) IsHidden = IsHidden || h == Key;
    if (!IsHidden) Names.push_back(Name);
  }
  Names.insert(Names.end(), PerUser.begin(), PerUser.end());
  return Names;
}

}  // namespace

std::string PresetNameError(const std::string& Name) {
  std::string Error = FileNameError(Name, "flame style");
  if (Error.empty() && Name == RandomPresetName)
    Error = "\"(Random Preset)\" stands for a new random style each time. Please choose another name.";
  return Error;
}

bool CanWriteFolder(const std::string& Folder) {
  std::error_code Ec;
  CreateFolders(Folder, Ec);
  const std::string Probe = Folder + "~emberdell write test.tmp";
  std::FILE* f = OpenFile(Probe, "wb");
  if (f == nullptr) return false;
  const bool Closed = std::fclose(f) == 0;
  RemoveFile(Probe, Ec);
  return Closed;
}

std::vector<std::string> GetPresetNames(const TStyleFolders& Folders) {
  std::vector<std::string> PerUser;
  if (!Folders.PerUser.empty()) PerUser = GetPresetNames(Folders.PerUser);
  std::vector<std::string> Names;
  // A file that no name can load (such as one called "(Random Preset)",
  // which the lists already hold) would only show up twice or load at random.
  for (const std::string& Name : Merge(GetPresetNames(Folders.Program), PerUser))
    if (PresetNameError(Name).empty()) Names.push_back(Name);
  return Names;
}

std::string PresetFilePath(const TStyleFolders& Folders, const std::string& Name) {
  if (!PresetNameError(Name).empty()) return "";
  if (!Folders.PerUser.empty()) {
    const std::string PerUser = PresetFileName(Folders.PerUser, Name);
    if (FileExists(PerUser)) return PerUser;
  }
  return PresetFileName(Folders.Program, Name);
}

void LoadPreset(const TStyleFolders& Folders, const std::string& Name, TFlamePreset& Preset) {
  const std::string Path = PresetFilePath(Folders, Name);
  if (Path.empty() || !ReadPresetFile(Path, Preset)) MakeRandomPreset(Preset);
}

TSaveResult SavePreset(const TStyleFolders& Folders, const std::string& Name, const TFlamePreset& Preset) {
  const std::string Error = PresetNameError(Name);
  if (!Error.empty()) return Refused(Error);
  if (Folders.PerUser.empty()) return SavePreset(Folders.Program, Name, Preset);
  if (FileExists(PresetFileName(Folders.PerUser, Name))) return SavePreset(Folders.PerUser, Name, Preset);
  TSaveResult Result = SavePreset(Folders.Program, Name, Preset);
  if (!Result) Result = SavePreset(Folders.PerUser, Name, Preset);
  return Result;
}

TSaveResult DeletePreset(const TStyleFolders& Folders, const std::string& Name) {
  const std::string Error = PresetNameError(Name);
  if (!Error.empty()) return Refused(Error);
  const std::string Path = PresetFilePath(Folders, Name);
  TSaveResult Result;
  std::error_code Ec;
  RemoveFile(Path, Ec);
  if (!FileExists(Path)) return Result;
  // The error code may be a system one (Windows) or an errno value; its
  // portable condition gives the errno either way.
  const int Errno = Ec ? Ec.default_error_condition().value() : 0;
  Result.Code = Errno != 0 ? IOErrorFromErrno(Errno) : 5;
  Result.Message = IOErrorMessage(Result.Code);
  return Result;
}

void LoadRandomActivePreset(const TStyleFolders& Folders, const std::vector<std::string>& Active,
                            TFlamePreset& Preset) {
  if (Active.empty()) {
    MakeRandomPreset(Preset);
    return;
  }
  LoadPreset(Folders, Active[Random(static_cast<uint32_t>(Active.size()))], Preset);
}

std::vector<std::string> BackgroundFileNames(const TStyleFolders& Folders) {
  std::vector<std::string> PerUser;
  if (!Folders.PerUser.empty()) PerUser = BackgroundFileNames(Folders.PerUser);
  return Merge(BackgroundFileNames(Folders.Program), PerUser);
}

std::vector<std::string> ListBackgrounds(const TStyleFolders& Folders) {
  std::vector<std::string> Names;
  for (const std::string& File : BackgroundFileNames(Folders)) Names.push_back(File.substr(0, File.size() - 4));
  return Names;
}

std::string BackgroundPicturePath(const TStyleFolders& Folders, const std::string& Name) {
  if (!FileNameError(Name, "picture").empty()) return "";
  if (!Folders.PerUser.empty()) {
    const std::string PerUser = Folders.PerUser + Name + ".jpg";
    if (FileExists(PerUser)) return PerUser;
  }
  return Folders.Program + Name + ".jpg";
}

}  // namespace emberdell
