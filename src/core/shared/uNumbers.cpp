#include "core/shared/uNumbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace emberdell {

bool ParseDecimal(std::string_view Text, int64_t Min, int64_t Max, int64_t& Value) {
  size_t i = 0;
  bool Negative = false;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) Negative = Text[i++] == '-';
  if (i == Text.size()) return false;
  // Past this the number is out of every range a caller asks for, and growing
  // it further could overflow; the digits are still checked to the end.
  constexpr uint64_t Ceiling = 100'000'000'000'000'000;
  uint64_t Magnitude = 0;
  for (; i < Text.size(); ++i) {
    if (Text[i] < '0' || Text[i] > '9') return false;
    if (Magnitude < Ceiling) Magnitude = Magnitude * 10 + static_cast<uint64_t>(Text[i] - '0');
  }
  if (Magnitude >= Ceiling) return false;
  const int64_t Signed = Negative ? -static_cast<int64_t>(Magnitude) : static_cast<int64_t>(Magnitude);
  if (Signed < Min || Signed > Max) return false;
  Value = Signed;
  return true;
}

std::string ShortestText(double V) {
  const std::string Sign = std::signbit(V) ? "-" : "";
  if (std::isnan(V)) return Sign + "nan";
  if (std::isinf(V)) return Sign + "inf";
  if (V == 0) return Sign + "0";
  // printf rounds correctly to the digits asked for, so the first count
  // whose text reads back as V gives the shortest digits; 17 always do.
  char Buffer[48];
  for (int Digits = 1; Digits <= 17; ++Digits) {
    std::snprintf(Buffer, sizeof Buffer, "%.*e", Digits - 1, V);
    if (std::strtod(Buffer, nullptr) == V) break;
  }
  // Buffer is [-]d[.ddd]e(+|-)x..: the digits, whatever the point is, and the
  // power of ten of the first one.
  std::string Digits;
  const char* p = Buffer;
  for (; *p != 'e' && *p != 0; ++p)
    if (*p >= '0' && *p <= '9') Digits += *p;
  const int Exponent = *p == 'e' ? std::atoi(p + 1) : 0;
  while (Digits.size() > 1 && Digits.back() == '0') Digits.pop_back();
  const int n = static_cast<int>(Digits.size());

  const int FixedLength = Exponent >= n - 1 ? Exponent + 1 : Exponent >= 0 ? n + 1 : n + 1 - Exponent;
  const int ExponentDigits = std::abs(Exponent) >= 100 ? 3 : 2;
  const int ScientificLength = n + (n > 1 ? 1 : 0) + 2 + ExponentDigits;
  std::string Text = Sign;
  if (FixedLength <= ScientificLength) {
    if (Exponent >= n - 1) {
      // A whole number is written with all its digits, as %f writes it, not
      // the shortest ones padded with zeros: 2^62 is 4611686018427387904.
      std::snprintf(Buffer, sizeof Buffer, "%.0f", std::fabs(V));
      Text += Buffer;
    } else if (Exponent >= 0) {
      Text += Digits.substr(0, static_cast<size_t>(Exponent) + 1) + "." + Digits.substr(static_cast<size_t>(Exponent) + 1);
    } else {
      Text += "0." + std::string(static_cast<size_t>(-Exponent - 1), '0') + Digits;
    }
    return Text;
  }
  Text += Digits.substr(0, 1);
  if (n > 1) Text += "." + Digits.substr(1);
  char Power[16];
  std::snprintf(Power, sizeof Power, "e%c%0*d", Exponent < 0 ? '-' : '+', ExponentDigits, std::abs(Exponent));
  return Text + Power;
}

}  // namespace emberdell
