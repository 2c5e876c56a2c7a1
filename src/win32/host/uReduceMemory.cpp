#include "win32/host/uReduceMemory.h"

#include <windows.h>

namespace emberdell {

void ReduceMemory() {
  SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

}  // namespace emberdell
