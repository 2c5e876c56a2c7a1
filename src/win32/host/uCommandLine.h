// The program's arguments as the core reads them: split the way the C runtime
// and the screensaver host agree on, program name dropped, UTF-8.
#pragma once

#include <string>
#include <vector>

namespace emberdell {

// CommandLine is a whole command line as GetCommandLineW returns it.
std::vector<std::string> SplitCommandLine(const wchar_t* CommandLine);

std::vector<std::string> ProgramArguments();

}  // namespace emberdell
