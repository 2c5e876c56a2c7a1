// A 64-bit FNV-1a digest of a stream of integers: a sweep of hundreds of
// thousands of results is pinned by one literal.
#pragma once

#include <cstdint>

namespace emberdell::test {

class TDigest {
 public:
  void Add(int64_t v) {
    for (int i = 0; i < 8; ++i) {
      FValue ^= static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i));
      FValue *= 0x100000001B3ull;
    }
  }
  uint64_t Value() const { return FValue; }

 private:
  uint64_t FValue = 0xCBF29CE484222325ull;
};

}  // namespace emberdell::test
