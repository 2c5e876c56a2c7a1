// The settings file as the program finds and leaves it: what a run reads,
// what it writes back on closing, the one-time move of the older version's
// registry settings, and the per-user copy when the Windows directory is
// closed to writing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/engine/uImageFiles.h"
#include "core/styles/uDelimitedText.h"
#include "core/styles/uSettingsSaving.h"
#include "tests/win32/harness/scr_run.h"
#include "tests/win32/harness/scr_sandbox.h"
#include "win32/host/uWinText.h"
#include "win32/styles/uProfileFiles.h"

namespace emberdell::test {
namespace {

using SettingsFiles = TRunTest;

constexpr wchar_t kCounter[] = L"Last Screenshot Number";

// Runs a mode to its end after the main form's creation and close. The
// settings mode ends when its window closes, so it is closed as by its close
// box (which writes every setting, as closing that window does).
void RunToEnd(const wchar_t* Args) {
  TScrProcess Scr(Args);
  ASSERT_TRUE(Scr.Started()) << "CreateProcess failed: " << GetLastError();
  if (std::wstring(Args).starts_with(L"/c")) {
    HWND Window = Scr.WaitForWindow(L"#32770", kStartDeadlineMs);
    ASSERT_NE(Window, nullptr) << "no settings window";
    PostMessageW(Window, WM_CLOSE, 0, 0);
  }
  const auto Code = Scr.WaitForExit(kExitDeadlineMs);
  ASSERT_TRUE(Code.has_value()) << "still running";
  EXPECT_EQ(*Code, 0u);
}

TEST_F(SettingsFiles, ARunReadsTheFileAndWritesOnlyTheCounterBack) {
  const std::vector<std::pair<const wchar_t*, const wchar_t*>> Known = {
      {L"Active Presets", L"~(Default) Wood~,~Gas Flame~"},
      {L"Changing delay", L"77"},
      {L"FPS", L"20"},
      {L"Fadeout", L"400"},
      {L"Show Preview", L"0"},
  };
  for (const auto& [Key, Value] : Known) ASSERT_TRUE(Settings.Set(Key, Value));
  ASSERT_TRUE(Settings.Set(kCounter, 41));

  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  PressKey('F');
  EXPECT_TRUE(WaitForShot(42).has_value()) << "the counter was not read from the file";
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitForEnd().has_value());

  EXPECT_EQ(Settings.Get(kCounter), L"42");
  for (const auto& [Key, Value] : Known) EXPECT_EQ(Settings.Get(Key), Value) << "key " << ToUtf8(Key);
  // The run saves nothing but the counter.
  EXPECT_FALSE(Settings.Get(L"Picture Height").has_value());
  EXPECT_FALSE(Settings.Get(L"Active Backgrounds").has_value());
}

// Two processes saving at once: while another one holds the settings lock
// (here the test, standing in for a settings window that is saving), a run's
// counter waits, and then lands on what the other process wrote.
TEST_F(SettingsFiles, ASaveWaitsForAnotherProcessesSaveAndKeepsItsKeys) {
  ASSERT_TRUE(Settings.Set(kCounter, 41));
  ASSERT_TRUE(Settings.Set(L"Fadeout", 700));
  HANDLE Lock = CreateMutexW(nullptr, TRUE, kSettingsLockName);
  ASSERT_NE(Lock, nullptr);
  ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "another process holds the lock";
  struct TRelease {
    HANDLE& Lock;
    ~TRelease() {
      if (Lock != nullptr) {
        ReleaseMutex(Lock);
        CloseHandle(Lock);
      }
    }
  } Release{Lock};
  const auto Before = ReadWholeFile(SharedIniPath());

  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  PressKey('F');
  ASSERT_TRUE(WaitForShot(42).has_value());
  PressKey(VK_ESCAPE);
  // The run ends its frames and turns to the file at once; it must not
  // write while the lock is held.
  EXPECT_FALSE(WaitUntil(3000, [&] { return ReadWholeFile(SharedIniPath()) != Before; }))
      << "the run wrote the file while another process was saving it";
  // The other process's save lands, then it lets go.
  ASSERT_TRUE(Settings.Set(L"Fadeout", 500));
  ReleaseMutex(Lock);
  CloseHandle(Lock);
  Lock = nullptr;
  ASSERT_TRUE(WaitForEnd().has_value());
  EXPECT_EQ(Settings.Get(kCounter), L"42");
  EXPECT_EQ(Settings.Get(L"Fadeout"), L"500") << "the run's save lost the other process's key";
}

// A run or a preview that changes nothing leaves the file's bytes as they
// were: no moment of writing at which a power cut could cut it short.
TEST_F(SettingsFiles, ARunAndAPreviewThatChangeNothingLeaveTheFileAlone) {
  // "+7" reads as 7 and would be written back as "7": the text tells a
  // written counter from one left alone.
  ASSERT_TRUE(Settings.Set(kCounter, L"+7"));
  ASSERT_TRUE(Settings.Set(L"FPS", 20));
  const auto Before = ReadWholeFile(SharedIniPath());
  ASSERT_TRUE(Before.has_value());

  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitForEnd().has_value());
  EXPECT_EQ(ReadWholeFile(SharedIniPath()), Before) << "a full-screen run without a screenshot wrote the file";

  RunToEnd(L"/p 4711");
  EXPECT_EQ(ReadWholeFile(SharedIniPath()), Before) << "a preview wrote the file";

  // With no file at all, neither makes one.
  ASSERT_TRUE(DeleteFileW(SharedIniPath().c_str()));
  RunToEnd(L"/p 4711");
  EXPECT_FALSE(FileExists(SharedIniPath()));
  EXPECT_FALSE(FileExists(PerUserIniPath()));
}

// Seventy ticked pictures with Cyrillic names make a list of some 3000
// bytes: opening and closing the settings window keeps every tick.
TEST_F(SettingsFiles, SeventyTickedCyrillicBackgroundsSurviveTheSettingsWindow) {
  const std::wstring Pictures = ScrFolder() + L"Background Images";
  const bool HadPictures = FolderExists(Pictures);
  CreateDirectoryW(Pictures.c_str(), nullptr);
  wchar_t Temp[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, Temp), 0u);
  const std::wstring Seed = std::wstring(Temp) + L"emberdell-seed-" + std::to_wstring(GetTickCount()) + L".jpg";
  std::vector<uint8_t> Pixels(32 * 24 * 4, 0x80);
  std::string Error;
  ASSERT_TRUE(WriteJpegFile(ToUtf8(Seed), 32, 24, Pixels.data(), 90, false, Error)) << Error;
  std::vector<std::wstring> Files;
  std::vector<std::string> Names;
  struct TCleanup {
    std::vector<std::wstring>& Files;
    std::wstring Seed, Folder;
    bool KeepFolder;
    ~TCleanup() {
      for (const std::wstring& F : Files) DeleteFileW(F.c_str());
      DeleteFileW(Seed.c_str());
      if (!KeepFolder) RemoveDirectoryW(Folder.c_str());
    }
  } Cleanup{Files, Seed, Pictures, HadPictures};
  for (int I = 0; I < 70; ++I) {
    const std::wstring Name = L"\u041F\u043B\u0430\u043C\u044F \u043A\u0430\u043C\u0438\u043D\u0430 "
                              L"\u043D\u043E\u043C\u0435\u0440 " +
                              std::wstring(I < 10 ? L"0" : L"") + std::to_wstring(I);  // "Пламя камина номер NN"
    Files.push_back(Pictures + L"\\" + Name + L".jpg");
    ASSERT_TRUE(CopyFileW(Seed.c_str(), Files.back().c_str(), FALSE)) << GetLastError();
    Names.push_back(ToUtf8(Name));
  }
  const std::wstring List = ToWide(ListToDelimitedText(Names));
  ASSERT_GT(ListToDelimitedText(Names).size(), 2047u);
  // A file that starts with the byte-order mark, as the program makes it:
  // the names stay Cyrillic, not the ANSI code page's question marks.
  {
    HANDLE File = CreateFileW(SharedIniPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(File, INVALID_HANDLE_VALUE);
    DWORD Written = 0;
    WriteFile(File, "\xFF\xFE", 2, &Written, nullptr);
    CloseHandle(File);
  }
  ASSERT_TRUE(Settings.Set(L"Active Backgrounds", List.c_str()));
  ASSERT_TRUE(Settings.Set(L"Show Preview", 0));

  RunToEnd(L"/c");
  const auto After = Settings.Get(L"Active Backgrounds");
  ASSERT_TRUE(After.has_value());
  const std::vector<std::string> Kept = DelimitedTextToList(ToUtf8(*After));
  EXPECT_EQ(Kept.size(), 70u);
  EXPECT_EQ(Kept, Names);
  // And the next start reads them all again.
  RunToEnd(L"/c");
  EXPECT_EQ(Settings.Get(L"Active Backgrounds"), List);
}

TEST_F(SettingsFiles, OldRegistrySettingsMoveIntoTheFileOnce) {
  ASSERT_TRUE(WriteOldRegistryKey({
      {L"Fadeout", DWORD{900}},
      {L"FPS", DWORD{30}},
      {L"Ignore Mouse Move", DWORD{1}},
      {L"Change on startup", DWORD{5}},
      {L"Last Screenshot Number", DWORD{17}},
      {L"Active Presets", std::wstring(L"~(Default) Wood~,~Gas Flame~")},
      {L"Allow Second Monitor", DWORD{0}},
  }));
  // The move comes with every mode's start; a preview whose window is gone
  // ends by itself and writes nothing but the moved values and the counter.
  RunToEnd(L"/p 4711");

  EXPECT_FALSE(OldRegistryKeyExists()) << "the old key is still there";
  EXPECT_EQ(Settings.Get(L"Fadeout"), L"900");
  EXPECT_EQ(Settings.Get(L"FPS"), L"30");
  EXPECT_EQ(Settings.Get(L"Ignore Mouse Move"), L"1");
  EXPECT_EQ(Settings.Get(L"Change on startup"), L"1");
  EXPECT_EQ(Settings.Get(kCounter), L"17");
  EXPECT_EQ(Settings.Get(L"Active Presets"), L"~(Default) Wood~,~Gas Flame~");
  // Values the key did not hold are written with their defaults.
  EXPECT_EQ(Settings.Get(L"Picture Height"), L"100");
  EXPECT_EQ(Settings.Get(L"Allow Fadeout"), L"1");
  EXPECT_EQ(Settings.Get(L"Chimes Volume"), L"80");
  const auto InstallDir = Settings.Get(L"InstallDir");
  ASSERT_TRUE(InstallDir.has_value());
  EXPECT_EQ(lstrcmpiW(InstallDir->c_str(), ScrFolder().c_str()), 0)
      << ToUtf8(*InstallDir) << " is not the program's folder " << ToUtf8(ScrFolder());
  // Not part of the move.
  EXPECT_FALSE(Settings.Get(L"Allow Second Monitor").has_value());
  EXPECT_FALSE(Settings.Get(L"Active Backgrounds").has_value());

  // A value changed since then is not overwritten by a second move.
  ASSERT_TRUE(Settings.Set(L"Fadeout", 500));
  const auto Before = ReadWholeFile(SharedIniPath());
  RunToEnd(L"/p 4711");
  EXPECT_EQ(ReadWholeFile(SharedIniPath()), Before) << "the second start changed the file";
}

TEST_F(SettingsFiles, APerUserCopyTakesOverWhenTheWindowsDirectoryFileCannotBeWritten) {
  // A folder where the file should be: every write to it fails, even for a
  // user the file system lets write anywhere.
  ASSERT_TRUE(CreateDirectoryW(SharedIniPath().c_str(), nullptr));
  const std::wstring PerUser = PerUserIniPath();
  ASSERT_FALSE(FileExists(PerUser));

  RunToEnd(L"/c");
  ASSERT_TRUE(FileExists(PerUser)) << "no per-user copy at " << ToUtf8(PerUser);
  EXPECT_TRUE(FolderExists(SharedIniPath()));
  // The copy is complete, since from now on it is the only file read.
  EXPECT_EQ(IniValue(PerUser, kCounter), L"0");
  EXPECT_EQ(IniValue(PerUser, L"Fadeout"), L"700");
  EXPECT_EQ(IniValue(PerUser, L"FPS"), L"25");
  EXPECT_EQ(IniValue(PerUser, L"Active Presets"), L"~(Default) Wood~");
  EXPECT_EQ(IniValue(PerUser, L"Active Backgrounds"), L"~(Default) Desktop Snapshot~");

  // The next start reads the copy and writes back into it: a key gone from
  // it is filled in, while one nobody changed stays as it is written ("+30"
  // reads as 30 and is not this process's to rewrite).
  ASSERT_TRUE(SetIniValue(PerUser, L"FPS", L"+30"));
  ASSERT_TRUE(WritePrivateProfileStringW(L"Main", L"Fadeout", nullptr, PerUser.c_str()));
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, PerUser.c_str());
  ASSERT_FALSE(IniValue(PerUser, L"Fadeout").has_value());
  RunToEnd(L"/c");
  EXPECT_EQ(IniValue(PerUser, L"Fadeout"), L"700");
  EXPECT_EQ(IniValue(PerUser, L"FPS"), L"+30");
  EXPECT_TRUE(FolderExists(SharedIniPath()));
}

// No copy can be made beside the file (a folder stands in its name's way, as
// a folder closed to new files refuses it), while the file itself can be
// written: the settings go into the file in place, not into a per-user copy.
TEST_F(SettingsFiles, WithNoCopyBesideItTheFileIsWrittenInPlace) {
  ASSERT_TRUE(Settings.Set(L"FPS", 37));
  const std::wstring Blocker = SharedIniPath() + L".saving";
  ASSERT_TRUE(CreateDirectoryW(Blocker.c_str(), nullptr));
  struct TRemove {
    std::wstring Folder;
    ~TRemove() { RemoveDirectoryW(Folder.c_str()); }
  } Remove{Blocker};
  RunToEnd(L"/c");
  EXPECT_FALSE(FileExists(PerUserIniPath())) << "the settings moved to a per-user copy";
  EXPECT_EQ(Settings.Get(L"FPS"), L"37");
  EXPECT_EQ(Settings.Get(L"Fadeout"), L"700");
}

// The text of a message box of the process, or nothing when Window is not one.
std::wstring MessageText(HWND Window) {
  wchar_t Text[512] = L"";
  GetDlgItemTextW(Window, 0xFFFF, Text, 512);
  return Text;
}

// A message box of Scr's whose text is Expected, once it shows over Window.
HWND WaitForMessage(HWND Window, const std::wstring& Expected) {
  HWND Box = nullptr;
  WaitUntil(kStartDeadlineMs, [&] {
    Box = GetLastActivePopup(Window);
    return Box != Window && MessageText(Box) == Expected && IsWindowVisible(Box);
  });
  return Box != Window && MessageText(Box) == Expected ? Box : nullptr;
}

TEST_F(SettingsFiles, AFailedWriteOutsideARunIsReported) {
  // Neither file can be written: folders stand where both should be.
  ASSERT_TRUE(CreateDirectoryW(SharedIniPath().c_str(), nullptr));
  const std::wstring PerUser = PerUserIniPath();
  CreateDirectoryW(PerUser.substr(0, PerUser.rfind(L'\\')).c_str(), nullptr);
  ASSERT_TRUE(CreateDirectoryW(PerUser.c_str(), nullptr));
  ASSERT_TRUE(WriteOldRegistryKey({{L"Fadeout", DWORD{900}}}));
  // The per-user copy is the last file tried.
  const std::wstring Expected = L"Unable to write to " + PerUser;

  // The move of the old settings, at the settings window's start.
  TScrProcess Scr(L"/c");
  ASSERT_TRUE(Scr.Started());
  HWND Box = Scr.WaitForWindow(L"#32770", kStartDeadlineMs);
  ASSERT_NE(Box, nullptr) << "no message about the failed move";
  EXPECT_EQ(MessageText(Box), Expected);
  PostMessageW(Box, WM_COMMAND, IDOK, 0);
  // The key stays for the next start to try again; the window opens.
  HWND Window = nullptr;
  ASSERT_TRUE(WaitUntil(kStartDeadlineMs, [&] {
    Window = FindWindowW(L"#32770", L"Emberdell Screensaver");
    return Window != nullptr && MessageText(Window).empty() && IsWindowVisible(Window);
  })) << "no settings window after the message";
  EXPECT_TRUE(OldRegistryKeyExists());

  // Closing the window: the same message; "Retry" tries again and says so
  // again, and the window stays meanwhile.
  PostMessageW(Window, WM_CLOSE, 0, 0);
  HWND Second = WaitForMessage(Window, Expected);
  ASSERT_NE(Second, nullptr) << "closing the window did not report the failed write";
  EXPECT_NE(GetDlgItem(Second, IDRETRY), nullptr) << "the message offers no retry";
  PostMessageW(Second, WM_COMMAND, IDRETRY, 0);
  ASSERT_TRUE(WaitUntil(kStartDeadlineMs, [&] { return !IsWindow(Second); }));
  HWND Third = WaitForMessage(Window, Expected);
  ASSERT_NE(Third, nullptr) << "a retry that failed again was not reported";
  EXPECT_TRUE(IsWindowVisible(Window));
  // "Cancel" leaves without saving, and the program ends as after a save.
  PostMessageW(Third, WM_COMMAND, IDCANCEL, 0);
  const auto Code = Scr.WaitForExit(kExitDeadlineMs);
  ASSERT_TRUE(Code.has_value()) << "the window cannot be left when nothing can be saved";
  EXPECT_EQ(*Code, 0u);
  EXPECT_TRUE(FolderExists(SharedIniPath()));
  EXPECT_TRUE(FolderExists(PerUser));
  EXPECT_FALSE(FileExists(PerUser + L".saving"));

  // A run stays silent: the preview of a gone window ends without a word.
  RunToEnd(L"/p 4711");
}

// Both files read-only: the window still closes, and neither file changes.
TEST_F(SettingsFiles, ReadOnlySettingsFilesDoNotKeepTheUserInTheWindow) {
  ASSERT_TRUE(Settings.Set(L"FPS", 37));
  const std::wstring PerUser = PerUserIniPath();
  CreateDirectoryW(PerUser.substr(0, PerUser.rfind(L'\\')).c_str(), nullptr);
  ASSERT_TRUE(SetIniValue(PerUser, L"FPS", L"38"));
  const auto SharedBefore = ReadWholeFile(SharedIniPath()), UserBefore = ReadWholeFile(PerUser);
  ASSERT_TRUE(SetFileAttributesW(SharedIniPath().c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesW(PerUser.c_str(), FILE_ATTRIBUTE_READONLY));
  struct TWritable {
    std::wstring A, B;
    ~TWritable() {
      SetFileAttributesW(A.c_str(), FILE_ATTRIBUTE_NORMAL);
      SetFileAttributesW(B.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
  } Writable{SharedIniPath(), PerUser};

  TScrProcess Scr(L"/c");
  ASSERT_TRUE(Scr.Started());
  HWND Window = Scr.WaitForWindow(L"#32770", kStartDeadlineMs);
  ASSERT_NE(Window, nullptr) << "no settings window";
  PostMessageW(Window, WM_CLOSE, 0, 0);
  HWND Box = WaitForMessage(Window, L"Unable to write to " + PerUser);
  ASSERT_NE(Box, nullptr) << "the failed save was not reported";
  PostMessageW(Box, WM_COMMAND, IDCANCEL, 0);
  const auto Code = Scr.WaitForExit(kExitDeadlineMs);
  ASSERT_TRUE(Code.has_value()) << "the window cannot be left when nothing can be saved";
  EXPECT_EQ(ReadWholeFile(SharedIniPath()), SharedBefore);
  EXPECT_EQ(ReadWholeFile(PerUser), UserBefore);
}

TEST_F(SettingsFiles, AReadOnlySettingsFileIsLeftAsItIsAndThePerUserCopyTakesOver) {
  ASSERT_TRUE(Settings.Set(L"FPS", 37));
  const auto Before = ReadWholeFile(SharedIniPath());
  ASSERT_TRUE(SetFileAttributesW(SharedIniPath().c_str(), FILE_ATTRIBUTE_READONLY));
  RunToEnd(L"/c");
  const auto After = ReadWholeFile(SharedIniPath());
  SetFileAttributesW(SharedIniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(After, Before) << "the read-only file was changed";
  // What the window saved went to the per-user copy, the user's FPS with it.
  EXPECT_EQ(IniValue(PerUserIniPath(), L"FPS"), L"37");
}

TEST_F(SettingsFiles, ANewFileIsUtf16AndAnOldAnsiFileStaysAsItIs) {
  RunToEnd(L"/c");
  const auto Made = ReadWholeFile(SharedIniPath());
  ASSERT_TRUE(Made.has_value());
  EXPECT_EQ(Made->substr(0, 2), "\xFF\xFE") << "no byte-order mark on the file the program made";
  EXPECT_EQ(Settings.Get(L"FPS"), L"25");

  ASSERT_TRUE(DeleteFileW(SharedIniPath().c_str()));
  ASSERT_TRUE(Settings.Set(L"FPS", L"30"));  // the profile functions make an ANSI file
  ASSERT_NE(ReadWholeFile(SharedIniPath())->substr(0, 2), "\xFF\xFE");
  RunToEnd(L"/c");
  const auto Kept = ReadWholeFile(SharedIniPath());
  ASSERT_TRUE(Kept.has_value());
  EXPECT_NE(Kept->substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Settings.Get(L"FPS"), L"30");
  EXPECT_EQ(Settings.Get(L"Fadeout"), L"700");
}

// Through the program's own store and the system's profile functions, in
// this process: names outside any ANSI code page come back whole.
TEST(SettingsFileText, GreekAndJapaneseNamesSurviveASaveAndALoad) {
  wchar_t Temp[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, Temp), 0u);
  const std::wstring Folder = std::wstring(Temp) + L"emberdell-unicode-" + std::to_wstring(GetTickCount());
  ASSERT_TRUE(CreateDirectoryW(Folder.c_str(), nullptr));
  const std::wstring Path = Folder + L"\\Emberdell Screensaver.ini";

  TSettings Values;
  Values.ActivePresets = {"(Default) Wood", "Φλόγα του δάσους", "炎の色"};
  Values.ActiveBackgrounds = {"Ελιά - 夜景", "(Default) Desktop Snapshot"};
  Values.FPS = 30;
  {
    TIniProfileStore Store(ToUtf8(Path));
    TSettingsFiles Files(Store);
    EXPECT_TRUE(SaveSettings(Values, Files));
    TSettings Loaded;
    LoadSettings(Loaded, Files);
    EXPECT_EQ(Loaded.ActivePresets, Values.ActivePresets);
    EXPECT_EQ(Loaded.ActiveBackgrounds, Values.ActiveBackgrounds);
    EXPECT_EQ(Loaded.FPS, 30);
    // A name that the profile functions would strip of its quotes is written
    // inside one more pair, and the save still sees it land.
    Values.ActiveBackgrounds = {"'Hot'"};
    EXPECT_TRUE(SaveSettings(Values, Files));
    LoadSettings(Loaded, Files);
    EXPECT_EQ(Loaded.ActiveBackgrounds, Values.ActiveBackgrounds);
    Values.ActiveBackgrounds = {"\"Ελιά\""};
    EXPECT_TRUE(SaveSettings(Values, Files));
    LoadSettings(Loaded, Files);
    EXPECT_EQ(Loaded.ActiveBackgrounds, Values.ActiveBackgrounds);
  }
  // On the disk too, not only in the profile functions' cache.
  EXPECT_EQ(IniValue(Path, L"Active Presets"),
            std::wstring(L"~(Default) Wood~,~\u03A6\u03BB\u03CC\u03B3\u03B1 \u03C4\u03BF\u03C5 "
                         L"\u03B4\u03AC\u03C3\u03BF\u03C5\u03C2~,\u708E\u306E\u8272"));
  DeleteFileW(Path.c_str());
  RemoveDirectoryW(Folder.c_str());
}

}  // namespace
}  // namespace emberdell::test
