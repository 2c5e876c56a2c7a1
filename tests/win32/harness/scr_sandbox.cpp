#include "tests/win32/harness/scr_sandbox.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "tests/win32/harness/scr_process.h"

namespace emberdell::test {

namespace {

std::wstring SpecialFolder(int Csidl) {
  LPITEMIDLIST Items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, Csidl, &Items)) || Items == nullptr) return {};
  wchar_t Buffer[MAX_PATH + 1] = {};
  const bool Found = SHGetPathFromIDListW(Items, Buffer);
  CoTaskMemFree(Items);
  return Found ? Buffer : L"";
}

std::wstring FolderOf(const std::wstring& Path) { return Path.substr(0, Path.find_last_of(L'\\')); }

std::wstring Trim(const std::wstring& Text) {
  const size_t First = Text.find_first_not_of(L" \t\r\n");
  if (First == std::wstring::npos) return {};
  return Text.substr(First, Text.find_last_not_of(L" \t\r\n") - First + 1);
}

bool SameText(const std::wstring& A, const std::wstring& B) { return lstrcmpiW(A.c_str(), B.c_str()) == 0; }

// The profile functions write ANSI or, into a file that has a byte-order
// mark, UTF-16; the values the tests use are plain ASCII either way.
std::wstring FileText(const std::string& Bytes) {
  if (Bytes.size() >= 2 && static_cast<uint8_t>(Bytes[0]) == 0xFF && static_cast<uint8_t>(Bytes[1]) == 0xFE) {
    std::wstring Text((Bytes.size() - 2) / 2, L'\0');
    std::memcpy(Text.data(), Bytes.data() + 2, Text.size() * 2);
    return Text;
  }
  return std::wstring(Bytes.begin(), Bytes.end());
}

bool WriteWholeFile(const std::wstring& Path, const std::string& Bytes) {
  HANDLE File = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return false;
  DWORD Written = 0;
  const bool Ok = WriteFile(File, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Written, nullptr) &&
                  Written == Bytes.size();
  CloseHandle(File);
  return Ok;
}

// Removes a settings file, or the folder a test made in its place.
void RemoveSettingsPath(const std::wstring& Path) {
  if (FolderExists(Path))
    RemoveDirectoryW(Path.c_str());
  else
    DeleteFileW(Path.c_str());
}

void DeleteOldRegistryKey() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kOldRegistryKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kOldRegistryKey);
}

constexpr wchar_t kVendorKey[] = L"Software\\Quorvane Software";

bool KeyExists(const wchar_t* SubKey) {
  HKEY Key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SubKey, 0, KEY_READ, &Key) != ERROR_SUCCESS) return false;
  RegCloseKey(Key);
  return true;
}

}  // namespace

std::wstring SharedIniPath() {
  wchar_t Buffer[MAX_PATH + 1] = {};
  GetWindowsDirectoryW(Buffer, MAX_PATH + 1);
  return std::wstring(Buffer) + L"\\Emberdell Screensaver.ini";
}

std::wstring PerUserIniPath() { return SpecialFolder(CSIDL_APPDATA) + L"\\Emberdell\\Emberdell Screensaver.ini"; }

std::wstring ScreenshotFolder() {
  const std::wstring Documents = SpecialFolder(CSIDL_PERSONAL);
  return Documents.empty() ? L"" : Documents + L"\\Emberdell Screenshots";
}

std::wstring ScrFolder() { return FolderOf(ScrPath()) + L"\\"; }

std::optional<std::string> ReadWholeFile(const std::wstring& Path) {
  HANDLE File = CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string Bytes;
  char Chunk[65536];
  DWORD Read = 0;
  bool Ok = true;
  while ((Ok = ReadFile(File, Chunk, sizeof Chunk, &Read, nullptr)) && Read > 0) Bytes.append(Chunk, Read);
  CloseHandle(File);
  if (!Ok) return std::nullopt;
  return Bytes;
}

bool FileExists(const std::wstring& Path) {
  const DWORD Attributes = GetFileAttributesW(Path.c_str());
  return Attributes != INVALID_FILE_ATTRIBUTES && !(Attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& Path) {
  const DWORD Attributes = GetFileAttributesW(Path.c_str());
  return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::wstring> IniValue(const std::wstring& File, const wchar_t* Key) {
  // Read from the disk, not through the profile functions: this process's
  // profile cache must not stand between the test and what the run wrote.
  const auto Bytes = ReadWholeFile(File);
  if (!Bytes) return std::nullopt;
  const std::wstring Text = FileText(*Bytes);
  bool InMain = false;
  size_t Start = 0;
  while (Start < Text.size()) {
    size_t End = Text.find(L'\n', Start);
    if (End == std::wstring::npos) End = Text.size();
    const std::wstring Line = Trim(Text.substr(Start, End - Start));
    Start = End + 1;
    if (!Line.empty() && Line.front() == L'[') {
      InMain = SameText(Line, L"[Main]");
      continue;
    }
    const size_t Equals = Line.find(L'=');
    if (InMain && Equals != std::wstring::npos && SameText(Trim(Line.substr(0, Equals)), Key))
      return Trim(Line.substr(Equals + 1));
  }
  return std::nullopt;
}

bool SetIniValue(const std::wstring& File, const wchar_t* Key, const wchar_t* Value) {
  return WritePrivateProfileStringW(L"Main", Key, Value, File.c_str()) != FALSE;
}

TSettingsSandbox::TSettingsSandbox() {
  for (TSavedFile* Saved : {&FShared, &FPerUser}) {
    Saved->Path = Saved == &FShared ? SharedIniPath() : PerUserIniPath();
    Saved->Bytes = ReadWholeFile(Saved->Path);
    RemoveSettingsPath(Saved->Path);
  }
  FPerUserFolderExisted = FolderExists(FolderOf(FPerUser.Path));
  FVendorKeyExisted = KeyExists(kVendorKey);

  HKEY Key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kOldRegistryKey, 0, KEY_READ, &Key) == ERROR_SUCCESS) {
    // The old key is flat: values only.
    FOldKey.emplace();
    for (DWORD Index = 0;; ++Index) {
      wchar_t Name[256];
      DWORD NameLength = 256, Type = 0, Size = 0;
      if (RegEnumValueW(Key, Index, Name, &NameLength, nullptr, &Type, nullptr, &Size) != ERROR_SUCCESS) break;
      TSavedValue Value{Name, Type, std::vector<BYTE>(Size)};
      NameLength = 256;
      RegEnumValueW(Key, Index, Name, &NameLength, nullptr, &Type, Value.Data.data(), &Size);
      FOldKey->push_back(std::move(Value));
    }
    RegCloseKey(Key);
    DeleteOldRegistryKey();
  }
}

TSettingsSandbox::~TSettingsSandbox() {
  for (TSavedFile* Saved : {&FShared, &FPerUser}) {
    RemoveSettingsPath(Saved->Path);
    if (Saved->Bytes) {
      CreateDirectoryW(FolderOf(Saved->Path).c_str(), nullptr);
      WriteWholeFile(Saved->Path, *Saved->Bytes);
    }
  }
  if (!FPerUserFolderExisted && !FPerUser.Bytes) RemoveDirectoryW(FolderOf(FPerUser.Path).c_str());

  DeleteOldRegistryKey();
  if (FOldKey) {
    HKEY Key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kOldRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &Key, nullptr) ==
        ERROR_SUCCESS) {
      for (const TSavedValue& Value : *FOldKey)
        RegSetValueExW(Key, Value.Name.c_str(), 0, Value.Type, Value.Data.data(),
                       static_cast<DWORD>(Value.Data.size()));
      RegCloseKey(Key);
    }
  }
  if (!FVendorKeyExisted) RegDeleteKeyW(HKEY_CURRENT_USER, kVendorKey);  // only when empty
}

TScreenshotFolder::TScreenshotFolder() : FPath(ScreenshotFolder()) {
  if (FPath.empty()) return;
  if (!FolderExists(FPath)) {
    FOwned = true;
    return;
  }
  const std::wstring Aside = FPath + L".before-tests";
  if (!FolderExists(Aside) && MoveFileW(FPath.c_str(), Aside.c_str())) {
    FAside = Aside;
    FOwned = true;
  }
}

TScreenshotFolder::~TScreenshotFolder() {
  // A folder that could not be moved aside is the user's: leave it alone.
  if (!FOwned) return;
  for (const std::wstring& Name : Files()) DeleteFileW((FPath + L"\\" + Name).c_str());
  RemoveDirectoryW(FPath.c_str());
  if (!FAside.empty()) MoveFileW(FAside.c_str(), FPath.c_str());
}

std::wstring TScreenshotFolder::File(int Number) const {
  wchar_t Name[32];
  wsprintfW(Name, L"\\%06d.bmp", Number);
  return FPath + Name;
}

std::vector<std::wstring> TScreenshotFolder::Files() const {
  std::vector<std::wstring> Names;
  WIN32_FIND_DATAW Found;
  HANDLE Search = FindFirstFileW((FPath + L"\\*").c_str(), &Found);
  if (Search == INVALID_HANDLE_VALUE) return Names;
  do {
    if (!(Found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) Names.push_back(Found.cFileName);
  } while (FindNextFileW(Search, &Found));
  FindClose(Search);
  std::sort(Names.begin(), Names.end());
  return Names;
}

std::optional<TBmp> ReadBmp(const std::wstring& Path) {
  const auto Bytes = ReadWholeFile(Path);
  if (!Bytes || Bytes->size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return std::nullopt;
  BITMAPFILEHEADER File;
  BITMAPINFOHEADER Info;
  std::memcpy(&File, Bytes->data(), sizeof File);
  std::memcpy(&Info, Bytes->data() + sizeof File, sizeof Info);
  if (File.bfType != 0x4D42 || Info.biBitCount != 24 || Info.biCompression != BI_RGB || Info.biWidth <= 0)
    return std::nullopt;
  TBmp Bmp;
  Bmp.Width = Info.biWidth;
  Bmp.Height = Info.biHeight;
  const size_t Size = Bmp.Stride() * static_cast<size_t>(std::abs(Bmp.Height));
  if (File.bfOffBits > Bytes->size() || Bytes->size() - File.bfOffBits < Size) return std::nullopt;
  Bmp.Pixels.assign(Bytes->begin() + File.bfOffBits, Bytes->begin() + File.bfOffBits + Size);
  return Bmp;
}

bool WriteOldRegistryKey(const std::vector<TRegistryValue>& Values) {
  HKEY Key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kOldRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &Key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  bool Ok = true;
  for (const TRegistryValue& Value : Values) {
    if (const DWORD* Number = std::get_if<DWORD>(&Value.Data))
      Ok &= RegSetValueExW(Key, Value.Name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(Number), sizeof(DWORD)) ==
            ERROR_SUCCESS;
    else {
      const std::wstring& Text = std::get<std::wstring>(Value.Data);
      Ok &= RegSetValueExW(Key, Value.Name, 0, REG_SZ, reinterpret_cast<const BYTE*>(Text.c_str()),
                           static_cast<DWORD>((Text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
  }
  RegCloseKey(Key);
  return Ok;
}

bool OldRegistryKeyExists() { return KeyExists(kOldRegistryKey); }

}  // namespace emberdell::test
