// The command line the screensaver host (or anyone) starts us with: the
// input is split into arguments at spaces.
#include <cstdint>
#include <string>
#include <vector>

#include "core/host/uRetrieveWorkingMode.h"

using namespace emberdell;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::vector<std::string> Args(1);
  for (size_t i = 0; i < Size; ++i) {
    if (Data[i] == ' ') {
      Args.emplace_back();
    } else {
      Args.back() += static_cast<char>(Data[i]);
    }
  }
  const TCommandLine Line = RetrieveWorkingMode(Args);
  if (Line.Mode > wmPassword) __builtin_trap();
  uint32_t Handle = 0;
  (void)ParseDecimalHandle(Args.front(), Handle);
  return 0;
}
