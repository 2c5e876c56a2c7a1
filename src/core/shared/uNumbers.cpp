#include "core/shared/uNumbers.h"

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

}  // namespace emberdell
