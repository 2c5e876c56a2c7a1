#include "win32/host/uGetSpecialPath.h"

#include <windows.h>
#include <shlobj.h>

#include "win32/host/uWinText.h"

namespace emberdell {

namespace {

std::string FolderPath(int Csidl) {
  IMalloc* Allocator = nullptr;
  if (FAILED(SHGetMalloc(&Allocator)) || Allocator == nullptr) return {};
  std::string Result;
  LPITEMIDLIST Items = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, Csidl, &Items)) && Items != nullptr) {
    wchar_t Buffer[MAX_PATH + 1] = {};
    if (SHGetPathFromIDListW(Items, Buffer)) Result = ToUtf8(Buffer);
    Allocator->Free(Items);
  }
  Allocator->Release();
  return Result;
}

}  // namespace

std::string GetSpecialPath() { return FolderPath(CSIDL_PERSONAL); }

std::string GetAppDataPath() { return FolderPath(CSIDL_APPDATA); }

std::string GetWindowsDir() {
  wchar_t Buffer[MAX_PATH + 1] = {};
  const UINT Length = GetWindowsDirectoryW(Buffer, MAX_PATH + 1);
  if (Length == 0 || Length > MAX_PATH) return "\\";
  return ToUtf8(Buffer) + "\\";
}

}  // namespace emberdell
