// Float-to-integer results must come from extended precision (64-bit
// significand). On x86 the x87 unit honours a precision-control field that
// Windows sets to 53 bits for new threads, which would change results such as
// 212 / 100 * 50 / 2; this guard forces 64-bit precision for a calculation.
#pragma once

#include <cstdint>

namespace emberdell {

class TExtendedPrecision {
 public:
#if defined(__x86_64__) || defined(__i386__)
  TExtendedPrecision() {
    __asm__ volatile("fnstcw %0" : "=m"(FSaved));
    uint16_t Wanted = static_cast<uint16_t>((FSaved & ~0x0300u) | 0x0300u);  // PC = 64 bits
    __asm__ volatile("fldcw %0" : : "m"(Wanted));
  }
  ~TExtendedPrecision() { __asm__ volatile("fldcw %0" : : "m"(FSaved)); }
#else
  TExtendedPrecision() = default;
#endif
  TExtendedPrecision(const TExtendedPrecision&) = delete;
  TExtendedPrecision& operator=(const TExtendedPrecision&) = delete;

 private:
  [[maybe_unused]] uint16_t FSaved = 0;
};

// Rounds to nearest with halves to even, as the x87 unit rounds by default;
// exact for every value the callers pass.
inline long long RoundHalfEven(long double v) {
  const long double f = __builtin_floorl(v);
  const long double Diff = v - f;
  long long r = static_cast<long long>(f);
  if (Diff > 0.5L || (Diff == 0.5L && (r & 1) != 0)) ++r;
  return r;
}

static_assert(sizeof(long double) >= 10, "extended precision needs the 80-bit long double");

}  // namespace emberdell
