// The default browser's command as the link labels use it.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "win32/host/uShellUtils.h"

namespace emberdell::test {
namespace {

constexpr wchar_t kCommandKey[] = L"http\\shell\\open\\command";

TEST(ShellUtils, BrowserCommandComesFromTheHttpOpenCommand) {
  HKEY Key = nullptr;
  DWORD Disposition = 0;
  // The test stands in for an installed browser and puts the old one back.
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kCommandKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Key,
                            &Disposition),
            ERROR_SUCCESS);
  std::vector<BYTE> Old;
  DWORD OldType = 0, OldSize = 0;
  const bool HadValue = RegQueryValueExW(Key, nullptr, nullptr, &OldType, nullptr, &OldSize) == ERROR_SUCCESS;
  if (HadValue) {
    Old.resize(OldSize);
    RegQueryValueExW(Key, nullptr, nullptr, &OldType, Old.data(), &OldSize);
  }
  const wchar_t Command[] = L"\"C:\\Browsers\\fire fox.exe\" -url";
  ASSERT_EQ(RegSetValueExW(Key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(Command), sizeof Command),
            ERROR_SUCCESS);
  // Used as it is: no placeholder is filled in.
  EXPECT_EQ(GetBrowserCommand(), Command);

  if (HadValue)
    RegSetValueExW(Key, nullptr, 0, OldType, Old.data(), OldSize);
  else
    RegDeleteValueW(Key, nullptr);
  RegCloseKey(Key);
  if (Disposition == REG_CREATED_NEW_KEY) RegDeleteKeyW(HKEY_CLASSES_ROOT, kCommandKey);
  // Whatever the machine has, there is always a command.
  EXPECT_FALSE(GetBrowserCommand().empty());
}

}  // namespace
}  // namespace emberdell::test
