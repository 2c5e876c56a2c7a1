// One engine per burning monitor, all stepped in the same frame on threads of
// their own, so that two large monitors cost the frame time of one.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "core/engine/uCore.h"

namespace emberdell {

// A few threads kept for the frames' lifetime: starting threads every frame
// would cost more than some steps.
class TFrameWorkers {
 public:
  TFrameWorkers() = default;
  ~TFrameWorkers();
  TFrameWorkers(const TFrameWorkers&) = delete;
  TFrameWorkers& operator=(const TFrameWorkers&) = delete;

  // Runs Job(0) .. Job(Count - 1) at once, Job(0) on the calling thread, and
  // returns when all have returned. The first exception a job throws is
  // thrown again here, after the others have finished.
  void Run(size_t Count, const std::function<void(size_t)>& Job);

 private:
  void Work(size_t Index);

  std::mutex FLock;
  std::condition_variable FStart, FDone;
  std::vector<std::thread> FThreads;
  const std::function<void(size_t)>* FJob = nullptr;
  size_t FCount = 0;      // jobs of the current round
  uint64_t FRound = 0;    // rounds started, so a worker takes each once
  size_t FRunning = 0;    // workers still in the current round
  std::exception_ptr FFailure;
  bool FQuit = false;
};

// One frame of every engine. The result is the same, byte for byte and in the
// generator's seed, as NextFrame on each in the given order: the seed each
// step starts from is worked out before any runs, since a step takes one draw
// per edge cell it visits. Every engine's lock is held for the frame, as
// NextFrame holds its own.
void NextFrames(const std::vector<TFlame*>& Flames, TFrameWorkers& Workers);

}  // namespace emberdell
