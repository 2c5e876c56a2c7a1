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

std::string ToUtf8(const std::wstring& Text) {
  if (Text.empty()) return {};
  const int Size = WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string Result(static_cast<size_t>(Size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), Result.data(), Size, nullptr,
                      nullptr);
  return Result;
}

}  // namespace emberdell
