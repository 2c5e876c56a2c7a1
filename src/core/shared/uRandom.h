// The process-wide pseudo-random generator shared by sparks, styles,
// backgrounds, chimes and the fire sound:
//   RandSeed := RandSeed * 134775813 + 1 (mod 2^32)
//   Random(n) := high 32 bits of the 64-bit product RandSeed * n.
// Several threads draw from it. Each call to Random takes a lock; the flame
// step instead leases the seed once per frame (TRandomLease) and draws from
// a local copy, so the hot path pays no lock per draw while every thread
// still sees exactly the sequence a single thread would.
#pragma once

#include <cstdint>
#include <mutex>

namespace emberdell {

// One draw on a seed held by the caller.
inline uint32_t RandomStep(uint32_t& Seed, uint32_t Range) {
  Seed = Seed * 134775813u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(Seed) * Range) >> 32);
}

// The seed after Draws draws from Seed, in a few dozen steps however many:
// the generator composed with itself is again A x seed + C.
inline uint32_t AdvanceSeed(uint32_t Seed, uint64_t Draws) {
  uint32_t A = 134775813u, C = 1u;    // one draw, squared as Draws is read bit by bit
  uint32_t RA = 1u, RC = 0u;          // the draws composed so far
  for (; Draws != 0; Draws >>= 1) {
    if (Draws & 1u) RA *= A, RC = RC * A + C;
    C = C * A + C;
    A *= A;
  }
  return RA * Seed + RC;
}

void Randomize(uint32_t Seed);  // sets RandSeed
uint32_t GetRandSeed();
// A uniform integer from 0 to Range - 1; Random(0) is 0 (the seed still moves).
uint32_t Random(uint32_t Range);

// Holds the generator for a batch of draws: the seed is copied out under the
// lock and written back when the lease ends. Other threads wait meanwhile.
class TRandomLease {
 public:
  TRandomLease();
  ~TRandomLease();
  TRandomLease(const TRandomLease&) = delete;
  TRandomLease& operator=(const TRandomLease&) = delete;
  uint32_t& Seed() { return FSeed; }

 private:
  std::unique_lock<std::mutex> FLock;
  uint32_t FSeed;
};

}  // namespace emberdell
