// What a run of Emberdell.scr leaves on the machine, and putting it back:
// the settings files, the older version's registry key and the screenshot
// folder. The paths are found here the way the system names them, not through
// the program's own helpers, so a wrong path in the program shows up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace emberdell::test {

// Windows directory + "\Emberdell Screensaver.ini".
std::wstring SharedIniPath();
// Application data folder + "\Emberdell\Emberdell Screensaver.ini".
std::wstring PerUserIniPath();
// Documents folder + "\Emberdell Screenshots".
std::wstring ScreenshotFolder();
// The folder Emberdell.scr lies in, with a trailing backslash.
std::wstring ScrFolder();

// A value of section "Main", read from the file's text as it is on disk now.
std::optional<std::wstring> IniValue(const std::wstring& File, const wchar_t* Key);
bool SetIniValue(const std::wstring& File, const wchar_t* Key, const wchar_t* Value);
std::optional<std::string> ReadWholeFile(const std::wstring& Path);
bool FileExists(const std::wstring& Path);
bool FolderExists(const std::wstring& Path);

inline constexpr wchar_t kOldRegistryKey[] = L"Software\\Quorvane Software\\Emberdell";

// Every test that starts a run owns one of these, declared before the
// process so it is put back after the process is gone. It moves both
// settings files and the old registry key out of the way (a run starts from
// the defaults) and restores them, byte for byte, when it ends.
class TSettingsSandbox {
 public:
  TSettingsSandbox();
  ~TSettingsSandbox();
  TSettingsSandbox(const TSettingsSandbox&) = delete;
  TSettingsSandbox& operator=(const TSettingsSandbox&) = delete;

  // Writes into the Windows-directory file, the one a run reads first.
  bool Set(const wchar_t* Key, const wchar_t* Value) { return SetIniValue(SharedIniPath(), Key, Value); }
  bool Set(const wchar_t* Key, int Value) { return Set(Key, std::to_wstring(Value).c_str()); }
  std::optional<std::wstring> Get(const wchar_t* Key) const { return IniValue(SharedIniPath(), Key); }

 private:
  struct TSavedFile {
    std::wstring Path;
    std::optional<std::string> Bytes;
  };
  struct TSavedValue {
    std::wstring Name;
    DWORD Type;
    std::vector<BYTE> Data;
  };
  TSavedFile FShared, FPerUser;
  bool FPerUserFolderExisted = false;
  bool FVendorKeyExisted = false;
  std::optional<std::vector<TSavedValue>> FOldKey;
};

// The screenshot folder for one test: a folder the user already had is moved
// aside and comes back afterwards; everything the run wrote is removed.
class TScreenshotFolder {
 public:
  TScreenshotFolder();
  ~TScreenshotFolder();
  TScreenshotFolder(const TScreenshotFolder&) = delete;
  TScreenshotFolder& operator=(const TScreenshotFolder&) = delete;

  const std::wstring& Path() const { return FPath; }
  // Folder + "\" + the number padded to six digits + ".bmp".
  std::wstring File(int Number) const;
  // The names of the files in the folder, sorted.
  std::vector<std::wstring> Files() const;

 private:
  std::wstring FPath;
  std::wstring FAside;
  bool FOwned = false;
};

// A 24-bit bottom-up bitmap file as a screenshot is written.
struct TBmp {
  int Width = 0;
  int Height = 0;                // positive: bottom-up
  std::vector<uint8_t> Pixels;   // blue, green, red; rows padded to four bytes, bottom row first
  size_t Stride() const { return (static_cast<size_t>(Width) * 3 + 3) & ~size_t{3}; }
};
// Nothing when the file is missing, incomplete or not a 24-bit BI_RGB bitmap.
std::optional<TBmp> ReadBmp(const std::wstring& Path);

// Creates the old version's key with these values (REG_DWORD or REG_SZ).
struct TRegistryValue {
  const wchar_t* Name;
  std::variant<DWORD, std::wstring> Data;
};
bool WriteOldRegistryKey(const std::vector<TRegistryValue>& Values);
bool OldRegistryKeyExists();

}  // namespace emberdell::test
