#include "win32/styles/uProfileFiles.h"

#include <shlobj.h>

#include <algorithm>
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
  const std::wstring WSection = ToWide(Section), WKey = ToWide(Key), Path = ToWide(FPath);
  // The profile functions cut a value to the buffer they are given and say
  // so only by filling it: the buffer grows until the value fits.
  std::vector<wchar_t> Buffer(2048, L'\0');
  for (;;) {
    const DWORD Length = GetPrivateProfileStringW(WSection.c_str(), WKey.c_str(), Missing, Buffer.data(),
                                                  static_cast<DWORD>(Buffer.size()), Path.c_str());
    if (Length + 1 < Buffer.size()) break;
    Buffer.assign(Buffer.size() * 2, L'\0');
  }
  if (std::wstring(Buffer.data()) == Missing) return false;
  Value = ToUtf8(Buffer.data());
  return true;
}

namespace {

// A file that starts as UTF-16 with a byte-order mark stays UTF-16 for the
// profile functions; one they make themselves is ANSI, which turns a Greek
// or Japanese style name into question marks.
bool CreateUnicodeFile(const std::wstring& Path) {
  HANDLE File = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return false;
  static const BYTE ByteOrderMark[] = {0xFF, 0xFE};
  DWORD Written = 0;
  const bool Ok = WriteFile(File, ByteOrderMark, sizeof ByteOrderMark, &Written, nullptr) &&
                  Written == sizeof ByteOrderMark;
  CloseHandle(File);
  return Ok;
}

// A list of strings each ending in a NUL, as the profile functions hand
// section names and sections back; the buffer grows until the list fits.
template <class TRead>
std::wstring ProfileList(TRead Read) {
  std::vector<wchar_t> Buffer(4096, L'\0');
  for (;;) {
    const DWORD Length = Read(Buffer.data(), static_cast<DWORD>(Buffer.size()));
    if (Length + 2 < Buffer.size()) return std::wstring(Buffer.data(), Length);
    Buffer.assign(Buffer.size() * 2, L'\0');
  }
}

struct TProfileLine {
  std::wstring Section, Key, Value;
};

// Every key of every section, as the profile functions read the file.
std::vector<TProfileLine> ProfileLines(const std::wstring& Path) {
  std::vector<TProfileLine> Lines;
  const std::wstring Names = ProfileList(
      [&](wchar_t* Buffer, DWORD Size) { return GetPrivateProfileSectionNamesW(Buffer, Size, Path.c_str()); });
  for (size_t At = 0; At < Names.size();) {
    const std::wstring Name = Names.c_str() + At;
    At += Name.size() + 1;
    const std::wstring Section = ProfileList([&](wchar_t* Buffer, DWORD Size) {
      return GetPrivateProfileSectionW(Name.c_str(), Buffer, Size, Path.c_str());
    });
    for (size_t Line = 0; Line < Section.size();) {
      const std::wstring Text = Section.c_str() + Line;
      Line += Text.size() + 1;
      const size_t Equals = Text.find(L'=');
      Lines.push_back({Name, Text.substr(0, Equals), Equals == std::wstring::npos ? L"" : Text.substr(Equals + 1)});
    }
  }
  return Lines;
}

bool SameName(const std::wstring& A, const std::wstring& B) {
  return CompareStringOrdinal(A.c_str(), static_cast<int>(A.size()), B.c_str(), static_cast<int>(B.size()), TRUE) ==
         CSTR_EQUAL;
}

bool HasLine(const std::vector<TProfileLine>& Lines, const std::wstring& Section, const std::wstring& Key,
             const std::wstring& Value) {
  return std::any_of(Lines.begin(), Lines.end(), [&](const TProfileLine& L) {
    return SameName(L.Section, Section) && SameName(L.Key, Key) && L.Value == Value;
  });
}

// A file without a byte-order mark is ANSI to the profile functions: what
// they keep of a value is what the code page can hold.
bool IsAnsiFile(const std::wstring& Path) {
  HANDLE File = CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (File == INVALID_HANDLE_VALUE) return false;
  unsigned char Head[3] = {};
  DWORD Read = 0;
  ReadFile(File, Head, sizeof Head, &Read, nullptr);
  CloseHandle(File);
  const bool Utf16 = Read >= 2 && ((Head[0] == 0xFF && Head[1] == 0xFE) || (Head[0] == 0xFE && Head[1] == 0xFF));
  const bool Utf8 = Read == 3 && Head[0] == 0xEF && Head[1] == 0xBB && Head[2] == 0xBF;
  return !Utf16 && !Utf8;
}

std::wstring ThroughAnsi(const std::wstring& Text) {
  if (Text.empty()) return Text;
  const int Bytes = WideCharToMultiByte(CP_ACP, 0, Text.c_str(), static_cast<int>(Text.size()), nullptr, 0,
                                        nullptr, nullptr);
  std::string Ansi(static_cast<size_t>(Bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, Text.c_str(), static_cast<int>(Text.size()), Ansi.data(), Bytes, nullptr, nullptr);
  const int Chars = MultiByteToWideChar(CP_ACP, 0, Ansi.data(), Bytes, nullptr, 0);
  std::wstring Back(static_cast<size_t>(Chars), L'\0');
  MultiByteToWideChar(CP_ACP, 0, Ansi.data(), Bytes, Back.data(), Chars);
  return Back;
}

// The profile functions may say a write went well when the disk took only
// part of the file (a full disk cuts it short). So the file is read again
// from the disk, once they have let go of the copy they keep in memory: every
// key it held before must still be there, and every key written must hold
// its new value.
bool ReachedTheDisk(const std::wstring& Path, const std::vector<TProfileLine>& Before, const std::wstring& Section,
                    std::span<const TProfileValue> Values) {
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, Path.c_str());
  const std::vector<TProfileLine> After = ProfileLines(Path);
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, Path.c_str());
  std::vector<std::wstring> Keys;
  for (const TProfileValue& V : Values) Keys.push_back(ToWide(V.Key));
  const auto Written = [&](const TProfileLine& L) {
    return SameName(L.Section, Section) &&
           std::any_of(Keys.begin(), Keys.end(), [&](const std::wstring& K) { return SameName(K, L.Key); });
  };
  for (const TProfileLine& L : Before)
    if (!Written(L) && !HasLine(After, L.Section, L.Key, L.Value)) return false;
  const bool Ansi = IsAnsiFile(Path);
  for (size_t I = 0; I < Values.size(); ++I) {
    const std::wstring Value = ToWide(Values[I].Value);
    if (!HasLine(After, Section, Keys[I], Ansi ? ThroughAnsi(Value) : Value)) return false;
  }
  // The bytes are on the disk before the file takes the old one's place.
  HANDLE File = CreateFileW(Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return false;
  const bool Flushed = FlushFileBuffers(File) != FALSE;
  CloseHandle(File);
  return Flushed;
}

// Long enough for a save on a slow disk, short enough that a process that
// hangs while holding the lock cannot keep the user from closing the window.
constexpr DWORD kSettingsLockWaitMs = 10000;

// Held from reading the file to replacing it, so that two Emberdell
// processes saving at once each build on what the other wrote.
class TSettingsLock {
 public:
  TSettingsLock() : FMutex(CreateMutexW(nullptr, FALSE, kSettingsLockName)) {
    if (FMutex == nullptr) return;
    const DWORD Result = WaitForSingleObject(FMutex, kSettingsLockWaitMs);
    // An owner that ended without letting go left a whole file behind: the
    // file is only ever replaced in one step.
    FOwned = Result == WAIT_OBJECT_0 || Result == WAIT_ABANDONED;
  }
  ~TSettingsLock() {
    if (FOwned) ReleaseMutex(FMutex);
    if (FMutex != nullptr) CloseHandle(FMutex);
  }
  TSettingsLock(const TSettingsLock&) = delete;
  TSettingsLock& operator=(const TSettingsLock&) = delete;
  bool Owned() const { return FOwned; }

 private:
  HANDLE FMutex;
  bool FOwned = false;
};

}  // namespace

bool TIniProfileStore::WriteStrings(const std::string& Section, std::span<const TProfileValue> Values) {
  const std::wstring Path = ToWide(FPath);
  if (FCreateFolder) {
    const size_t Slash = Path.find_last_of(L"\\/");
    if (Slash != std::wstring::npos) SHCreateDirectoryExW(nullptr, Path.substr(0, Slash).c_str(), nullptr);
  }
  TSettingsLock Lock;
  if (!Lock.Owned()) return false;
  // A file the user made read-only stays as it is, also for an account the
  // file system would let write anyway.
  const DWORD Attributes = GetFileAttributesW(Path.c_str());
  if (Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  // The new settings go into a copy beside the file, which then takes the
  // file's place in one step: a process killed or a disk filled on the way
  // leaves the old file whole. A copy keeps the file's encoding, so an ANSI
  // file from an older version stays ANSI.
  const std::wstring Copy = Path + L".saving";
  bool Ok = Attributes != INVALID_FILE_ATTRIBUTES ? CopyFileW(Path.c_str(), Copy.c_str(), FALSE) != FALSE
                                                  : CreateUnicodeFile(Copy);
  const std::wstring WSection = ToWide(Section);
  const std::vector<TProfileLine> Before = Ok ? ProfileLines(Copy) : std::vector<TProfileLine>{};
  for (const TProfileValue& V : Values)
    Ok = Ok && WritePrivateProfileStringW(WSection.c_str(), ToWide(V.Key).c_str(), ToWide(V.Value).c_str(),
                                          Copy.c_str()) != FALSE;
  Ok = Ok && ReachedTheDisk(Copy, Before, WSection, Values);
  Ok = Ok && MoveFileExW(Copy.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  if (!Ok) {
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, Copy.c_str());
    DeleteFileW(Copy.c_str());
  }
  // What the profile functions hold of the file itself is read again.
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, Path.c_str());
  return Ok;
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
