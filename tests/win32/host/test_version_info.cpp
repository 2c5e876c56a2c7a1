// What Windows and the About label read from the resources of Emberdell.scr.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/scr_resources.h"
#include "tests/win32/harness/scr_process.h"
#include "win32/host/uVersionInfo.h"

namespace emberdell {
namespace {

TEST(VersionInfo, ScrCarriesTheProjectVersion) {
  uint32_t MS = 0, LS = 0;
  ASSERT_TRUE(ReadFileVersion(test::ScrPath(), MS, LS));
  EXPECT_EQ(MS, (EMBERDELL_VERSION_MAJOR << 16) | EMBERDELL_VERSION_MINOR);
  EXPECT_EQ(LS, (EMBERDELL_VERSION_PATCH << 16) | EMBERDELL_VERSION_TWEAK);
  EXPECT_EQ(FileVersionText(test::ScrPath()), EMBERDELL_VERSION_TEXT);
}

TEST(VersionInfo, WithoutAResourceTheTextIsAllZero) {
  // The test program itself carries no version resource.
  uint32_t MS = 1, LS = 1;
  EXPECT_FALSE(ReadFileVersion(ProgramPath(), MS, LS));
  EXPECT_EQ(MS, 0u);
  EXPECT_EQ(LS, 0u);
  EXPECT_EQ(ProgramVersionText(), "0.00.0");
  EXPECT_EQ(FileVersionText(L"C:\\no such folder\\none.scr"), "0.00.0");
}

class ScrResources : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(FModule, nullptr) << GetLastError(); }
  support::TScrResources Scr{test::ScrPath()};
  HMODULE FModule = Scr.Module();
};

TEST_F(ScrResources, ManifestAsksForPerMonitorDpiAndCommonControls6) {
  const std::string Manifest(Scr.Bytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)));  // RT_MANIFEST
  ASSERT_FALSE(Manifest.empty());
  EXPECT_NE(Manifest.find(">PerMonitorV2, PerMonitor<"), std::string::npos);
  EXPECT_NE(Manifest.find(">true/pm<"), std::string::npos);
  EXPECT_NE(Manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

TEST_F(ScrResources, ScreensaverNameIsStringOne) {
  wchar_t Name[64] = {};
  ASSERT_GT(LoadStringW(FModule, 1, Name, 64), 0);
  EXPECT_STREQ(Name, L"Emberdell Screensaver");
}

}  // namespace
}  // namespace emberdell
