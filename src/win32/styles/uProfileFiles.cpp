#include "win32/styles/uProfileFiles.h"

#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "core/styles/uIniEncoding.h"
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

// A UTF-8 value as it comes back from the ANSI code page; a character the
// code page lacks comes back as "?", one it would only approximate too.
std::string ThroughCodePage(const std::string& Value) {
  const std::wstring Wide = ToWide(Value);
  if (Wide.empty() || GetACP() == CP_UTF8) return Value;
  const int Count = static_cast<int>(Wide.size());
  const int Bytes =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide.c_str(), Count, nullptr, 0, nullptr, nullptr);
  if (Bytes <= 0) return {};
  std::string Ansi(static_cast<size_t>(Bytes), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide.c_str(), Count, Ansi.data(), Bytes, nullptr, nullptr);
  const int Chars = MultiByteToWideChar(CP_ACP, 0, Ansi.data(), Bytes, nullptr, 0);
  std::wstring Back(static_cast<size_t>(std::max(Chars, 0)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, Ansi.data(), Bytes, Back.data(), Chars);
  return ToUtf8(Back);
}

// The whole file, or nothing when it cannot be read.
std::optional<std::string> FileBytes(const std::wstring& Path) {
  HANDLE File = CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (File == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string Bytes;
  char Chunk[16384];
  DWORD Read = 0;
  bool Ok = true;
  while ((Ok = ReadFile(File, Chunk, sizeof Chunk, &Read, nullptr) != FALSE) && Read > 0) Bytes.append(Chunk, Read);
  CloseHandle(File);
  if (!Ok) return std::nullopt;
  return Bytes;
}

bool WriteNewFile(const std::wstring& Path, const std::string& Bytes) {
  HANDLE File = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return false;
  DWORD Written = 0;
  const bool Ok = WriteFile(File, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Written, nullptr) &&
                  Written == Bytes.size();
  const DWORD Error = GetLastError();
  CloseHandle(File);
  SetLastError(Error);
  return Ok;
}

// The ANSI file's text, every line of it, as UTF-16 with its byte-order mark:
// from then on the profile functions keep any name whole.
bool WriteUtf16Copy(const std::string& Ansi, const std::wstring& Copy) {
  std::wstring Text;
  if (!Ansi.empty()) {
    const int Size = static_cast<int>(Ansi.size());
    const int Chars = MultiByteToWideChar(CP_ACP, 0, Ansi.data(), Size, nullptr, 0);
    if (Chars <= 0) return false;
    Text.assign(static_cast<size_t>(Chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, Ansi.data(), Size, Text.data(), Chars);
  }
  std::string Bytes = "\xFF\xFE";
  Bytes.append(reinterpret_cast<const char*>(Text.data()), Text.size() * sizeof(wchar_t));
  return WriteNewFile(Copy, Bytes);
}

// Why a file could not be opened as asked.
TWriteResult Why(DWORD Error) {
  switch (Error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return TWriteResult::Busy;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return TWriteResult::Denied;
    default:
      return TWriteResult::Failed;
  }
}

// Whether the file itself could be opened with Access now, and if not why.
TWriteResult CanOpen(const std::wstring& Path, DWORD Access) {
  HANDLE File = CreateFileW(Path.c_str(), Access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return Why(GetLastError());
  CloseHandle(File);
  return TWriteResult::Written;
}

// The copy's bytes over the file in one write. The file is first grown to
// the larger of both sizes, so that a disk without room refuses before a
// byte of the old settings is touched.
TWriteResult WriteOver(const std::wstring& Path, const std::string& Bytes) {
  HANDLE File = CreateFileW(Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return Why(GetLastError());
  LARGE_INTEGER Old{}, Size{}, Zero{};
  GetFileSizeEx(File, &Old);
  Size.QuadPart = std::max<LONGLONG>(Old.QuadPart, static_cast<LONGLONG>(Bytes.size()));
  DWORD Written = 0;
  bool Ok = SetFilePointerEx(File, Size, nullptr, FILE_BEGIN) && SetEndOfFile(File) &&
            SetFilePointerEx(File, Zero, nullptr, FILE_BEGIN) &&
            WriteFile(File, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Written, nullptr) &&
            Written == Bytes.size() && SetEndOfFile(File) && FlushFileBuffers(File);
  CloseHandle(File);
  return Ok ? TWriteResult::Written : TWriteResult::Failed;
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
  // The value itself, not what a code page made of it: a name stored as
  // question marks is a lost name.
  for (size_t I = 0; I < Values.size(); ++I)
    if (!HasLine(After, Section, Keys[I], ToWide(Values[I].Value))) return false;
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

bool IsUserInput(UINT Message) {
  return (Message >= WM_KEYFIRST && Message <= WM_KEYLAST) || (Message >= WM_MOUSEFIRST && Message <= WM_MOUSELAST);
}

// Waits up to TimeoutMs for Object (none: only lets the time pass) while the
// thread's windows paint, move and answer. A click or a key meanwhile would
// start something new in a window that is busy saving, so those are
// dropped; the title bar (non-client input) still moves the window.
DWORD WaitResponsive(HANDLE Object, DWORD TimeoutMs) {
  const DWORD Count = Object != nullptr ? 1 : 0;
  const ULONGLONG Deadline = GetTickCount64() + TimeoutMs;
  bool Quit = false;
  WPARAM QuitCode = 0;
  DWORD Result = WAIT_TIMEOUT;
  for (;;) {
    const ULONGLONG Now = GetTickCount64();
    const DWORD Left = Now >= Deadline ? 0 : static_cast<DWORD>(Deadline - Now);
    const DWORD Woke = MsgWaitForMultipleObjects(Count, Count ? &Object : nullptr, FALSE, Left, QS_ALLINPUT);
    // Without an object, WAIT_OBJECT_0 is a message; with one, WAIT_OBJECT_0
    // + 1 is.
    if (Woke != WAIT_OBJECT_0 + Count) {
      Result = Woke;
      break;
    }
    MSG Message;
    while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
      if (Message.message == WM_QUIT) {
        Quit = true;
        QuitCode = Message.wParam;
        continue;
      }
      if (IsUserInput(Message.message)) continue;
      TranslateMessage(&Message);
      DispatchMessageW(&Message);
    }
    // Time is up while messages kept coming: the object gets one last look.
    if (Left == 0) {
      Result = Count ? WaitForSingleObject(Object, 0) : WAIT_TIMEOUT;
      break;
    }
  }
  // A quit seen here belongs to the loop outside.
  if (Quit) PostQuitMessage(static_cast<int>(QuitCode));
  return Result;
}

// Held for one write by a caller that holds no lock of its own; within a
// save (TSettingsMutex held by this thread) it is had at once, since a
// mutex is its owner's again and again.
class TSettingsLock {
 public:
  TSettingsLock() : FMutex(CreateMutexW(nullptr, FALSE, kSettingsLockName)) {
    if (FMutex == nullptr) return;
    const DWORD Result = WaitResponsive(FMutex, kSettingsLockWaitMs);
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

// Where a copy is made when none can be made beside the file.
std::wstring TempCopyPath() {
  wchar_t Temp[MAX_PATH + 1] = L"";
  const DWORD Length = GetTempPathW(MAX_PATH + 1, Temp);
  if (Length == 0 || Length > MAX_PATH) return {};
  return std::wstring(Temp) + L"Emberdell settings " + std::to_wstring(GetCurrentProcessId()) + L".ini";
}

}  // namespace

TWriteResult TIniProfileStore::WriteStrings(const std::string& Section, std::span<const TProfileValue> Values,
                                            TWriteMode Mode) {
  const std::wstring Path = ToWide(FPath);
  if (FCreateFolder) {
    const size_t Slash = Path.find_last_of(L"\\/");
    if (Slash != std::wstring::npos) SHCreateDirectoryExW(nullptr, Path.substr(0, Slash).c_str(), nullptr);
  }
  TSettingsLock Lock;
  if (!Lock.Owned()) return TWriteResult::Locked;
  // A file the user made read-only stays as it is, also for an account the
  // file system would let write anyway.
  const DWORD Attributes = GetFileAttributesW(Path.c_str());
  if (Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return TWriteResult::Denied;
  const bool Exists = Attributes != INVALID_FILE_ATTRIBUTES;
  std::optional<std::string> Old;
  if (Exists && !(Old = FileBytes(Path))) return Why(GetLastError());
  const bool ToUtf16 = MustBecomeUtf16(IniEncodingOf(Exists, Old ? *Old : std::string()), Values, ThroughCodePage);

  // The new settings go into a copy, beside the file where it can, which
  // then takes the file's place in one step: a process killed or a disk
  // filled on the way leaves the old file whole. A copy keeps the file's
  // encoding unless a value needs UTF-16.
  const std::wstring Copy = Mode == TWriteMode::ThroughCopy ? Path + L".saving" : TempCopyPath();
  if (Copy.empty()) return TWriteResult::Failed;
  const bool Made = !Exists ? CreateUnicodeFile(Copy) : ToUtf16 ? WriteUtf16Copy(*Old, Copy) : WriteNewFile(Copy, *Old);
  const auto Drop = [&] {
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, Copy.c_str());
    DeleteFileW(Copy.c_str());
  };
  if (!Made) {
    const TWriteResult Reason = Why(GetLastError());
    Drop();
    // A folder closed to new files around a file open to writing.
    if (Reason == TWriteResult::Denied && Mode == TWriteMode::ThroughCopy && Exists &&
        CanOpen(Path, GENERIC_WRITE) == TWriteResult::Written)
      return TWriteResult::NoCopy;
    return Reason;
  }
  const std::wstring WSection = ToWide(Section);
  const std::vector<TProfileLine> Before = ProfileLines(Copy);
  bool Ok = true;
  for (const TProfileValue& V : Values)
    Ok = Ok && WritePrivateProfileStringW(WSection.c_str(), ToWide(V.Key).c_str(), ToWide(V.Value).c_str(),
                                          Copy.c_str()) != FALSE;
  Ok = Ok && ReachedTheDisk(Copy, Before, WSection, Values);
  TWriteResult Result = Ok ? TWriteResult::Written : TWriteResult::Failed;
  if (Ok && Mode == TWriteMode::ThroughCopy &&
      !MoveFileExW(Copy.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Result = Why(GetLastError());
    // Refused because someone holds the file without delete sharing, or
    // because it cannot be replaced at all: asking for the right to delete
    // it tells which.
    if (Result == TWriteResult::Denied && Exists && CanOpen(Path, DELETE) == TWriteResult::Busy)
      Result = TWriteResult::Busy;
  }
  if (Ok && Mode == TWriteMode::InPlace) {
    const std::optional<std::string> New = FileBytes(Copy);
    Result = New ? WriteOver(Path, *New) : TWriteResult::Failed;
  }
  if (Result != TWriteResult::Written || Mode == TWriteMode::InPlace) Drop();
  // What the profile functions hold of the file itself is read again.
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, Path.c_str());
  return Result;
}

TSettingsMutex::TSettingsMutex() : FMutex(CreateMutexW(nullptr, FALSE, kSettingsLockName)) {}

TSettingsMutex::~TSettingsMutex() {
  if (FMutex != nullptr) CloseHandle(FMutex);
}

bool TSettingsMutex::Acquire() {
  if (FMutex == nullptr) return false;
  const DWORD Result = WaitResponsive(FMutex, kSettingsLockWaitMs);
  return Result == WAIT_OBJECT_0 || Result == WAIT_ABANDONED;
}

void TSettingsMutex::Release() {
  if (FMutex != nullptr) ReleaseMutex(FMutex);
}

void TSettingsMutex::Pause(uint32_t Ms) { WaitResponsive(nullptr, Ms); }

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
