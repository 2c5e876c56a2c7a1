// Entry of Emberdell.scr: the screensaver host picks the working mode with the
// command line.
#include <windows.h>

#include "core/host/uGlobals.h"
#include "core/host/uRetrieveWorkingMode.h"
#include "core/host/uScreenshotNames.h"
#include "core/shared/uGuard.h"
#include "win32/host/uCommandLine.h"
#include "win32/host/uWinText.h"
#include "win32/host/uGetSpecialPath.h"
#include "win32/host/uRunOnce.h"
#include "win32/host/uUnexpected.h"
#include "win32/host/uVersionInfo.h"
#include "win32/host/ufmMain.h"

namespace {

int Start(HINSTANCE Instance) {
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
  SetUserAtWindow(CommandLine.Mode == wmSettings);
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

}  // namespace

int WINAPI wWinMain(HINSTANCE Instance, HINSTANCE, LPWSTR, int) {
  using namespace emberdell;
  // The main form's destructor has stopped its threads by the time anything
  // gets here; what is left is to say so (in the settings mode) and end.
  int Result = 1;
  RunGuarded([&] { Result = Start(Instance); }, ReportUnexpected);
  return Result;
}
