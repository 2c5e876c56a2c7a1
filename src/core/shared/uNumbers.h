// Decimal numbers as the command line, the settings and the renderer read
// them: an optional sign, then digits only, nothing else around them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace emberdell {

// True and Value set when Text is such a number within [Min, Max]; false and
// Value untouched otherwise, however many digits Text has. Min and Max lie
// within +-10^17.
bool ParseDecimal(std::string_view Text, int64_t Min, int64_t Max, int64_t& Value);

// The shortest text that reads back as V, as std::to_chars(V) writes it:
// plain ("0.5", "35791394.11666667") or, where that is shorter, scientific
// ("1e+07"), with a point whatever the locale. Kept apart from to_chars
// because some toolchains' libraries (WebAssembly's) lack it for doubles.
std::string ShortestText(double V);

}  // namespace emberdell
