#include "tools/uRenderMain.h"

#include <exception>
#include <new>

#include "tools/uRender.h"

namespace emberdell {

TRenderCommandResult RunRenderCommand(const std::vector<std::string>& Args, bool Progress,
                                      const std::atomic<int>* Stop) {
  TRenderCommandResult Result;
  const auto Refuse = [&Result](const std::string& Why) {
    Result.Status = 2;
    Result.Message = "emberdell-render: " + Why;
  };
  TRenderOptions Options;
  try {
    if (Args.empty() || (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h"))) {
      // Asked for, the usage is the answer; given by default, it is the complaint.
      if (Args.empty()) {
        Result.Message = RenderUsage;
      } else {
        Result.Out = std::string(RenderUsage) + "\n\n" + RenderHelp;
        if (Result.Out.back() == '\n') Result.Out.pop_back();
      }
      Result.Status = Args.empty() ? 2 : 0;
      return Result;
    }
    std::string Error;
    if (!ParseRenderArgs(Args, Options, Error)) {
      Refuse(Error);
      return Result;
    }
    Options.Progress = Progress;
    Options.Stop = Stop;
    if (!RunRender(Options, Error)) Refuse(Error);
  } catch (const std::bad_alloc&) {
    Refuse(Options.Width > 0 ? NotEnoughMemory(Options.Width, Options.Height) : "not enough memory");
  } catch (const std::exception& E) {
    Refuse(E.what());
  } catch (...) {
    Refuse("unexpected failure");
  }
  return Result;
}

}  // namespace emberdell
