// Decimal numbers as the command line, the settings and the renderer read
// them: an optional sign, then digits only, nothing else around them.
#pragma once

#include <cstdint>
#include <string_view>

namespace emberdell {

// True and Value set when Text is such a number within [Min, Max]; false and
// Value untouched otherwise, however many digits Text has. Min and Max lie
// within +-10^17.
bool ParseDecimal(std::string_view Text, int64_t Min, int64_t Max, int64_t& Value);

}  // namespace emberdell
