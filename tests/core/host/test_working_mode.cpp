#include <gtest/gtest.h>

#include "core/host/uRetrieveWorkingMode.h"
#include "core/host/uVersionInfo.h"

using namespace emberdell;

TEST(RetrieveWorkingMode, ModeLetters) {
  struct Case { std::vector<std::string> Args; TWorkingMode Mode; uint32_t Parent; };
  const Case Cases[] = {
      {{}, wmFullScreen, 0},
      {{"/S"}, wmFullScreen, 0},
      {{"-s"}, wmFullScreen, 0},
      {{"s"}, wmFullScreen, 0},
      {{"S"}, wmFullScreen, 0},
      {{"/x"}, wmFullScreen, 0},
      {{""}, wmFullScreen, 0},
      {{"/c"}, wmSettings, 0},
      {{"C"}, wmSettings, 0},
      {{"/c:4711"}, wmSettings, 0},  // the handle after the colon is not read
      {{"/p", "4711"}, wmPreview, 4711},
      {{"/P", "4711"}, wmPreview, 4711},
      {{"/p"}, wmPreview, 0},
      {{"p"}, wmPreview, 0},
      {{"xp"}, wmPreview, 0},  // a longer argument is read by its second character
      {{"px"}, wmFullScreen, 0},
      {{"/a"}, wmPassword, 0},
      {{"/A", "12"}, wmPassword, 12},
      {{"/s", "77"}, wmFullScreen, 77},  // read whatever the mode
      {{"/p", "12ab"}, wmPreview, 0},
      {{"/p", ""}, wmPreview, 0},
      {{"/p", "0x10"}, wmPreview, 0},
      {{"/p", "-1"}, wmPreview, 0xFFFFFFFFu},
      {{"/p", "4294967295"}, wmPreview, 0xFFFFFFFFu},
      {{"/p", "4294967296"}, wmPreview, 0},
      {{"/p", "99999999999999999999999"}, wmPreview, 0},
  };
  for (const Case& c : Cases) {
    const TCommandLine r = RetrieveWorkingMode(c.Args);
    std::string Shown;
    for (auto& a : c.Args) Shown += "[" + a + "]";
    EXPECT_EQ(r.Mode, c.Mode) << Shown;
    EXPECT_EQ(r.ParentWindow, c.Parent) << Shown;
  }
}

TEST(FormatVersionText, MinorAndReleaseRunTogether) {
  EXPECT_EQ(FormatVersionText((4u << 16) | 0, (0u << 16) | 358), "4.00.358");
  EXPECT_EQ(FormatVersionText((1u << 16) | 2, (3u << 16) | 4), "1.23.4");
  EXPECT_EQ(FormatVersionText(0, 0), "0.00.0");
  EXPECT_EQ(FormatVersionText(0xFFFFFFFFu, 0xFFFFFFFFu), "65535.6553565535.65535");
}
