// Text between the core's UTF-8 and Windows' UTF-16, and the ANSI code page
// that style files of the older version carry their names in.
//
// Nothing here throws. The strict conversions refuse what is not well formed
// (anything that would name a file must be exact); the lossy ones put U+FFFD
// in place of each maximal ill-formed part, for text that is only shown.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace emberdell {

inline constexpr char16_t ReplacementCharacter = 0xFFFD;

// Well-formed UTF-8: no overlong forms, no encoded surrogates, nothing past
// U+10FFFF, no cut sequences.
bool IsValidUtf8(std::string_view Text);

// False, with Out cleared, when Text is not well formed.
bool Utf8ToUtf16(std::string_view Text, std::u16string& Out);
bool Utf16ToUtf8(std::u16string_view Text, std::string& Out);

std::u16string Utf8ToUtf16Lossy(std::string_view Text);
std::string Utf16ToUtf8Lossy(std::u16string_view Text);
// Text as it is when well formed, else with U+FFFD for each ill-formed part.
std::string ValidUtf8(std::string_view Text);

// The length of the longest start of Text that ends on a character boundary
// and holds at most MaxBytes bytes.
size_t Utf8FitLength(std::string_view Text, size_t MaxBytes);
// The length in bytes of Text's first Count characters (all of it when it
// has fewer); ill-formed bytes count one character each.
size_t Utf8CharsLength(std::string_view Text, size_t Count);

// The code page the older version stored style names in. The core knows
// Windows-1252; the Windows host installs the system's own at start, before
// any other thread runs. Each function returns false, with Out cleared, when
// the text has no exact form on the other side.
struct TAnsiCodePage {
  bool (*Decode)(std::string_view Ansi, std::u16string& Out);
  bool (*Encode)(std::u16string_view Text, std::string& Out);
};
void SetAnsiCodePage(const TAnsiCodePage& CodePage);
// Back to Windows-1252.
void ResetAnsiCodePage();

bool AnsiToUtf8(std::string_view Ansi, std::string& Out);
bool Utf8ToAnsi(std::string_view Text, std::string& Out);

}  // namespace emberdell
