// The soft extended type against the x87 itself, one operation at a time:
// every result must have the same bits. Only where long double is the x87's.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "core/shared/uPrecision.h"
#include "core/shared/uSoftExtended.h"

#if __LDBL_MANT_DIG__ == 64

namespace emberdell {
namespace {

TSoftExtended FromX87(long double v) {
  uint64_t Significand = 0;
  uint16_t SignExponent = 0;
  std::memcpy(&Significand, &v, 8);
  std::memcpy(&SignExponent, reinterpret_cast<const char*>(&v) + 8, 2);
  return TSoftExtended::FromParts((SignExponent >> 15) != 0, (SignExponent & 0x7FFF) - 16383, Significand);
}

long double ToX87(const TSoftExtended& v) {
  const uint64_t Significand = v.Significand();
  const uint16_t SignExponent = static_cast<uint16_t>((v.Negative() ? 0x8000 : 0) |
                                                      (v.IsZero() ? 0 : (v.Exponent() + 16383) & 0x7FFF));
  long double r = 0;
  std::memcpy(&r, &Significand, 8);
  std::memcpy(reinterpret_cast<char*>(&r) + 8, &SignExponent, 2);
  return r;
}

// Exact, sign of zero included.
std::string Hex(long double v) {
  char Text[64];
  std::snprintf(Text, sizeof Text, "%La", v);
  return Text;
}
std::string Hex(const TSoftExtended& v) { return Hex(ToX87(v)); }

enum class TOp { Add, Sub, Mul, Div };

long double Apply(TOp Op, long double a, long double b) {
  // Windows threads may start with the x87 at 53 bits.
  const TExtendedPrecision Precision;
  // Kept in memory, so that nothing is folded at compile time in another precision.
  volatile long double x = a, y = b;
  switch (Op) {
    case TOp::Add: return x + y;
    case TOp::Sub: return x - y;
    case TOp::Mul: return x * y;
    case TOp::Div: return x / y;
  }
  return 0;
}

TSoftExtended Apply(TOp Op, const TSoftExtended& a, const TSoftExtended& b) {
  switch (Op) {
    case TOp::Add: return a + b;
    case TOp::Sub: return a - b;
    case TOp::Mul: return a * b;
    case TOp::Div: return a / b;
  }
  return 0;
}

const char* const OpNames[] = {"+", "-", "*", "/"};

void ExpectSameAsX87(TOp Op, long double a, long double b) {
  if (Op == TOp::Div && b == 0) return;
  EXPECT_EQ(Hex(Apply(Op, FromX87(a), FromX87(b))), Hex(Apply(Op, a, b)))
      << Hex(a) << " " << OpNames[int(Op)] << " " << Hex(b);
}

// The values the callers meet (pixel counts, percentages, filter constants
// and the quotients between them), the ends of the significand, and
// exponents far from them.
const long double Edges[] = {
    0.0L, -0.0L, 1.0L, -1.0L, 2.0L, 3.0L, 6.0L, 9.0L, 18.0L, 0.5L, 100.0L, 255.0L, 65536.0L, 2400.0L, 10000.0L,
    0.58L, 2.12L, 1.03L, 0.1L, 1.0L / 3, -7.0L / 18, 8.0L / 9, 16.0L / 9, 10.0L / 3,
    0x1p-64L, 0x1p-65L, 0x1.0000000000000002p0L,         // 1 + 2^-63, the next after 1
    0x1.fffffffffffffffep-1L,                             // 1 - 2^-64, the one before
    18446744073709551615.0L,                              // 2^64 - 1
    9223372036854775809.0L,                               // 2^63 + 1
    0x1p62L + 0.5L, 0x1p-1000L, 0x1p1000L, -0x1.23456789abcdef01p-40L, 0x1.fedcba9876543211p+40L,
    static_cast<long double>(67.0f / 200.0f), static_cast<long double>(0.1f), 1e-300L, 1e300L};

TEST(SoftExtended, ArithmeticOnEdgeValuesMatchesTheX87) {
  for (TOp Op : {TOp::Add, TOp::Sub, TOp::Mul, TOp::Div})
    for (long double a : Edges)
      for (long double b : Edges) ExpectSameAsX87(Op, a, b);
}

// Random significands, signs and exponents 80 apart at most, so sums see
// every alignment, plus near-equal pairs whose difference cancels.
TEST(SoftExtended, ArithmeticOnRandomValuesMatchesTheX87) {
  std::mt19937_64 Random(20261210);
  auto Any = [&Random](int Spread) {
    const int Exponent = static_cast<int>(Random() % (2 * Spread + 1)) - Spread;
    return ToX87(TSoftExtended::FromParts((Random() & 1) != 0, Exponent, Random() | uint64_t(1) << 63));
  };
  for (int i = 0; i < 20000; ++i) {
    const long double a = Any(40), b = Any(40);
    for (TOp Op : {TOp::Add, TOp::Sub, TOp::Mul, TOp::Div}) ExpectSameAsX87(Op, a, b);
    const TSoftExtended s = FromX87(a);
    const long double Near = ToX87(TSoftExtended::FromParts(s.Negative(), s.Exponent() - int(Random() % 2),
                                                            s.Significand() ^ (Random() & 0xFFFF)));
    ExpectSameAsX87(TOp::Sub, a, Near);
    ExpectSameAsX87(TOp::Add, a, -Near);
  }
}

// Halfway cases worked by hand: each goes to the even neighbour.
TEST(SoftExtended, TiesRoundToEven) {
  struct TCase {
    const char* Name;
    TOp Op;
    long double a, b, Expected;
  };
  const TCase Cases[] = {
      {"(2^63 + 1) + 1/2 goes up to 2^63 + 2", TOp::Add, 9223372036854775809.0L, 0.5L, 9223372036854775810.0L},
      {"(2^63 + 2) + 1/2 stays", TOp::Add, 9223372036854775810.0L, 0.5L, 9223372036854775810.0L},
      {"(2^63 + 3) - 1/2 goes down to 2^63 + 2", TOp::Sub, 9223372036854775811.0L, 0.5L, 9223372036854775810.0L},
      {"1 - 2^-65 stays at 1", TOp::Sub, 1.0L, 0x1p-65L, 1.0L},
      // The last bit of 1/2 + 2^-64 lies below everything the sum keeps,
      // yet decides that it is not a tie.
      {"(2^63 + 2) + (1/2 + 2^-64) goes up to 2^63 + 3", TOp::Add, 9223372036854775810.0L, 0.5L + 0x1p-64L,
       9223372036854775811.0L},
      {"(2^63 + 2) - (1/2 + 2^-64) goes down to 2^63 + 1", TOp::Sub, 9223372036854775810.0L, 0.5L + 0x1p-64L,
       9223372036854775809.0L},
      {"(2^32 + 1)^2 = 2^64 + 2^33 + 1 drops its 1", TOp::Mul, 4294967297.0L, 4294967297.0L,
       18446744082299486208.0L},
      {"(2^32 + 3)(2^32 + 1) = 2^64 + 2^34 + 3 goes up by 1", TOp::Mul, 4294967299.0L, 4294967297.0L,
       18446744090889420804.0L},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(Hex(Apply(C.Op, C.a, C.b)), Hex(C.Expected));
    EXPECT_EQ(Hex(Apply(C.Op, FromX87(C.a), FromX87(C.b))), Hex(C.Expected));
  }
}

TEST(SoftExtended, ComparisonsMatchTheX87) {
  for (long double a : Edges)
    for (long double b : Edges) {
      SCOPED_TRACE(Hex(a) + " vs " + Hex(b));
      const TSoftExtended x = FromX87(a), y = FromX87(b);
      EXPECT_EQ(x == y, a == b);
      EXPECT_EQ(x != y, a != b);
      EXPECT_EQ(x < y, a < b);
      EXPECT_EQ(x <= y, a <= b);
      EXPECT_EQ(x > y, a > b);
      EXPECT_EQ(x >= y, a >= b);
    }
}

TEST(SoftExtended, RoundingToIntegersMatchesTheX87) {
  const long double Values[] = {0.0L, -0.0L, 0.5L, 1.5L, 2.5L, -0.5L, -1.5L, -2.5L, 0.25L, -0.25L, 0.75L,
                                0x1.fffffffffffffffep-2L,  // just below 1/2
                                0x1p62L + 0.5L, 0x1p62L + 1.5L, 0x1p63L, 1e30L, -1e-30L, 2171.5L, -5000.499L,
                                57.99999999999999999L, -9999.5L, 0x1.0000000000000002p0L};
  for (long double v : Values) {
    SCOPED_TRACE(Hex(v));
    const TSoftExtended s = FromX87(v);
    EXPECT_EQ(Hex(NearbyInt(s)), Hex(__builtin_nearbyintl(v)));
    EXPECT_EQ(Hex(Trunc(s)), Hex(__builtin_truncl(v)));
    EXPECT_EQ(Hex(Floor(s)), Hex(__builtin_floorl(v)));
    EXPECT_EQ(Hex(Abs(s)), Hex(__builtin_fabsl(v)));
    EXPECT_EQ(Hex(-s), Hex(-v));
    if (std::fabs(v) < 0x1p62L) {
      EXPECT_EQ(static_cast<long long>(s), static_cast<long long>(v));
    }
  }
}

TEST(SoftExtended, ConversionsMatchTheX87) {
  const long double Narrowed[] = {16777217.0L, 16777219.0L, 9007199254740993.0L, 9007199254740995.0L,
                                  0.1L, 1.0L / 3, -2.12L, 0x1.fffffffffffffffep-1L, 0x1.000001p0L, 2399.99997L,
                                  0x1.fffffep127L, -0x1p-126L, 0.0L, -0.0L};
  for (long double v : Narrowed) {
    SCOPED_TRACE(Hex(v));
    volatile long double x = v;
    EXPECT_EQ(std::bit_cast<uint32_t>(static_cast<float>(FromX87(v))), std::bit_cast<uint32_t>(static_cast<float>(x)));
    EXPECT_EQ(std::bit_cast<uint64_t>(static_cast<double>(FromX87(v))),
              std::bit_cast<uint64_t>(static_cast<double>(x)));
  }
  const long long Integers[] = {0, 1, -1, 255, -100, 2400, std::numeric_limits<long long>::max(),
                                std::numeric_limits<long long>::min(), 1LL << 53, (1LL << 53) + 1};
  for (long long v : Integers) {
    SCOPED_TRACE(v);
    EXPECT_EQ(Hex(TSoftExtended(v)), Hex(static_cast<long double>(v)));
  }
  EXPECT_EQ(Hex(TSoftExtended(std::numeric_limits<uint64_t>::max())), Hex(18446744073709551615.0L));
  const double Doubles[] = {0.1, -0.0, 1e-310 /* subnormal */, 1.7976931348623157e308, 0x1.fffffffffffffp-1};
  for (double v : Doubles) {
    SCOPED_TRACE(v);
    EXPECT_EQ(Hex(TSoftExtended(v)), Hex(static_cast<long double>(v)));
  }
  EXPECT_EQ(Hex(TSoftExtended(0.1f)), Hex(static_cast<long double>(0.1f)));
}

// The sound level's logarithm is the only function the callers take beyond
// the four operations; the soft one is good to double precision, which is
// enough when no level lies near a half.
TEST(SoftExtended, SoundLevelsAreFarFromHalves) {
  const TExtendedPrecision Precision;
  for (int V = 0; V <= 100; ++V) {
    SCOPED_TRACE(V);
    const long double Level = 10000.0L / std::log(100.0L) * std::log(static_cast<long double>(V) + 1) - 10000;
    const long double Fraction = Level - std::floor(Level);
    EXPECT_GT(std::fabs(Fraction - 0.5L), 1e-6L);
    const TSoftExtended Soft = TSoftExtended(10000) / Log(TSoftExtended(100)) * Log(TSoftExtended(V) + 1) - 10000;
    EXPECT_EQ(static_cast<long long>(NearbyInt(Soft)), static_cast<long long>(__builtin_nearbyintl(Level)));
  }
}

}  // namespace
}  // namespace emberdell

#endif
