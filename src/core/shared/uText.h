// Names compared as Windows compares file names and as the lists do: ASCII
// letters without regard to case, every other byte (UTF-8 included) as it is.
#pragma once

#include <string>

namespace emberdell {

constexpr char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string LowerAscii(std::string Text) {
  for (char& c : Text) c = LowerAscii(c);
  return Text;
}

inline bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

}  // namespace emberdell
