#include "tests/win32/harness/scr_process.h"

#include <vector>

#include "win32/host/uVersionInfo.h"

namespace emberdell::test {

std::wstring ScrPath() {
  std::wstring Path = ProgramPath();
  Path.resize(Path.find_last_of(L"\\/") + 1);
  return Path + L"Emberdell.scr";
}

TScrProcess::TScrProcess(const std::wstring& Args) {
  FJob = CreateJobObjectW(nullptr, nullptr);
  if (FJob != nullptr) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION Limits{};
    Limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(FJob, JobObjectExtendedLimitInformation, &Limits, sizeof(Limits));
  }
  const std::wstring Path = ScrPath();
  std::wstring CommandLine = L"\"" + Path + L"\"";
  if (!Args.empty()) CommandLine += L" " + Args;
  std::vector<wchar_t> Buffer(CommandLine.begin(), CommandLine.end());
  Buffer.push_back(L'\0');
  STARTUPINFOW Startup{};
  Startup.cb = sizeof(Startup);
  PROCESS_INFORMATION Info{};
  // Suspended until it is in the job, so nothing it does escapes the clean-up.
  if (!CreateProcessW(Path.c_str(), Buffer.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                      &Startup, &Info))
    return;
  if (FJob != nullptr) AssignProcessToJobObject(FJob, Info.hProcess);
  ResumeThread(Info.hThread);
  CloseHandle(Info.hThread);
  FProcess = Info.hProcess;
  FProcessId = Info.dwProcessId;
}

TScrProcess::~TScrProcess() {
  if (FProcess != nullptr) {
    if (WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(FProcess, 255);
      WaitForSingleObject(FProcess, 10000);
    }
    CloseHandle(FProcess);
  }
  if (FJob != nullptr) CloseHandle(FJob);
}

std::optional<DWORD> TScrProcess::WaitForExit(DWORD TimeoutMs) {
  if (FProcess == nullptr || WaitForSingleObject(FProcess, TimeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD Code = 0;
  GetExitCodeProcess(FProcess, &Code);
  return Code;
}

namespace {

// The process's windows of one class: every one, or only the first visible one.
struct TWindowSearch {
  DWORD ProcessId;
  const wchar_t* ClassName;
  bool FirstVisible;
  std::vector<HWND> Found;
};

BOOL CALLBACK MatchWindow(HWND Window, LPARAM Param) {
  auto& Search = *reinterpret_cast<TWindowSearch*>(Param);
  DWORD Owner = 0;
  GetWindowThreadProcessId(Window, &Owner);
  wchar_t Class[64] = {};
  GetClassNameW(Window, Class, 64);
  if (Owner != Search.ProcessId || lstrcmpW(Class, Search.ClassName) != 0) return TRUE;
  if (Search.FirstVisible && !IsWindowVisible(Window)) return TRUE;
  Search.Found.push_back(Window);
  return Search.FirstVisible ? FALSE : TRUE;
}

}  // namespace

HWND TScrProcess::WaitForWindow(const wchar_t* ClassName, DWORD TimeoutMs) {
  TWindowSearch Search{FProcessId, ClassName, true, {}};
  WaitUntil(TimeoutMs, [&] {
    if (WaitForSingleObject(FProcess, 0) != WAIT_TIMEOUT) return true;  // gone: no window will come
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&Search));
    return !Search.Found.empty();
  });
  return Search.Found.empty() ? nullptr : Search.Found.front();
}

std::vector<HWND> TScrProcess::Windows(const wchar_t* ClassName) const {
  TWindowSearch Search{FProcessId, ClassName, false, {}};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&Search));
  return Search.Found;
}

}  // namespace emberdell::test
