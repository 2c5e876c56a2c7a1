// The encoding of a settings file, as the system's profile functions see it,
// and when a file must change encoding before a value goes in.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/styles/uSettingsSaving.h"

namespace emberdell {

enum class TIniEncoding {
  Missing,  // no file yet: the store makes it UTF-16
  Ansi,     // no byte-order mark: the profile functions use the ANSI code page
  Utf16,    // starts with FF FE or FE FF
  Utf8,     // starts with EF BB BF
};

// Head: the file's first bytes (three are enough).
TIniEncoding IniEncodingOf(bool Exists, std::string_view Head);

// True when a value of the batch would not survive the file's code page, so
// that the file has to become UTF-16 before it is written: stored as it is,
// "Φλόγα" would come back as "?????", be refused as a style name and differ
// from what the program writes on every later close. ThroughCodePage gives a
// UTF-8 value as it comes back from the ANSI code page.
bool MustBecomeUtf16(TIniEncoding Encoding, std::span<const TProfileValue> Values,
                     const std::function<std::string(const std::string&)>& ThroughCodePage);

}  // namespace emberdell
