// The page's window.emberdell.render(): the renderer's command, run in a
// worker over files the page put into the module's memory file system.
#include <emscripten/emscripten.h>

#include <string>
#include <vector>

#include "tools/uRenderMain.h"

namespace {

std::vector<std::string> Args;
std::string Message;

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void EdRenderArg(const char* Arg) { Args.emplace_back(Arg != nullptr ? Arg : ""); }

// The exit status; the words the program would have printed wait in EdRenderMessage.
EMSCRIPTEN_KEEPALIVE int EdRenderRun() {
  const emberdell::TRenderCommandResult Result = emberdell::RunRenderCommand(Args, false);
  Args.clear();
  Message = Result.Out.empty() ? Result.Message : Result.Out;
  return Result.Status;
}

EMSCRIPTEN_KEEPALIVE const char* EdRenderMessage() { return Message.c_str(); }


}
