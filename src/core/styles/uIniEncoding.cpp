#include "core/styles/uIniEncoding.h"

#include <algorithm>

namespace emberdell {

TIniEncoding IniEncodingOf(bool Exists, std::string_view Head) {
  if (!Exists) return TIniEncoding::Missing;
  if (Head.starts_with("\xFF\xFE") || Head.starts_with("\xFE\xFF")) return TIniEncoding::Utf16;
  if (Head.starts_with("\xEF\xBB\xBF")) return TIniEncoding::Utf8;
  return TIniEncoding::Ansi;
}

bool MustBecomeUtf16(TIniEncoding Encoding, std::span<const TProfileValue> Values,
                     const std::function<std::string(const std::string&)>& ThroughCodePage) {
  if (Encoding != TIniEncoding::Ansi) return false;
  // Keys are the program's own ASCII names; only values can be lost.
  return std::any_of(Values.begin(), Values.end(),
                     [&](const TProfileValue& V) { return ThroughCodePage(V.Value) != V.Value; });
}

}  // namespace emberdell
