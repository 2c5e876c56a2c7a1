#include "core/engine/uFlameGroup.h"

#include "core/shared/uRandom.h"

namespace emberdell {

TFrameWorkers::~TFrameWorkers() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FQuit = true;
  }
  FStart.notify_all();
  for (std::thread& Thread : FThreads) Thread.join();
}

void TFrameWorkers::Run(size_t Count, const std::function<void(size_t)>& Job) {
  if (Count == 0) return;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    while (FThreads.size() + 1 < Count) {
      const size_t Index = FThreads.size() + 1;
      FThreads.emplace_back([this, Index] { Work(Index); });
    }
    FJob = &Job;
    FCount = Count;
    FRunning = Count - 1;
    FFailure = nullptr;
    ++FRound;
  }
  FStart.notify_all();
  std::exception_ptr Own;
  try {
    Job(0);
  } catch (...) {
    Own = std::current_exception();
  }
  std::unique_lock<std::mutex> Lock(FLock);
  FDone.wait(Lock, [&] { return FRunning == 0; });
  FJob = nullptr;
  if (!Own) Own = FFailure;
  Lock.unlock();
  if (Own) std::rethrow_exception(Own);
}

void TFrameWorkers::Work(size_t Index) {
  uint64_t Seen = 0;
  std::unique_lock<std::mutex> Lock(FLock);
  // A worker made during a round takes part in it.
  Seen = FRound - 1;
  for (;;) {
    FStart.wait(Lock, [&] { return FQuit || FRound != Seen; });
    if (FQuit) return;
    Seen = FRound;
    // A worker beyond this round's jobs has nothing to do in it.
    if (Index >= FCount) continue;
    const std::function<void(size_t)>& Job = *FJob;
    Lock.unlock();
    std::exception_ptr Failure;
    try {
      Job(Index);
    } catch (...) {
      Failure = std::current_exception();
    }
    Lock.lock();
    if (Failure && !FFailure) FFailure = Failure;
    if (--FRunning == 0) FDone.notify_all();
  }
}

void NextFrames(const std::vector<TFlame*>& Flames, TFrameWorkers& Workers) {
  if (Flames.size() == 1) Flames[0]->NextFrame();
  if (Flames.size() <= 1) return;

  std::vector<TFlame::TFramePlan> Plans(Flames.size());
  std::vector<uint32_t> Seeds(Flames.size());
  std::vector<std::unique_lock<std::mutex>> Locks;
  Locks.reserve(Flames.size());
  // Only the frame thread holds more than one engine, always in this order;
  // everyone else takes one at a time.
  for (size_t i = 0; i < Flames.size(); ++i) Locks.push_back(Flames[i]->PlanFrame(Plans[i]));
  {
    // The generator moves on by all of the frame's draws at once; other
    // threads drawing meanwhile get what they would after the whole frame.
    TRandomLease Lease;
    for (size_t i = 0; i < Flames.size(); ++i) {
      if (!Plans[i].Stepping) continue;
      Seeds[i] = Lease.Seed();
      Lease.Seed() = AdvanceSeed(Lease.Seed(), Plans[i].Draws);
    }
  }
  Workers.Run(Flames.size(), [&](size_t i) { Flames[i]->RunPlannedFrame(Plans[i], Seeds[i]); });
}

}  // namespace emberdell
