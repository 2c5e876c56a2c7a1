#include "core/shared/uUnicode.h"

#include <cstdint>

namespace emberdell {

namespace {

// One character from the start of Text (never empty). Returns the number of
// bytes it takes; Valid is false for an ill-formed part, which then spans
// the bytes up to the first one that cannot continue it, at least one, so
// that each such part becomes one replacement character.
size_t DecodeUtf8(std::string_view Text, char32_t& Code, bool& Valid) {
  const auto Byte = [&](size_t i) { return static_cast<uint8_t>(Text[i]); };
  const uint8_t Lead = Byte(0);
  Valid = false;
  Code = ReplacementCharacter;
  if (Lead < 0x80) {
    Code = Lead;
    Valid = true;
    return 1;
  }
  size_t Length;
  uint8_t Low = 0x80, High = 0xBF;  // the range of the second byte
  if (Lead >= 0xC2 && Lead <= 0xDF) {
    Length = 2;
  } else if (Lead >= 0xE0 && Lead <= 0xEF) {
    Length = 3;
    if (Lead == 0xE0) Low = 0xA0;        // shorter forms are overlong
    else if (Lead == 0xED) High = 0x9F;  // surrogates have no UTF-8 form
  } else if (Lead >= 0xF0 && Lead <= 0xF4) {
    Length = 4;
    if (Lead == 0xF0) Low = 0x90;
    else if (Lead == 0xF4) High = 0x8F;  // nothing past U+10FFFF
  } else {
    return 1;  // a continuation byte, C0, C1 or F5..FF
  }
  char32_t Value = Lead & (0xFF >> (Length + 1));
  for (size_t i = 1; i < Length; ++i) {
    if (i >= Text.size()) return i;
    const uint8_t b = Byte(i);
    const uint8_t Min = i == 1 ? Low : 0x80, Max = i == 1 ? High : 0xBF;
    if (b < Min || b > Max) return i;
    Value = (Value << 6) | (b & 0x3F);
  }
  Code = Value;
  Valid = true;
  return Length;
}

// One character from the start of Text (never empty); Valid is false for an
// unpaired surrogate, which takes one unit.
size_t DecodeUtf16(std::u16string_view Text, char32_t& Code, bool& Valid) {
  const char16_t u = Text[0];
  Valid = true;
  Code = u;
  if (u < 0xD800 || u > 0xDFFF) return 1;
  if (u <= 0xDBFF && Text.size() > 1 && Text[1] >= 0xDC00 && Text[1] <= 0xDFFF) {
    Code = 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(Text[1]) - 0xDC00);
    return 2;
  }
  Valid = false;
  Code = ReplacementCharacter;
  return 1;
}

void AppendUtf8(std::string& Out, char32_t c) {
  if (c < 0x80) {
    Out += static_cast<char>(c);
  } else if (c < 0x800) {
    Out += static_cast<char>(0xC0 | (c >> 6));
    Out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    Out += static_cast<char>(0xE0 | (c >> 12));
    Out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (c >> 18));
    Out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& Out, char32_t c) {
  if (c < 0x10000) {
    Out += static_cast<char16_t>(c);
  } else {
    Out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    Out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
}

// Both directions share one loop; Strict stops at the first ill-formed part.
template <class TText, class TOut, class TDecode, class TAppend>
bool Convert(TText Text, TOut& Out, bool Strict, TDecode Decode, TAppend Append) {
  Out.clear();
  Out.reserve(Text.size());
  while (!Text.empty()) {
    char32_t c;
    bool Valid;
    const size_t n = Decode(Text, c, Valid);
    if (!Valid && Strict) {
      Out.clear();
      return false;
    }
    Append(Out, c);
    Text.remove_prefix(n);
  }
  return true;
}

bool ToUtf16(std::string_view Text, std::u16string& Out, bool Strict) {
  return Convert(Text, Out, Strict, DecodeUtf8, AppendUtf16);
}

bool ToUtf8(std::u16string_view Text, std::string& Out, bool Strict) {
  return Convert(Text, Out, Strict, DecodeUtf16, AppendUtf8);
}

// Windows-1252 from 0x80 to 0x9F; the rest of the code page is Latin-1. The
// five bytes the code page leaves open map to the control characters of the
// same number, as the system's own conversion maps them, so every byte reads.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool DecodeWindows1252(std::string_view Ansi, std::u16string& Out) {
  Out.clear();
  for (char ch : Ansi) {
    const uint8_t b = static_cast<uint8_t>(ch);
    Out += b >= 0x80 && b <= 0x9F ? Windows1252High[b - 0x80] : static_cast<char16_t>(b);
  }
  return true;
}

bool EncodeWindows1252(std::u16string_view Text, std::string& Out) {
  Out.clear();
  for (char16_t u : Text) {
    int Byte = -1;
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      Byte = u;
    } else {
      for (int i = 0; i < 32 && Byte < 0; ++i)
        if (Windows1252High[i] == u) Byte = 0x80 + i;
    }
    if (Byte < 0) {
      Out.clear();
      return false;
    }
    Out += static_cast<char>(Byte);
  }
  return true;
}

constexpr TAnsiCodePage Windows1252{DecodeWindows1252, EncodeWindows1252};
TAnsiCodePage CodePage = Windows1252;

}  // namespace

bool IsValidUtf8(std::string_view Text) {
  while (!Text.empty()) {
    char32_t c;
    bool Valid;
    const size_t n = DecodeUtf8(Text, c, Valid);
    if (!Valid) return false;
    Text.remove_prefix(n);
  }
  return true;
}

bool Utf8ToUtf16(std::string_view Text, std::u16string& Out) { return ToUtf16(Text, Out, true); }
bool Utf16ToUtf8(std::u16string_view Text, std::string& Out) { return ToUtf8(Text, Out, true); }

std::u16string Utf8ToUtf16Lossy(std::string_view Text) {
  std::u16string Out;
  ToUtf16(Text, Out, false);
  return Out;
}

std::string Utf16ToUtf8Lossy(std::u16string_view Text) {
  std::string Out;
  ToUtf8(Text, Out, false);
  return Out;
}

std::string ValidUtf8(std::string_view Text) {
  if (IsValidUtf8(Text)) return std::string(Text);
  return Utf16ToUtf8Lossy(Utf8ToUtf16Lossy(Text));
}

size_t Utf8FitLength(std::string_view Text, size_t MaxBytes) {
  size_t Length = 0;
  while (Length < Text.size()) {
    char32_t c;
    bool Valid;
    const size_t n = DecodeUtf8(Text.substr(Length), c, Valid);
    if (Length + n > MaxBytes) break;
    Length += n;
  }
  return Length;
}

size_t Utf8CharsLength(std::string_view Text, size_t Count) {
  size_t Length = 0;
  for (; Count > 0 && Length < Text.size(); --Count) {
    char32_t c;
    bool Valid;
    const size_t n = DecodeUtf8(Text.substr(Length), c, Valid);
    Length += Valid ? n : 1;
  }
  return Length;
}

void SetAnsiCodePage(const TAnsiCodePage& NewCodePage) {
  if (NewCodePage.Decode != nullptr && NewCodePage.Encode != nullptr) CodePage = NewCodePage;
}

void ResetAnsiCodePage() { CodePage = Windows1252; }

bool AnsiToUtf8(std::string_view Ansi, std::string& Out) {
  std::u16string Wide;
  // The host's decoder may hand back what the system made of a broken
  // double-byte sequence; only well-formed text counts.
  if (!CodePage.Decode(Ansi, Wide) || !Utf16ToUtf8(Wide, Out)) {
    Out.clear();
    return false;
  }
  return true;
}

bool Utf8ToAnsi(std::string_view Text, std::string& Out) {
  std::u16string Wide;
  if (!Utf8ToUtf16(Text, Wide) || !CodePage.Encode(Wide, Out)) {
    Out.clear();
    return false;
  }
  return true;
}

}  // namespace emberdell
