// The x87's extended precision done in integers, for machines whose
// long double is something else (WebAssembly's is IEEE quad): a 64-bit
// significand, every operation rounded once to nearest with ties to even.
// Sums, differences, products and quotients of two such numbers are exactly
// the x87's. There are no infinities, NaNs or subnormals: the exponent is a
// plain int, which the callers' values (pixel counts, percentages, filter
// weights) never come near; a division by zero gives zero.
#pragma once

#include <bit>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>

namespace emberdell {

class TSoftExtended {
 public:
  constexpr TSoftExtended() = default;

  template <std::integral T>
  constexpr TSoftExtended(T v) {  // exact for every integer up to 64 bits
    static_assert(sizeof(T) <= 8);
    if (v == 0) return;
    FNegative = v < 0;
    uint64_t Magnitude = static_cast<uint64_t>(v);
    if (FNegative) Magnitude = 0 - Magnitude;
    const int Shift = std::countl_zero(Magnitude);
    FSignificand = Magnitude << Shift;
    FExponent = 63 - Shift;
  }

  constexpr TSoftExtended(float v) : TSoftExtended(static_cast<double>(v)) {}

  constexpr TSoftExtended(double v) {  // exact for every finite double
    // The builtin: the libc++ of some WebAssembly toolchains lacks std::bit_cast.
    const uint64_t Bits = __builtin_bit_cast(uint64_t, v);
    FNegative = (Bits >> 63) != 0;
    const int Biased = static_cast<int>(Bits >> 52 & 0x7FF);
    const uint64_t Fraction = Bits & ((uint64_t(1) << 52) - 1);
    if (Biased == 0) {
      if (Fraction == 0) return;  // a signed zero
      const int Shift = std::countl_zero(Fraction);
      FSignificand = Fraction << Shift;
      FExponent = -1074 + 63 - Shift;
      return;
    }
    FSignificand = (Fraction | uint64_t(1) << 52) << 11;
    FExponent = Biased - 1023;
  }

  // The value is Significand x 2^(Exponent - 63); the significand's top bit
  // is set unless the value is zero.
  static constexpr TSoftExtended FromParts(bool Negative, int32_t Exponent, uint64_t Significand) {
    TSoftExtended r;
    r.FNegative = Negative;
    if (Significand == 0) return r;
    const int Shift = std::countl_zero(Significand);
    r.FSignificand = Significand << Shift;
    r.FExponent = Exponent - Shift;
    return r;
  }
  constexpr bool Negative() const { return FNegative; }
  constexpr int32_t Exponent() const { return FExponent; }
  constexpr uint64_t Significand() const { return FSignificand; }
  constexpr bool IsZero() const { return FSignificand == 0; }

  // Toward zero, as a C++ conversion does; a value outside 64 bits gives the
  // x87's "integer indefinite", the lowest 64-bit integer.
  template <std::integral T>
  constexpr explicit operator T() const {
    return static_cast<T>(ToInt64());
  }
  constexpr explicit operator double() const { return ToBinary(53); }
  constexpr explicit operator float() const { return static_cast<float>(ToBinary(24)); }

  constexpr TSoftExtended operator-() const {
    TSoftExtended r = *this;
    r.FNegative = !r.FNegative;
    return r;
  }

  friend constexpr TSoftExtended operator+(const TSoftExtended& a, const TSoftExtended& b) { return Add(a, b, b.FNegative); }
  friend constexpr TSoftExtended operator-(const TSoftExtended& a, const TSoftExtended& b) { return Add(a, b, !b.FNegative); }
  friend constexpr TSoftExtended operator*(const TSoftExtended& a, const TSoftExtended& b) {
    const bool Sign = a.FNegative != b.FNegative;
    if (a.IsZero() || b.IsZero()) return Zero(Sign);
    return Round(Sign, a.FExponent + b.FExponent - 126, Wide(a.FSignificand) * b.FSignificand, false);
  }
  friend constexpr TSoftExtended operator/(const TSoftExtended& a, const TSoftExtended& b) {
    const bool Sign = a.FNegative != b.FNegative;
    if (a.IsZero() || b.IsZero()) return Zero(Sign);
    // a / b lies in (1/2, 2) times a power of two, so the quotient of the
    // significands shifted by 64 has 64 or 65 bits; one more quotient bit and
    // whether anything remains decide the rounding.
    const Wide Numerator = Wide(a.FSignificand) << 64;
    const Wide Quotient = Numerator / b.FSignificand;
    Wide Remainder2 = (Numerator % b.FSignificand) << 1;
    const bool Guard = Remainder2 >= b.FSignificand;
    if (Guard) Remainder2 -= b.FSignificand;
    return Round(Sign, a.FExponent - b.FExponent - 65, Quotient << 1 | Wide(Guard), Remainder2 != 0);
  }
  constexpr TSoftExtended& operator+=(const TSoftExtended& b) { return *this = *this + b; }
  constexpr TSoftExtended& operator-=(const TSoftExtended& b) { return *this = *this - b; }
  constexpr TSoftExtended& operator*=(const TSoftExtended& b) { return *this = *this * b; }
  constexpr TSoftExtended& operator/=(const TSoftExtended& b) { return *this = *this / b; }

  friend constexpr bool operator==(const TSoftExtended& a, const TSoftExtended& b) { return Compare(a, b) == 0; }
  friend constexpr bool operator!=(const TSoftExtended& a, const TSoftExtended& b) { return Compare(a, b) != 0; }
  friend constexpr bool operator<(const TSoftExtended& a, const TSoftExtended& b) { return Compare(a, b) < 0; }
  friend constexpr bool operator<=(const TSoftExtended& a, const TSoftExtended& b) { return Compare(a, b) <= 0; }
  friend constexpr bool operator>(const TSoftExtended& a, const TSoftExtended& b) { return Compare(a, b) > 0; }
  friend constexpr bool operator>=(const TSoftExtended& a, const TSoftExtended& b) { return Compare(a, b) >= 0; }

  friend constexpr TSoftExtended Abs(TSoftExtended v) {
    v.FNegative = false;
    return v;
  }
  // Toward zero, keeping the sign of a zero result as the x87 does.
  friend constexpr TSoftExtended Trunc(const TSoftExtended& v) { return v.RoundToInteger(false); }
  // To nearest, halves to even: the x87's frndint in its default mode.
  friend constexpr TSoftExtended NearbyInt(const TSoftExtended& v) { return v.RoundToInteger(true); }
  friend constexpr TSoftExtended Floor(const TSoftExtended& v) {
    const TSoftExtended t = Trunc(v);
    return (v.FNegative && t != v) ? t - 1 : t;
  }

 private:
  using Wide = unsigned __int128;

  static constexpr TSoftExtended Zero(bool Negative) {
    TSoftExtended r;
    r.FNegative = Negative;
    return r;
  }

  // Rounds v x 2^Exp (v > 0), with Sticky standing for something nonzero
  // below v's last bit, to 64 bits.
  static constexpr TSoftExtended Round(bool Negative, int32_t Exp, Wide v, bool Sticky) {
    const uint64_t High = static_cast<uint64_t>(v >> 64);
    const int Shift = High != 0 ? std::countl_zero(High) : 64 + std::countl_zero(static_cast<uint64_t>(v));
    v <<= Shift;
    Exp -= Shift;
    uint64_t Kept = static_cast<uint64_t>(v >> 64);
    const uint64_t Lost = static_cast<uint64_t>(v);
    const bool Half = (Lost >> 63) != 0;
    const bool AboveHalf = (Lost << 1) != 0 || Sticky;
    TSoftExtended r;
    r.FNegative = Negative;
    r.FExponent = Exp + 127;
    if (Half && (AboveHalf || (Kept & 1) != 0)) {
      if (++Kept == 0) {
        Kept = uint64_t(1) << 63;
        ++r.FExponent;
      }
    }
    r.FSignificand = Kept;
    return r;
  }

  // a + b with b's sign replaced by BNegative.
  static constexpr TSoftExtended Add(TSoftExtended a, TSoftExtended b, bool BNegative) {
    b.FNegative = BNegative;
    if (b.IsZero()) return a.IsZero() ? Zero(a.FNegative && b.FNegative) : a;
    if (a.IsZero()) return b;
    if (a.FExponent < b.FExponent || (a.FExponent == b.FExponent && a.FSignificand < b.FSignificand)) {
      const TSoftExtended t = a;
      a = b;
      b = t;
    }
    // The larger at bit 126 leaves room for the carry; the smaller, shifted
    // into place, folds what falls off into its last bit, far below the
    // rounding point even after a difference loses its top bit.
    const int Distance = a.FExponent - b.FExponent;
    const Wide A = Wide(a.FSignificand) << 63;
    Wide B = 1;
    if (Distance < 127) {
      const Wide Whole = Wide(b.FSignificand) << 63;
      B = Whole >> Distance;
      if ((B << Distance) != Whole) B |= 1;
    }
    if (a.FNegative == b.FNegative) return Round(a.FNegative, a.FExponent - 126, A + B, false);
    if (A == B) return Zero(false);  // x - x is +0 when rounding to nearest
    return Round(a.FNegative, a.FExponent - 126, A - B, false);
  }

  static constexpr int Compare(const TSoftExtended& a, const TSoftExtended& b) {
    if (a.IsZero() && b.IsZero()) return 0;
    if (a.IsZero()) return b.FNegative ? 1 : -1;
    if (b.IsZero()) return a.FNegative ? -1 : 1;
    if (a.FNegative != b.FNegative) return a.FNegative ? -1 : 1;
    int Magnitude = 0;
    if (a.FExponent != b.FExponent)
      Magnitude = a.FExponent < b.FExponent ? -1 : 1;
    else if (a.FSignificand != b.FSignificand)
      Magnitude = a.FSignificand < b.FSignificand ? -1 : 1;
    return a.FNegative ? -Magnitude : Magnitude;
  }

  constexpr TSoftExtended RoundToInteger(bool Nearest) const {
    if (IsZero() || FExponent >= 63) return *this;
    if (FExponent < -1) return Zero(FNegative);
    // Bits of the fraction: 1 .. 64.
    const int FractionBits = 63 - FExponent;
    const Wide Whole = Wide(FSignificand);
    Wide Integer = Whole >> FractionBits;
    if (Nearest) {
      const Wide Fraction = Whole - (Integer << FractionBits);
      const Wide Half = Wide(1) << (FractionBits - 1);
      if (Fraction > Half || (Fraction == Half && (Integer & 1) != 0)) ++Integer;
    }
    TSoftExtended r(static_cast<uint64_t>(Integer));
    r.FNegative = FNegative;
    return r;
  }

  constexpr int64_t ToInt64() const {
    if (IsZero() || FExponent < 0) return 0;
    if (FExponent >= 63) return std::numeric_limits<int64_t>::min();
    const uint64_t Magnitude = FSignificand >> (63 - FExponent);
    return FNegative ? -static_cast<int64_t>(Magnitude) : static_cast<int64_t>(Magnitude);
  }

  // Rounded to Bits bits (24 or 53), then scaled: exact for results in the
  // normal range of the target type, which is all the callers make.
  constexpr double ToBinary(int Bits) const {
    if (IsZero()) return FNegative ? -0.0 : 0.0;
    const int Drop = 64 - Bits;
    uint64_t Kept = FSignificand >> Drop;
    const uint64_t Lost = FSignificand & ((uint64_t(1) << Drop) - 1);
    const uint64_t Half = uint64_t(1) << (Drop - 1);
    int Exp = FExponent - (Bits - 1);
    if (Lost > Half || (Lost == Half && (Kept & 1) != 0)) {
      if (++Kept == uint64_t(1) << Bits) {
        Kept >>= 1;
        ++Exp;
      }
    }
    double r = static_cast<double>(Kept);
    // ldexp is not constexpr before C++23: scale by exact powers of two.
    for (; Exp > 0; Exp -= (Exp > 60 ? 60 : Exp)) r *= static_cast<double>(uint64_t(1) << (Exp > 60 ? 60 : Exp));
    for (; Exp < 0; Exp += (-Exp > 60 ? 60 : -Exp)) r /= static_cast<double>(uint64_t(1) << (-Exp > 60 ? 60 : -Exp));
    return FNegative ? -r : r;
  }

  bool FNegative = false;
  int32_t FExponent = 0;
  uint64_t FSignificand = 0;
};

// The natural logarithm, to double precision. Its one caller, the sound
// level, rounds 2171.5 x ln(v + 1) to an integer, and for each of its 101
// inputs the result is further from a half than this can move it.
inline TSoftExtended Log(const TSoftExtended& v) { return TSoftExtended(std::log(static_cast<double>(v))); }

}  // namespace emberdell
