// emberdell-render: the flame engine without a window. See RenderUsage.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tools/uRender.h"

int main(int argc, char** argv) {
  try {
    std::vector<std::string> Args(argv + 1, argv + argc);
    if (Args.empty() || (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h"))) {
      std::fprintf(Args.empty() ? stderr : stdout, "%s\n", emberdell::RenderUsage);
      return Args.empty() ? 2 : 0;
    }
    emberdell::TRenderOptions Options;
    std::string Error;
    if (!emberdell::ParseRenderArgs(Args, Options, Error)) {
      std::fprintf(stderr, "emberdell-render: %s\n", Error.c_str());
      return 2;
    }
    // The progress line is for someone watching, never for a log.
    Options.Progress = isatty(STDERR_FILENO) == 1;
    if (!emberdell::RunRender(Options, Error)) {
      std::fprintf(stderr, "emberdell-render: %s\n", Error.c_str());
      return 2;
    }
    return 0;
  } catch (const std::exception& E) {
    std::fprintf(stderr, "emberdell-render: %s\n", E.what());
  } catch (...) {
    std::fprintf(stderr, "emberdell-render: unexpected failure\n");
  }
  return 2;
}
