// emberdell-render: the flame engine without a window. See RenderUsage.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "tools/uRender.h"

namespace {

// The signal that asked the render to stop; the render loop looks at it
// after every frame. An atomic, since the screenshot thread may be the one
// the signal interrupts; lock-free, so the handler may store to it.
std::atomic<int> StopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int Signal) { StopSignal.store(Signal, std::memory_order_relaxed); }

void CatchStopSignals() {
  for (const int Signal : {SIGINT, SIGTERM}) {
    struct sigaction Old {};
    // A signal ignored by whoever started us (a background job of a
    // script, nohup) stays ignored.
    if (sigaction(Signal, nullptr, &Old) == 0 && Old.sa_handler == SIG_IGN) continue;
    struct sigaction Action {};
    Action.sa_handler = OnStopSignal;
    sigemptyset(&Action.sa_mask);
    // The libraries' writes go on as if nothing had come.
    Action.sa_flags = SA_RESTART;
    sigaction(Signal, &Action, nullptr);
  }
}

// Ends as the signal would have ended us, now that nothing is left behind:
// the shell sees 130 or 143, and a script that ran us stops too.
[[noreturn]] void EndBySignal(int Signal) {
  std::signal(Signal, SIG_DFL);
  std::raise(Signal);
  _exit(128 + Signal);
}

}  // namespace

int main(int argc, char** argv) {
  emberdell::TRenderOptions Options;
  try {
    std::vector<std::string> Args(argv + 1, argv + argc);
    if (Args.empty() || (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h"))) {
      std::fprintf(Args.empty() ? stderr : stdout, "%s\n", emberdell::RenderUsage);
      if (!Args.empty()) std::fprintf(stdout, "\n%s", emberdell::RenderHelp);
      return Args.empty() ? 2 : 0;
    }
    std::string Error;
    if (!emberdell::ParseRenderArgs(Args, Options, Error)) {
      std::fprintf(stderr, "emberdell-render: %s\n", Error.c_str());
      return 2;
    }
    // The progress line is for someone watching, never for a log.
    Options.Progress = isatty(STDERR_FILENO) == 1;
    Options.Stop = &StopSignal;
    CatchStopSignals();
    const bool Rendered = emberdell::RunRender(Options, Error);
    if (!Rendered) std::fprintf(stderr, "emberdell-render: %s\n", Error.c_str());
    if (const int Signal = StopSignal.load(); !Rendered && Signal != 0) EndBySignal(Signal);
    return Rendered ? 0 : 2;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "emberdell-render: %s\n",
                 Options.Width > 0 ? emberdell::NotEnoughMemory(Options.Width, Options.Height).c_str()
                                   : "not enough memory");
  } catch (const std::exception& E) {
    std::fprintf(stderr, "emberdell-render: %s\n", E.what());
  } catch (...) {
    std::fprintf(stderr, "emberdell-render: unexpected failure\n");
  }
  return 2;
}
