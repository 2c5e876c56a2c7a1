// emberdell-render: the flame engine without a window. See RenderUsage.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/uRenderMain.h"

int main(int argc, char** argv) {
  try {
    // The progress line is for someone watching, never for a log.
    const emberdell::TRenderCommandResult Result =
        emberdell::RunRenderCommand(std::vector<std::string>(argv + 1, argv + argc), isatty(STDERR_FILENO) == 1);
    if (!Result.Out.empty()) std::fprintf(stdout, "%s\n", Result.Out.c_str());
    if (!Result.Message.empty()) std::fprintf(stderr, "%s\n", Result.Message.c_str());
    return Result.Status;
  } catch (...) {
    std::fprintf(stderr, "emberdell-render: unexpected failure\n");
  }
  return 2;
}
