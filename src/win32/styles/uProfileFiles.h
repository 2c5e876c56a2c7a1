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
  // Through a copy beside the file that then replaces it, under a lock
  // shared by every Emberdell process.
  bool WriteStrings(const std::string& Section, std::span<const TProfileValue> Values) override;

 private:
  std::string FPath;
  bool FCreateFolder;
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
