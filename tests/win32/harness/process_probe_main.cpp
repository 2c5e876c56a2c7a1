// emberdell_process_probe NAME: one line about the running process of that
// executable name, as the soak samples it:
//   pid=1234 private_kb=5120 working_set_kb=8192 handles=80 gdi=20 user=10
// Exit code 1 when no such process runs.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: emberdell_process_probe NAME\n");
    return 2;
  }
  HANDLE Snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (Snapshot == INVALID_HANDLE_VALUE) return 1;
  PROCESSENTRY32W Entry{};
  Entry.dwSize = sizeof Entry;
  DWORD Pid = 0;
  for (BOOL More = Process32FirstW(Snapshot, &Entry); More; More = Process32NextW(Snapshot, &Entry))
    if (_wcsicmp(Entry.szExeFile, argv[1]) == 0) Pid = Entry.th32ProcessID;
  CloseHandle(Snapshot);
  if (Pid == 0) return 1;
  HANDLE Process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, Pid);
  if (Process == nullptr) return 1;
  PROCESS_MEMORY_COUNTERS_EX Memory{};
  Memory.cb = sizeof Memory;
  GetProcessMemoryInfo(Process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&Memory), sizeof Memory);
  DWORD Handles = 0;
  GetProcessHandleCount(Process, &Handles);
  const DWORD Gdi = GetGuiResources(Process, GR_GDIOBJECTS), User = GetGuiResources(Process, GR_USEROBJECTS);
  std::printf("pid=%lu private_kb=%llu working_set_kb=%llu handles=%lu gdi=%lu user=%lu\n", Pid,
              static_cast<unsigned long long>(Memory.PrivateUsage / 1024),
              static_cast<unsigned long long>(Memory.WorkingSetSize / 1024), Handles, Gdi, User);
  CloseHandle(Process);
  return 0;
}
