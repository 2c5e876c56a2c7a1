#include "win32/styles/uProfileFiles.h"

#include <shlobj.h>

#include <vector>

#include "win32/host/uWinText.h"

namespace emberdell {

bool TIniProfileStore::Exists() {
  const DWORD Attributes = GetFileAttributesW(ToWide(FPath).c_str());
  return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool TIniProfileStore::ReadString(const std::string& Section, const std::string& Key, std::string& Value) {
  // A default no value can hold tells a missing key from an empty one.
  static const wchar_t Missing[] = L"\x1F<missing>\x1F";
  std::vector<wchar_t> Buffer(MaxValueLength + 1, L'\0');
  GetPrivateProfileStringW(ToWide(Section).c_str(), ToWide(Key).c_str(), Missing, Buffer.data(),
                           static_cast<DWORD>(Buffer.size()), ToWide(FPath).c_str());
  if (std::wstring(Buffer.data()) == Missing) return false;
  Value = ToUtf8(Buffer.data());
  return true;
}

namespace {

// True when this call made the file. A file that exists keeps its encoding:
// an ANSI file written by an older version stays ANSI and reads as before.
bool CreateUnicodeFile(const std::wstring& Path) {
  HANDLE File = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return false;
  static const BYTE ByteOrderMark[] = {0xFF, 0xFE};
  DWORD Written = 0;
  const bool Ok = WriteFile(File, ByteOrderMark, sizeof ByteOrderMark, &Written, nullptr) &&
                  Written == sizeof ByteOrderMark;
  CloseHandle(File);
  if (!Ok) DeleteFileW(Path.c_str());
  return Ok;
}

}  // namespace

bool TIniProfileStore::WriteString(const std::string& Section, const std::string& Key, const std::string& Value) {
  const std::wstring Path = ToWide(FPath);
  // A file the user made read-only stays as it is, also for an account the
  // file system would let write anyway.
  const DWORD Attributes = GetFileAttributesW(Path.c_str());
  if (Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_READONLY)) return false;
  if (FCreateFolder) {
    const size_t Slash = Path.find_last_of(L"\\/");
    if (Slash != std::wstring::npos) SHCreateDirectoryExW(nullptr, Path.substr(0, Slash).c_str(), nullptr);
  }
  // The profile functions write a file they create in the ANSI code page,
  // which turns a Greek or Japanese style name into question marks; a file
  // that starts as UTF-16 with a byte-order mark is kept in UTF-16.
  const bool Created = CreateUnicodeFile(Path);
  const bool Written = WritePrivateProfileStringW(ToWide(Section).c_str(), ToWide(Key).c_str(),
                                                  ToWide(Value).c_str(), Path.c_str()) != FALSE;
  // A file holding nothing but the mark would count as existing settings.
  if (!Written && Created) DeleteFileW(Path.c_str());
  return Written;
}

TRegistrySource::TRegistrySource(HKEY Root, const std::string& SubKey) : FRoot(Root), FSubKey(ToWide(SubKey)) {
  // The key is named with a trailing backslash; the registry wants it without.
  while (!FSubKey.empty() && FSubKey.back() == L'\\') FSubKey.pop_back();
  if (RegOpenKeyExW(FRoot, FSubKey.c_str(), 0, KEY_READ, &FKey) != ERROR_SUCCESS) FKey = nullptr;
}

TRegistrySource::~TRegistrySource() {
  if (FKey != nullptr) RegCloseKey(FKey);
}

bool TRegistrySource::Exists() { return FKey != nullptr; }

bool TRegistrySource::ReadString(const std::string& Name, std::string& Value) {
  if (FKey == nullptr) return false;
  DWORD Type = 0, Size = 0;
  const std::wstring WName = ToWide(Name);
  if (RegQueryValueExW(FKey, WName.c_str(), nullptr, &Type, nullptr, &Size) != ERROR_SUCCESS) return false;
  if (Type != REG_SZ && Type != REG_EXPAND_SZ) return false;
  std::vector<wchar_t> Buffer(Size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(FKey, WName.c_str(), nullptr, &Type, reinterpret_cast<BYTE*>(Buffer.data()), &Size) !=
      ERROR_SUCCESS)
    return false;
  Value = ToUtf8(Buffer.data());
  return true;
}

bool TRegistrySource::ReadDword(const std::string& Name, uint32_t& Value) {
  if (FKey == nullptr) return false;
  DWORD Type = 0, Data = 0, Size = sizeof Data;
  if (RegQueryValueExW(FKey, ToWide(Name).c_str(), nullptr, &Type, reinterpret_cast<BYTE*>(&Data), &Size) !=
          ERROR_SUCCESS ||
      Type != REG_DWORD)
    return false;
  Value = Data;
  return true;
}

bool TRegistrySource::DeleteKey() {
  if (FKey != nullptr) {
    RegCloseKey(FKey);
    FKey = nullptr;
  }
  return RegDeleteTreeW(FRoot, FSubKey.c_str()) == ERROR_SUCCESS && RegDeleteKeyW(FRoot, FSubKey.c_str()) != ERROR_ACCESS_DENIED;
}

}  // namespace emberdell
