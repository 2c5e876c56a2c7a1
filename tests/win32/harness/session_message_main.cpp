// emberdell_session_message lock|unlock: tells a running Emberdell what the
// system tells it when the session is locked or unlocked (WM_WTSSESSION_CHANGE
// to its main form), as the benchmarks of an unseen run need.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  constexpr WPARAM SessionLock = 7, SessionUnlock = 8;  // WTS_SESSION_LOCK, WTS_SESSION_UNLOCK
  if (argc != 2 || (std::wcscmp(argv[1], L"lock") != 0 && std::wcscmp(argv[1], L"unlock") != 0)) {
    std::fprintf(stderr, "usage: emberdell_session_message lock|unlock\n");
    return 2;
  }
  const HWND Main = FindWindowW(L"TfmMain", nullptr);
  if (Main == nullptr) {
    std::fprintf(stderr, "emberdell_session_message: no running Emberdell\n");
    return 1;
  }
  SendMessageW(Main, WM_WTSSESSION_CHANGE, std::wcscmp(argv[1], L"lock") == 0 ? SessionLock : SessionUnlock, 1);
  return 0;
}
