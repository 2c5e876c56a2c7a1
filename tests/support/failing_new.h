// Running out of memory on demand: while a TFailLargeAllocations lives,
// operator new on its thread throws std::bad_alloc for every request of at
// least the given size. The core tests replace operator new for this
// (tests/core/failing_new.cpp); smaller requests and other threads are served
// as usual.
#pragma once

#include <cstddef>

namespace emberdell::support {

class TFailLargeAllocations {
 public:
  explicit TFailLargeAllocations(std::size_t FromBytes);
  ~TFailLargeAllocations();
  TFailLargeAllocations(const TFailLargeAllocations&) = delete;
  TFailLargeAllocations& operator=(const TFailLargeAllocations&) = delete;
  // Requests refused so far on this thread.
  static std::size_t Refused();

 private:
  std::size_t FPrevious;
};

}  // namespace emberdell::support
