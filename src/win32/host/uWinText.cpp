#include "win32/host/uWinText.h"

#include <windows.h>

namespace emberdell {

std::wstring ToWide(const std::string& Utf8) {
  if (Utf8.empty()) return {};
  const int Size = MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), nullptr, 0);
  std::wstring Result(static_cast<size_t>(Size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), Result.data(), Size);
  return Result;
}

}  // namespace emberdell
