#include "tools/uRenderMain.h"

#include <exception>

#include "tools/uRender.h"

namespace emberdell {

TRenderCommandResult RunRenderCommand(const std::vector<std::string>& Args, bool Progress) {
  TRenderCommandResult Result;
  const auto Refuse = [&Result](const std::string& Why) {
    Result.Status = 2;
    Result.Message = "emberdell-render: " + Why;
  };
  try {
    if (Args.empty() || (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h"))) {
      // Asked for, the usage is the answer; given by default, it is the complaint.
      (Args.empty() ? Result.Message : Result.Out) = RenderUsage;
      Result.Status = Args.empty() ? 2 : 0;
      return Result;
    }
    TRenderOptions Options;
    std::string Error;
    if (!ParseRenderArgs(Args, Options, Error)) {
      Refuse(Error);
      return Result;
    }
    Options.Progress = Progress;
    if (!RunRender(Options, Error)) Refuse(Error);
  } catch (const std::exception& E) {
    Refuse(E.what());
  } catch (...) {
    Refuse("unexpected failure");
  }
  return Result;
}

}  // namespace emberdell
