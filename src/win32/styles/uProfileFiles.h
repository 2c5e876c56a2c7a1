// The settings store's two back-ends on Windows: an INI file through the
// system's profile functions, and the older version's registry key.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "core/styles/uSettingsSaving.h"

namespace emberdell {

// Held by an Emberdell process from reading the settings file for a save to
// replacing it.
inline constexpr wchar_t kSettingsLockName[] = L"EmberdellSettingsMutex";

class TIniProfileStore : public IProfileStore {
 public:
  // Path is UTF-8. With CreateFolder the file's folder is made before the
  // first write (the per-user copy lives in a folder of its own).
  explicit TIniProfileStore(std::string Path, bool CreateFolder = false)
      : FPath(std::move(Path)), FCreateFolder(CreateFolder) {}
  std::string Path() const override { return FPath; }
  bool Exists() override;
  bool ReadString(const std::string& Section, const std::string& Key, std::string& Value) override;
  // Through a copy beside the file that then replaces it, or in place in
  // one write, under a lock shared by every Emberdell process. An ANSI file
  // becomes UTF-16, every key kept, before a value its code page cannot
  // hold goes in.
  TWriteResult WriteStrings(const std::string& Section, std::span<const TProfileValue> Values,
                            TWriteMode Mode) override;

 private:
  std::string FPath;
  bool FCreateFolder;
};

// The settings lock (kSettingsLockName) for a whole save. Its waits, for
// the lock and between retries, keep the thread's windows painting and
// moving; the user's clicks and keys meanwhile are dropped.
class TSettingsMutex : public ISettingsLock {
 public:
  TSettingsMutex();
  ~TSettingsMutex() override;
  TSettingsMutex(const TSettingsMutex&) = delete;
  TSettingsMutex& operator=(const TSettingsMutex&) = delete;
  bool Acquire() override;
  void Release() override;
  void Pause(uint32_t Ms) override;

 private:
  HANDLE FMutex;
};

class TRegistrySource : public IRegistrySource {
 public:
  explicit TRegistrySource(HKEY Root = HKEY_CURRENT_USER, const std::string& SubKey = OldRegistryKey);
  ~TRegistrySource() override;
  TRegistrySource(const TRegistrySource&) = delete;
  TRegistrySource& operator=(const TRegistrySource&) = delete;
  bool Exists() override;
  bool ReadString(const std::string& Name, std::string& Value) override;
  bool ReadDword(const std::string& Name, uint32_t& Value) override;
  bool DeleteKey() override;

 private:
  HKEY FRoot;
  std::wstring FSubKey;
  HKEY FKey = nullptr;
};

}  // namespace emberdell
