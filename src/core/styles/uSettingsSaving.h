// Loading and saving the settings: section "Main" of
// "Emberdell Screensaver.ini", plus the one-time move of an older version's
// registry settings into that file.
//
// One table (SettingEntries) names every setting once: its key, the member it
// fills, its place in the save order and whether the migration moves it.
// Loading, saving, the screenshot counter and the migration all walk it.
//
// The file is reached through IProfileStore, which the host implements with
// the system's profile functions and the tests fake; the old registry key
// through IRegistrySource.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "core/host/uGlobals.h"

namespace emberdell {

inline constexpr const char* IniFileName = "Emberdell Screensaver.ini";
inline constexpr const char* IniSection = "Main";
// Under HKEY_CURRENT_USER.
inline constexpr const char* OldRegistryKey = "Software\\Quorvane Software\\Emberdell\\";
// One key and the text written for it.
struct TProfileValue {
  std::string Key;
  std::string Value;
};

// How one write of a batch went, as the host's store tells it.
enum class TWriteResult {
  Written,
  // Another Emberdell process kept the settings lock for the whole wait.
  Locked,
  // A sharing violation: a reader, an indexer or a virus scanner holds the
  // file without letting it be replaced. It lets go after a moment.
  Busy,
  // The copy beside the file cannot be made (the folder refuses new files),
  // although the file itself can be written.
  NoCopy,
  // The file cannot be written at all: access denied, read-only.
  Denied,
  // Anything else: a full disk, a write that did not reach it.
  Failed,
};

// Through a copy beside the file that then replaces it, or into the file
// itself in one write where no copy can be made beside it.
enum class TWriteMode { ThroughCopy, InPlace };

// What a save does after one write.
enum class TSaveStep { Done, Retry, WriteInPlace, PerUserCopy, Fail };
struct TSaveDecision {
  TSaveStep Step;
  uint32_t WaitMs = 0;  // before a retry
};
// WaitedMs: how long this save has already waited for a busy file.
// PerUserPossible: there is a per-user copy to move to (none yet, and this
// is the shared file).
TSaveDecision NextSaveStep(TWriteResult Result, TWriteMode Mode, uint32_t WaitedMs, bool PerUserPossible);

// Whether a save writes a key, from its text when this process loaded it
// (none: not loaded), its text now and its text in the file as it is at
// the moment of writing (none: missing). Only a value this process changed
// is written, so that it does not put back a stale value over what another
// process wrote since; a key the file lacks is filled in, since that undoes
// nobody's change.
bool KeyToWrite(const std::optional<std::string>& Loaded, const std::string& Now,
                const std::optional<std::string>& InFile);

// One INI file. The host's implementation reads the way the system's profile
// functions do: surrounding blanks and one pair of matching quotes around a
// value are dropped. A value is read whole, however long: a list cut short
// here would be written back cut at the next save.
class IProfileStore {
 public:
  virtual ~IProfileStore() = default;
  virtual std::string Path() const = 0;
  virtual bool Exists() = 0;
  // False when the file, section or key is missing.
  virtual bool ReadString(const std::string& Section, const std::string& Key, std::string& Value) = 0;
  // Writes every value of the batch, or none: unless the result is
  // Written the file is as it was, and then it holds them all. A file is
  // never left half-written.
  virtual TWriteResult WriteStrings(const std::string& Section, std::span<const TProfileValue> Values,
                                    TWriteMode Mode) = 0;
};

// The lock every Emberdell process holds from reading the file for a save to
// writing it, so that each save decides against what the others wrote.
class ISettingsLock {
 public:
  virtual ~ISettingsLock() = default;
  // False when another process kept it for the whole wait.
  virtual bool Acquire() = 0;
  virtual void Release() = 0;
  // Lets Ms pass before a retry, the lock held.
  virtual void Pause(uint32_t Ms) = 0;
};

// The older version's key (OldRegistryKey).
class IRegistrySource {
 public:
  virtual ~IRegistrySource() = default;
  virtual bool Exists() = 0;
  // False when the value is missing or not of the asked type.
  virtual bool ReadString(const std::string& Name, std::string& Value) = 0;
  virtual bool ReadDword(const std::string& Name, uint32_t& Value) = 0;
  // Removes the key with its subkeys.
  virtual bool DeleteKey() = 0;
};

using TSettingMember = std::variant<std::string TSettings::*, std::vector<std::string> TSettings::*,
                                    bool TSettings::*, int32_t TSettings::*>;

struct TSettingEntry {
  const char* Key;
  TSettingMember Member;
  int SaveRank;   // position in SaveSettings' order, 0: not saved there
  bool Migrated;  // moved from the registry by MigrateRegistrySettings
};

// In loading order, which is also the migration's order.
std::span<const TSettingEntry> SettingEntries();

// The text written for an entry: decimal integers, "1"/"0", the lists as
// delimited text.
std::string SettingText(const TSettingEntry& Entry, const TSettings& Values);

// Succeeds, or says which file could not be written.
struct TStoreResult {
  bool Ok = true;
  std::string Message;  // "Unable to write to <path>"
  explicit operator bool() const { return Ok; }
};

// The settings file lives in the Windows directory, which a standard user
// often cannot write. Then it moves to a per-user copy (application data
// folder + "\Emberdell\"), and from the moment that copy exists it is the one
// read and written. Only a file that cannot be written at all moves it
// (NextSaveStep): a copy made for a passing hold would shadow the shared
// file for good.
class TSettingsFiles {
 public:
  explicit TSettingsFiles(IProfileStore& WindowsDirFile, IProfileStore* PerUserFile = nullptr,
                          ISettingsLock* Lock = nullptr)
      : FWindowsDir(WindowsDirFile), FPerUser(PerUserFile), FLock(Lock) {}

  IProfileStore& ReadFrom();
  // The file in the Windows directory, where an installer puts "InstallDir".
  IProfileStore& Shared() { return FWindowsDir; }
  // Writes, in the given order, the entries that KeyToWrite picks, judged
  // under the lock against the file as it is then; when none is picked, the
  // file is not touched at all. The batch is written whole or not at all.
  TStoreResult Write(std::span<const TSettingEntry* const> Entries, const TSettings& Values);
  // What this process read from the file, the base against which a save
  // tells the values it changed; LoadSettings records it.
  void Loaded(const TSettings& Values) { FLoaded = Values; }

 private:
  TStoreResult WriteLocked(std::span<const TSettingEntry* const> Entries, const TSettings& Values);
  bool Changed(const TSettingEntry& Entry, const TSettings& Values) const;

  IProfileStore& FWindowsDir;
  IProfileStore* FPerUser;
  ISettingsLock* FLock;
  std::optional<TSettings> FLoaded;
};

// Windows directory + the file name; WindowsDir ends with a backslash.
std::string SharedIniPath(const std::string& WindowsDir);
// Application data folder + "\Emberdell\" + the file name.
std::string PerUserIniPath(const std::string& AppDataDir);

// Missing keys and values that are not integers leave the variable as it
// was; so does an empty "Active Presets" or "Active Backgrounds". An
// "InstallDir" in the shared file wins over the per-user copy's.
void LoadSettings(TSettings& Values, TSettingsFiles& Files);
// Every setting except "InstallDir" and "Last Screenshot Number"; only those
// that this process changed since loading (or the file lacks) reach the file.
TStoreResult SaveSettings(const TSettings& Values, TSettingsFiles& Files);
TStoreResult SaveScreenshotNumber(const TSettings& Values, TSettingsFiles& Files);
// Copies the old registry values into Values and the file and deletes the
// key; without the key it does nothing. When the file cannot be written the
// key is kept, so the next start tries again.
TStoreResult MigrateRegistrySettings(TSettings& Values, IRegistrySource& Registry, TSettingsFiles& Files);

// Decimal with an optional sign, within 32 bits; anything else is false.
bool ParseSettingInteger(const std::string& Text, int32_t& Value);

}  // namespace emberdell
