// emberdell-render: the flame engine without a window. See RenderUsage.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/uRenderMain.h"

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
  try {
    CatchStopSignals();
    // The progress line is for someone watching, never for a log.
    const emberdell::TRenderCommandResult Result = emberdell::RunRenderCommand(
        std::vector<std::string>(argv + 1, argv + argc), isatty(STDERR_FILENO) == 1, &StopSignal);
    if (!Result.Out.empty()) std::fprintf(stdout, "%s\n", Result.Out.c_str());
    if (!Result.Message.empty()) std::fprintf(stderr, "%s\n", Result.Message.c_str());
    if (const int Signal = StopSignal.load(); Result.Status != 0 && Signal != 0) EndBySignal(Signal);
    return Result.Status;
  } catch (...) {
    std::fprintf(stderr, "emberdell-render: unexpected failure\n");
  }
  return 2;
}
