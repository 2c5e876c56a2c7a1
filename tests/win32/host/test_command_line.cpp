// The screensaver host quotes the program path, which may hold spaces, and
// passes the window handle as a separate argument.
#include <gtest/gtest.h>

#include "win32/host/uCommandLine.h"
#include "win32/host/uWinText.h"
#include "core/host/uRetrieveWorkingMode.h"

namespace emberdell {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, DropsTheQuotedProgramPath) {
  EXPECT_EQ(SplitCommandLine(L"\"C:\\Program Files\\Emberdell\\Emberdell.scr\" /p 4711"), (Args{"/p", "4711"}));
  EXPECT_EQ(SplitCommandLine(L"C:\\WINDOWS\\Emberdell.scr /c:1234"), (Args{"/c:1234"}));
  EXPECT_EQ(SplitCommandLine(L"\"C:\\a b\\Emberdell.scr\""), Args{});
  EXPECT_EQ(SplitCommandLine(L""), Args{});
}

TEST(CommandLine, KeepsQuotedArgumentsWholeAndConvertsToUtf8) {
  EXPECT_EQ(SplitCommandLine(L"x.scr \"a b\" c"), (Args{"a b", "c"}));
  EXPECT_EQ(SplitCommandLine(L"x.scr /s \x00e9"), (Args{"/s", "\xc3\xa9"}));
}

TEST(CommandLine, PreviewHandleReachesTheWorkingMode) {
  const TCommandLine Line = RetrieveWorkingMode(SplitCommandLine(L"\"C:\\x y\\Emberdell.scr\" /p 4711"));
  EXPECT_EQ(Line.Mode, wmPreview);
  EXPECT_EQ(Line.ParentWindow, 4711u);
}

}  // namespace
}  // namespace emberdell
