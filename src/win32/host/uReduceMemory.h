#pragma once

namespace emberdell {

// Asks the system to trim the process's working set to the minimum.
void ReduceMemory();

}  // namespace emberdell
