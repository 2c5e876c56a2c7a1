#include <gtest/gtest.h>

#include <cstdint>
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
