#include "win32/host/uWinText.h"

#include <windows.h>

#include "core/shared/uUnicode.h"

namespace emberdell {

std::wstring ToWide(const std::string& Utf8) {
  const std::u16string Text = Utf8ToUtf16Lossy(Utf8);
  return std::wstring(Text.begin(), Text.end());
}

std::string ToUtf8(const std::wstring& Text) { return Utf16ToUtf8Lossy(std::u16string(Text.begin(), Text.end())); }

namespace {

bool DecodeAnsi(std::string_view Ansi, std::u16string& Out) {
  Out.clear();
  if (Ansi.empty()) return true;
  const int Size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, Ansi.data(), int(Ansi.size()), nullptr, 0);
  if (Size <= 0) return false;
  std::wstring Wide(size_t(Size), L'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, Ansi.data(), int(Ansi.size()), Wide.data(), Size);
  Out.assign(Wide.begin(), Wide.end());
  return true;
}

// No best-fit characters: "ł" must not quietly become "l" in a stored name.
bool EncodeAnsi(std::u16string_view Text, std::string& Out) {
  Out.clear();
  if (Text.empty()) return true;
  const std::wstring Wide(Text.begin(), Text.end());
  BOOL Defaulted = FALSE;
  const int Size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide.data(), int(Wide.size()), nullptr, 0,
                                       nullptr, &Defaulted);
  if (Size <= 0 || Defaulted) return false;
  Out.resize(size_t(Size));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide.data(), int(Wide.size()), Out.data(), Size, nullptr, nullptr);
  return true;
}

}  // namespace

void InstallAnsiCodePage() { SetAnsiCodePage({DecodeAnsi, EncodeAnsi}); }

}  // namespace emberdell
