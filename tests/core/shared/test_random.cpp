#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/shared/uRandom.h"

using namespace emberdell;

TEST(Random, LinearCongruentialSequence) {
  Randomize(0);
  // Seed 0 -> 1 -> 134775814 -> ...; Random(n) is the high half of seed x n.
  EXPECT_EQ(Random(0x80000000u), 0u);  // seed 1
  EXPECT_EQ(GetRandSeed(), 1u);
  EXPECT_EQ(Random(1000), uint32_t((uint64_t(134775814u) * 1000) >> 32));
  EXPECT_EQ(GetRandSeed(), 134775814u);
  // Random(0) is 0 but still moves the seed.
  EXPECT_EQ(Random(0), 0u);
  EXPECT_EQ(GetRandSeed(), uint32_t(134775814u * 134775813u + 1u));
}

TEST(Random, StepAndProcessGeneratorAgree) {
  Randomize(987654321u);
  uint32_t Local = 987654321u;
  for (uint32_t n : {1u, 2u, 3u, 276u, 600u, 0xFFFFFFFFu}) EXPECT_EQ(Random(n), RandomStep(Local, n));
  EXPECT_EQ(GetRandSeed(), Local);
}

TEST(Random, ThreadsNeitherLoseNorRepeatDraws) {
  // However the threads interleave, the seed ends where the same number of
  // single-threaded draws would leave it.
  const uint32_t Start = 4242;
  const int Threads = 4, Draws = 20000;
  Randomize(Start);
  std::vector<std::thread> Pool;
  for (int t = 0; t < Threads; ++t)
    Pool.emplace_back([t] {
      for (int i = 0; i < Draws / 100; ++i) {
        if (t % 2 == 0) {
          TRandomLease Lease;  // as a frame does: many draws under one lease
          for (int k = 0; k < 100; ++k) RandomStep(Lease.Seed(), 10);
        } else {
          for (int k = 0; k < 100; ++k) Random(10);
        }
      }
    });
  for (auto& th : Pool) th.join();
  uint32_t Expected = Start;
  for (int i = 0; i < Threads * Draws; ++i) RandomStep(Expected, 1);
  EXPECT_EQ(GetRandSeed(), Expected);
}
