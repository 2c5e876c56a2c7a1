// Float-to-integer results must come from extended precision (64-bit
// significand). On x86 the x87 unit honours a precision-control field that
// Windows sets to 53 bits for new threads, which would change results such as
// 212 / 100 * 50 / 2; this guard forces 64-bit precision for a calculation.
//
// Where long double is not the x87's type (WebAssembly), or with
// EMBERDELL_SOFT_EXTENDED, TExtended is the same arithmetic done in
// integers; code written with TExtended and the functions below gives the
// same results either way.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/shared/uSoftExtended.h"

#if defined(EMBERDELL_SOFT_EXTENDED) || __LDBL_MANT_DIG__ != 64
#define EMBERDELL_EXTENDED_IS_SOFT 1
#else
#define EMBERDELL_EXTENDED_IS_SOFT 0
#endif

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
  // Nothing to switch; user-provided so that a guard is never "unused".
  TExtendedPrecision() {}
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

inline long long RoundHalfEven(const TSoftExtended& v) { return static_cast<long long>(NearbyInt(v)); }

inline long double Abs(long double v) { return __builtin_fabsl(v); }
inline long double Trunc(long double v) { return __builtin_truncl(v); }
inline long double NearbyInt(long double v) { return __builtin_nearbyintl(v); }
inline long double Log(long double v) { return __builtin_logl(v); }

#if EMBERDELL_EXTENDED_IS_SOFT
using TExtended = TSoftExtended;
// A value the x87 code keeps in memory so that nothing is computed before the
// precision switch; the soft type needs no such care.
using TExtendedInMemory = TSoftExtended;
#else
static_assert(std::numeric_limits<long double>::digits == 64);
using TExtended = long double;
using TExtendedInMemory = volatile long double;
#endif

}  // namespace emberdell
