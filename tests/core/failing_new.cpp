// The replaceable allocation functions of the core tests, so that a test can
// make large requests fail (tests/support/failing_new.h). Everything goes
// through malloc and free, the variants the sanitizers also see as a pair.
#include "tests/support/failing_new.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

thread_local std::size_t FailFrom = SIZE_MAX;
thread_local std::size_t RefusedCount = 0;

void* Allocate(std::size_t Size) {
  if (Size >= FailFrom) {
    ++RefusedCount;
    throw std::bad_alloc();
  }
  for (;;) {
    if (void* P = std::malloc(Size != 0 ? Size : 1)) return P;
    std::new_handler Handler = std::get_new_handler();
    if (Handler == nullptr) throw std::bad_alloc();
    Handler();
  }
}

}  // namespace

namespace emberdell::support {

TFailLargeAllocations::TFailLargeAllocations(std::size_t FromBytes) : FPrevious(FailFrom) { FailFrom = FromBytes; }
TFailLargeAllocations::~TFailLargeAllocations() { FailFrom = FPrevious; }
std::size_t TFailLargeAllocations::Refused() { return RefusedCount; }

}  // namespace emberdell::support

void* operator new(std::size_t Size) { return Allocate(Size); }
void* operator new[](std::size_t Size) { return Allocate(Size); }
void* operator new(std::size_t Size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(Size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t Size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(Size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* P) noexcept { std::free(P); }
void operator delete[](void* P) noexcept { std::free(P); }
void operator delete(void* P, std::size_t) noexcept { std::free(P); }
void operator delete[](void* P, std::size_t) noexcept { std::free(P); }
void operator delete(void* P, const std::nothrow_t&) noexcept { std::free(P); }
void operator delete[](void* P, const std::nothrow_t&) noexcept { std::free(P); }
