// The settings file as the program finds and leaves it: what a run reads,
// what it writes back on closing, the one-time move of the older version's
// registry settings, and the per-user copy when the Windows directory is
// closed to writing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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

TEST_F(SettingsFiles, TheCounterIsWrittenOnEveryClose) {
  // "+7" reads as 7 and is written back as "7": the text tells a written
  // counter from one left alone.
  ASSERT_TRUE(Settings.Set(kCounter, L"+7"));
  RunToEnd(L"/c");
  EXPECT_EQ(Settings.Get(kCounter), L"7") << "after the settings mode";

  ASSERT_TRUE(Settings.Set(kCounter, L"+8"));
  Start(L"/s");
  ASSERT_NE(WaitForFlame(), nullptr);
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitForEnd().has_value());
  EXPECT_EQ(Settings.Get(kCounter), L"8") << "after a full-screen run without a screenshot";

  // With no file at all the counter still lands in a new one.
  ASSERT_TRUE(DeleteFileW(SharedIniPath().c_str()));
  RunToEnd(L"/c");
  EXPECT_EQ(Settings.Get(kCounter), L"0");
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

  // The next start reads the copy and writes back into it.
  ASSERT_TRUE(SetIniValue(PerUser, kCounter, L"+60"));
  RunToEnd(L"/c");
  EXPECT_EQ(IniValue(PerUser, kCounter), L"60");
}

// The text of a message box of the process, or nothing when Window is not one.
std::wstring MessageText(HWND Window) {
  wchar_t Text[512] = L"";
  GetDlgItemTextW(Window, 0xFFFF, Text, 512);
  return Text;
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

  // Closing the window: the same message, and the window stays open.
  PostMessageW(Window, WM_CLOSE, 0, 0);
  HWND Second = nullptr;
  ASSERT_TRUE(WaitUntil(kStartDeadlineMs, [&] {
    Second = GetLastActivePopup(Window);
    return Second != Window && MessageText(Second) == Expected;
  })) << "closing the window did not report the failed write";
  PostMessageW(Second, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(Scr.WaitForExit(500).has_value()) << "the window closed although nothing was saved";

  // A run stays silent: the preview of a gone window ends without a word.
  RunToEnd(L"/p 4711");
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
  EXPECT_EQ(Settings.Get(kCounter), L"0");

  ASSERT_TRUE(DeleteFileW(SharedIniPath().c_str()));
  ASSERT_TRUE(Settings.Set(L"FPS", L"30"));  // the profile functions make an ANSI file
  ASSERT_NE(ReadWholeFile(SharedIniPath())->substr(0, 2), "\xFF\xFE");
  RunToEnd(L"/c");
  const auto Kept = ReadWholeFile(SharedIniPath());
  ASSERT_TRUE(Kept.has_value());
  EXPECT_NE(Kept->substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Settings.Get(L"FPS"), L"30");
  EXPECT_EQ(Settings.Get(kCounter), L"0");
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
