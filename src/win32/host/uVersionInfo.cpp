#include "win32/host/uVersionInfo.h"

#include <windows.h>

#include <vector>

#include "core/host/uVersionInfo.h"

namespace emberdell {

bool ReadFileVersion(const std::wstring& Path, uint32_t& FileVersionMS, uint32_t& FileVersionLS) {
  FileVersionMS = FileVersionLS = 0;
  DWORD Ignored = 0;
  const DWORD Size = GetFileVersionInfoSizeW(Path.c_str(), &Ignored);
  if (Size == 0) return false;
  std::vector<unsigned char> Block(Size);
  if (!GetFileVersionInfoW(Path.c_str(), 0, Size, Block.data())) return false;
  VS_FIXEDFILEINFO* Info = nullptr;
  UINT InfoSize = 0;
  if (!VerQueryValueW(Block.data(), L"\\", reinterpret_cast<void**>(&Info), &InfoSize) || Info == nullptr ||
      InfoSize < sizeof(VS_FIXEDFILEINFO))
    return false;
  FileVersionMS = Info->dwFileVersionMS;
  FileVersionLS = Info->dwFileVersionLS;
  return true;
}

std::string FileVersionText(const std::wstring& Path) {
  uint32_t MS = 0, LS = 0;
  ReadFileVersion(Path, MS, LS);
  return FormatVersionText(MS, LS);
}

std::wstring ProgramPath() {
  // Grow until the name fits: MAX_PATH is not a limit for long-path installs.
  std::wstring Path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD Length = GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
    if (Length == 0) return {};
    if (Length < Path.size()) {
      Path.resize(Length);
      return Path;
    }
    Path.resize(Path.size() * 2);
  }
}

std::string ProgramVersionText() { return FileVersionText(ProgramPath()); }

}  // namespace emberdell
