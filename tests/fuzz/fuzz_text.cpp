// Names as files, lists and hand edits hand them over: any bytes as UTF-8
// and, read in pairs, as UTF-16; stored style names of any bytes.
#include <cstdint>
#include <cstring>
#include <string>

#include "core/shared/uUnicode.h"
#include "core/styles/uPresets.h"

using namespace emberdell;

namespace {

void Check(bool Holds) {
  if (!Holds) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string Bytes(reinterpret_cast<const char*>(Data), Size);

  // A strict conversion succeeds exactly on well-formed input, and then
  // comes back unchanged.
  const bool Valid = IsValidUtf8(Bytes);
  std::u16string Wide;
  Check(Utf8ToUtf16(Bytes, Wide) == Valid);
  if (Valid) {
    std::string Back;
    Check(Utf16ToUtf8(Wide, Back) && Back == Bytes);
    Check(Utf8ToUtf16Lossy(Bytes) == Wide);
  }
  // Display text is always well formed, and the same text again.
  const std::string Shown = ValidUtf8(Bytes);
  Check(IsValidUtf8(Shown));
  Check(ValidUtf8(Shown) == Shown);
  std::u16string Replaced = Utf8ToUtf16Lossy(Bytes);
  std::string ReplacedBack;
  Check(Utf16ToUtf8(Replaced, ReplacedBack) && ReplacedBack == Shown);

  // The same bytes as UTF-16 units.
  std::u16string Units(Size / 2, u'\0');
  if (!Units.empty()) std::memcpy(Units.data(), Data, Units.size() * 2);
  std::string Utf8;
  if (Utf16ToUtf8(Units, Utf8)) {
    std::u16string Again;
    Check(Utf8ToUtf16(Utf8, Again) && Again == Units);
  }
  Check(IsValidUtf8(Utf16ToUtf8Lossy(Units)));

  // Cuts stay between characters.
  for (size_t Max = 0; Max <= 24 && Max <= Size; ++Max) {
    const size_t Fit = Utf8FitLength(Bytes, Max);
    Check(Fit <= Max);
    if (Valid) Check(IsValidUtf8(std::string_view(Bytes).substr(0, Fit)));
  }

  // Any stored name reads as well-formed text; a readable name stored again
  // keeps its start, cut between characters, and reads the same.
  TFlamePreset Preset{};
  Preset.NameLength = static_cast<uint8_t>(Size < 20 ? Size : 20);
  std::memcpy(Preset.NameChars, Data, Preset.NameLength);
  const std::string Name = PresetName(Preset);
  Check(IsValidUtf8(Name));
  TFlamePreset Stored{};
  SetPresetName(Stored, Shown);
  Check(Stored.NameLength <= 20);
  const std::string Read = PresetName(Stored);
  Check(Shown.compare(0, Read.size(), Read) == 0);
  Check(IsStoredNameOf(Read, Shown));
  return 0;
}
