// Entry of Emberdell.scr: the screensaver host picks the working mode with the
// command line.
#include <windows.h>

#include "core/host/uGlobals.h"
#include "core/host/uRetrieveWorkingMode.h"
#include "core/host/uScreenshotNames.h"
#include "win32/host/uCommandLine.h"
#include "win32/host/uWinText.h"
#include "win32/host/uGetSpecialPath.h"
#include "win32/host/uRunOnce.h"
#include "win32/host/uVersionInfo.h"
#include "win32/host/ufmMain.h"

int WINAPI wWinMain(HINSTANCE Instance, HINSTANCE, LPWSTR, int) {
  using namespace emberdell;
  // Process-wide state first: everything after reads it.
  InstallAnsiCodePage();
  Settings.ProgramDir = ExtractFilePath(ToUtf8(ProgramPath()));
  UserDataDir = UserDataDirFor(GetAppDataPath());
  ScreenshotDir = ScreenshotDirFor(GetSpecialPath());
  VersionText = ProgramVersionText();

  const TCommandLine CommandLine = RetrieveWorkingMode(ProgramArguments());
  // Nothing to change and nothing that would ever end an idle process:
  // ending at once is the only behaviour a user can live with.
  if (CommandLine.Mode == wmPassword) return 0;
  if (CommandLine.Mode == wmFullScreen && !RunOnce()) return 0;

  int Result;
  {
    TfmMain Main(Instance, CommandLine.Mode,
                 reinterpret_cast<HWND>(static_cast<uintptr_t>(CommandLine.ParentWindow)));
    Result = Main.Run();
  }
  ReleaseRunOnce();
  return Result;
}
