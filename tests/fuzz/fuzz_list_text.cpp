// The "~" list text of "Active Presets" and "Active Backgrounds", as a hand
// edit may leave it.
#include <cstdint>
#include <string>
#include <vector>

#include "core/styles/uDelimitedText.h"

using namespace emberdell;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string Text(reinterpret_cast<const char*>(Data), Size);
  const std::vector<std::string> Items = DelimitedTextToList(Text);
  // Whatever was read is written so that it reads back the same.
  if (DelimitedTextToList(ListToDelimitedText(Items)) != Items) __builtin_trap();
  return 0;
}
