// The renderer's command as a function: the native program and the page's
// render() both run it, so they answer the same arguments with the same
// status and the same words.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace emberdell {

struct TRenderCommandResult {
  int Status = 0;       // the program's exit status: 0, or 2 for anything refused
  std::string Out;      // what the program prints on standard output
  std::string Message;  // what it prints on standard error, without the final line break
};

// Never throws. Progress: the rewriting progress line on standard error.
// Stop: a flag a signal handler sets; the render ends after the frame in
// hand, leaving no file, once it is not 0.
TRenderCommandResult RunRenderCommand(const std::vector<std::string>& Args, bool Progress,
                                      const std::atomic<int>* Stop = nullptr);

}  // namespace emberdell
