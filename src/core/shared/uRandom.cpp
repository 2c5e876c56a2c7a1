#include "core/shared/uRandom.h"

namespace emberdell {
namespace {
std::mutex RandLock;
uint32_t RandSeed = 0;
}  // namespace

void Randomize(uint32_t Seed) {
  std::lock_guard<std::mutex> Guard(RandLock);
  RandSeed = Seed;
}

uint32_t GetRandSeed() {
  std::lock_guard<std::mutex> Guard(RandLock);
  return RandSeed;
}

uint32_t Random(uint32_t Range) {
  std::lock_guard<std::mutex> Guard(RandLock);
  return RandomStep(RandSeed, Range);
}

TRandomLease::TRandomLease() : FLock(RandLock), FSeed(RandSeed) {}

TRandomLease::~TRandomLease() { RandSeed = FSeed; }

}  // namespace emberdell
