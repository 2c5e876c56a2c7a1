#include "win32/host/uShellUtils.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace emberdell {

std::wstring GetBrowserCommand() {
  std::wstring Result = L"explorer";
  HKEY Key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", 0, KEY_READ, &Key) == ERROR_SUCCESS) {
    DWORD Type = 0, Size = 0;
    if (RegQueryValueExW(Key, nullptr, nullptr, &Type, nullptr, &Size) == ERROR_SUCCESS &&
        (Type == REG_SZ || Type == REG_EXPAND_SZ) && Size > 0) {
      std::vector<wchar_t> Buffer(Size / sizeof(wchar_t) + 1, L'\0');
      if (RegQueryValueExW(Key, nullptr, nullptr, &Type, reinterpret_cast<BYTE*>(Buffer.data()), &Size) ==
          ERROR_SUCCESS)
        Result = Buffer.data();
    }
    RegCloseKey(Key);
  }
  return Result;
}

namespace {
// WinExec's successor: start a command line shown normally; true on success.
bool StartCommand(const std::wstring& CommandLine) {
  std::vector<wchar_t> Line(CommandLine.begin(), CommandLine.end());
  Line.push_back(L'\0');
  STARTUPINFOW Startup{};
  Startup.cb = sizeof Startup;
  Startup.dwFlags = STARTF_USESHOWWINDOW;
  Startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION Process{};
  if (!CreateProcessW(nullptr, Line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Startup, &Process))
    return false;
  CloseHandle(Process.hThread);
  CloseHandle(Process.hProcess);
  return true;
}
}  // namespace

void OpenLink(const std::wstring& Link) {
  const auto Result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", Link.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (Result > 32) return;
  if (StartCommand(GetBrowserCommand() + L" \"" + Link + L"\"")) return;
  StartCommand(L"explorer.exe \"" + Link + L"\"");
}

}  // namespace emberdell
