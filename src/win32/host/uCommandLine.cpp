#include "win32/host/uCommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include "win32/host/uWinText.h"

namespace emberdell {

std::vector<std::string> SplitCommandLine(const wchar_t* CommandLine) {
  std::vector<std::string> Result;
  // CommandLineToArgvW invents the program's own path for an empty line.
  if (CommandLine == nullptr || *CommandLine == L'\0') return Result;
  int Count = 0;
  LPWSTR* Args = CommandLineToArgvW(CommandLine, &Count);
  if (Args == nullptr) return Result;
  for (int i = 1; i < Count; ++i) Result.push_back(ToUtf8(Args[i]));
  LocalFree(Args);
  return Result;
}

std::vector<std::string> ProgramArguments() { return SplitCommandLine(GetCommandLineW()); }

}  // namespace emberdell
