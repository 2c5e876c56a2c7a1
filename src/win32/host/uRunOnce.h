// One full-screen run at a time: the named semaphore "EmberdellSemaphore"
// exists while a run is alive.
#pragma once

namespace emberdell {

// True when no other run holds the semaphore (also when it cannot be made:
// the run then goes on unguarded).
bool RunOnce();
// Closes the semaphore if it is open; safe to call more than once.
void ReleaseRunOnce();

}  // namespace emberdell
