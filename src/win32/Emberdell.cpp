// Entry of Emberdell.scr: the screensaver host picks the working mode with the
// command line.
#include <windows.h>

#include "uCommandLine.h"
#include "uRetrieveWorkingMode.h"
#include "ufmMain.h"

int WINAPI wWinMain(HINSTANCE Instance, HINSTANCE, LPWSTR, int) {
  using namespace emberdell;
  const TCommandLine CommandLine = RetrieveWorkingMode(ProgramArguments());
  switch (CommandLine.Mode) {
    case wmFullScreen:
      return RunFullScreen(Instance);
    case wmPassword:
      // Nothing to change and nothing that would ever end an idle process:
      // ending at once is the only behaviour a user can live with.
      return 0;
    case wmPreview:
    case wmSettings:
      // The preview and the settings window are not built yet; end cleanly so
      // the host is never left waiting.
      return 0;
  }
  return 0;
}
