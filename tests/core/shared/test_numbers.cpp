#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "core/shared/uNumbers.h"

using namespace emberdell;

namespace {

struct TCase {
  const char* Text;
  int64_t Min, Max;
  bool Ok;
  int64_t Value;
};

TEST(ParseDecimal, SignDigitsAndRange) {
  const TCase Cases[] = {
      {"0", 0, 10, true, 0},
      {"+7", 0, 10, true, 7},
      {"-7", -10, 10, true, -7},
      {"-0", 0, 10, true, 0},
      {"10", 0, 10, true, 10},
      {"11", 0, 10, false, 0},
      {"-11", -10, 10, false, 0},
      {"4294967295", -2147483648ll, 4294967295ll, true, 4294967295ll},
      {"4294967296", -2147483648ll, 4294967295ll, false, 0},
      {"-2147483648", -2147483648ll, 4294967295ll, true, -2147483648ll},
      {"-2147483649", -2147483648ll, 4294967295ll, false, 0},
      {"000000000000000000000000042", 0, 100, true, 42},  // leading zeros never overflow
      {"99999999999999999999999999", 0, 100, false, 0},  // far too large, no wrap-around
      {"99999999999999999999999x", 0, 100, false, 0},
      {"", 0, 10, false, 0},
      {"+", 0, 10, false, 0},
      {"-", 0, 10, false, 0},
      {"+-1", -10, 10, false, 0},
      {" 1", 0, 10, false, 0},
      {"1 ", 0, 10, false, 0},
      {"1.0", 0, 10, false, 0},
      {"0x1", 0, 10, false, 0},
  };
  for (const TCase& C : Cases) {
    int64_t Value = -99;
    EXPECT_EQ(ParseDecimal(C.Text, C.Min, C.Max, Value), C.Ok) << '"' << C.Text << '"';
    EXPECT_EQ(Value, C.Ok ? C.Value : -99) << '"' << C.Text << "\": untouched on failure";
  }
}

}  // namespace

namespace {

TEST(ShortestText, DigitsAndForm) {
  struct TTextCase {
    double V;
    const char* Text;
  };
  const TTextCase Cases[] = {
      {0.5, "0.5"},
      {2, "2"},
      {10, "10"},
      {0.1, "0.1"},
      {-2.5, "-2.5"},
      {1.0 / 3, "0.3333333333333333"},
      {0.0, "0"},
      {-0.0, "-0"},
      {10000, "10000"},   // as long as "1e+04": the plain form wins
      {100000, "1e+05"},  // a delay of 6,000,000 s
      {1e7, "1e+07"},
      {0.001, "0.001"},
      {0.00001, "1e-05"},
      {1e100, "1e+100"},
      {123456789012345680.0, "123456789012345680"},
      {4611686018427387904.0, "4611686018427387904"},  // 2^62: all its digits, not 4611686018427388000
      {5e-324, "5e-324"},
      {1.7976931348623157e308, "1.7976931348623157e+308"},
      {std::numeric_limits<double>::infinity(), "inf"},
  };
  for (const TTextCase& C : Cases) {
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(ShortestText(C.V), C.Text);
  }
}

#if defined(__cpp_lib_to_chars)
// Where the library has it, the text is std::to_chars's: for every delay
// near the ones a user can choose, delays anywhere in their range, and
// doubles of every exponent.
TEST(ShortestText, SameAsToChars) {
  auto Expect = [](double V) {
    char Buffer[64];
    const auto End = std::to_chars(Buffer, Buffer + sizeof Buffer, V).ptr;
    ASSERT_EQ(ShortestText(V), std::string(Buffer, End)) << V;
  };
  for (int32_t Delay = -20000; Delay <= 20000; ++Delay) Expect(Delay / 60.0);
  std::mt19937_64 Random(42);
  for (int i = 0; i < 20000; ++i) {
    Expect(static_cast<int32_t>(Random()) / 60.0);
    double V;
    const uint64_t Bits = Random();
    std::memcpy(&V, &Bits, sizeof V);
    if (std::isfinite(V)) Expect(V);
  }
}
#endif

}  // namespace
