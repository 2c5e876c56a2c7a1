#include "core/host/uRetrieveWorkingMode.h"

#include "core/shared/uNumbers.h"

namespace emberdell {

bool ParseDecimalHandle(const std::string& Text, uint32_t& Value) {
  int64_t v = 0;
  if (!ParseDecimal(Text, -0x80000000ll, 0xFFFFFFFFll, v)) return false;
  // Hosts print handles signed or unsigned; both mean the same 32 bits.
  Value = static_cast<uint32_t>(v);
  return true;
}

TCommandLine RetrieveWorkingMode(const std::vector<std::string>& Args) {
  TCommandLine Result;
  if (!Args.empty() && !Args[0].empty()) {
    const std::string& First = Args[0];
    // "s", "/s" and "-s" all carry the letter; the first character of a
    // longer argument is never looked at.
    const char Letter = First.size() == 1 ? First[0] : First[1];
    switch (Letter) {
      case 'a': case 'A': Result.Mode = wmPassword; break;
      case 'c': case 'C': Result.Mode = wmSettings; break;
      case 'p': case 'P': Result.Mode = wmPreview; break;
      default: Result.Mode = wmFullScreen; break;
    }
  }
  uint32_t Handle = 0;
  if (Args.size() >= 2 && ParseDecimalHandle(Args[1], Handle)) Result.ParentWindow = Handle;
  return Result;
}

}  // namespace emberdell
