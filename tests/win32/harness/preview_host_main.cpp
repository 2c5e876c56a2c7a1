// emberdell_preview_host: the screensaver host's preview, by hand.
//   emberdell_preview_host [--late MS] [--hide-after MS | --destroy-children-after MS] [SCR]
// Shows a window with a 152 x 112 preview area (after MS when --late), starts
// "SCR /p <area>" (Emberdell.scr beside this program by default), ends the
// preview as asked and reports what happened and how long the end took.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/win32/harness/preview_host.h"

using namespace emberdell::test;

namespace {

void PumpFor(const TPreviewHost& Host, DWORD Ms) {
  const ULONGLONG End = GetTickCount64() + Ms;
  while (GetTickCount64() < End) {
    Host.Pump();
    Sleep(5);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  DWORD Late = 0, HideAfter = 0, DestroyAfter = 0;
  std::wstring Scr;
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--late" && i + 1 < argc) Late = wcstoul(argv[++i], nullptr, 10);
    else if (a == L"--hide-after" && i + 1 < argc) HideAfter = wcstoul(argv[++i], nullptr, 10);
    else if (a == L"--destroy-children-after" && i + 1 < argc) DestroyAfter = wcstoul(argv[++i], nullptr, 10);
    else Scr = a;
  }
  if (Scr.empty()) {
    wchar_t Self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, Self, MAX_PATH);
    Scr = Self;
    Scr = Scr.substr(0, Scr.find_last_of(L"\\/") + 1) + L"Emberdell.scr";
  }
  if (HideAfter == 0 && DestroyAfter == 0) HideAfter = 5000;

  TPreviewHost Host(Late == 0);
  std::wstring Line = L"\"" + Scr + L"\" " + Host.Arguments();
  STARTUPINFOW Startup{};
  Startup.cb = sizeof Startup;
  PROCESS_INFORMATION Process{};
  if (!CreateProcessW(nullptr, Line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Startup, &Process)) {
    std::printf("could not start %ls (error %lu)\n", Scr.c_str(), GetLastError());
    return 2;
  }
  std::printf("started %ls\n", Line.c_str());
  if (Late != 0) {
    PumpFor(Host, Late);
    std::printf("after %lu ms hidden: %s, %zu preview windows\n", Late,
                WaitForSingleObject(Process.hProcess, 0) == WAIT_TIMEOUT ? "waiting" : "ended",
                Host.PreviewChildren().size());
    Host.Show();
  }
  PumpFor(Host, HideAfter != 0 ? HideAfter : DestroyAfter);
  std::printf("preview windows in the area: %zu\n", Host.PreviewChildren().size());
  const ULONGLONG Asked = GetTickCount64();
  if (HideAfter != 0) {
    Host.Hide();
    std::printf("hid the host window\n");
  } else {
    Host.DestroyPreviewChildren();
    std::printf("destroyed the preview's child windows\n");
  }
  DWORD Wait = WAIT_TIMEOUT;
  while (GetTickCount64() - Asked < 30000 && (Wait = WaitForSingleObject(Process.hProcess, 5)) == WAIT_TIMEOUT)
    Host.Pump();
  DWORD Code = 0;
  GetExitCodeProcess(Process.hProcess, &Code);
  if (Wait == WAIT_OBJECT_0)
    std::printf("the preview ended %llu ms later with code %lu\n", GetTickCount64() - Asked, Code);
  else
    std::printf("the preview still runs after 30 s\n");
  if (Wait != WAIT_OBJECT_0) TerminateProcess(Process.hProcess, 1);
  CloseHandle(Process.hThread);
  CloseHandle(Process.hProcess);
  return Wait == WAIT_OBJECT_0 ? 0 : 1;
}
