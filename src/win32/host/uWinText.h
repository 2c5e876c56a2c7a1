// The core speaks UTF-8; Windows speaks UTF-16.
#pragma once

#include <string>

namespace emberdell {

std::wstring ToWide(const std::string& Utf8);
std::string ToUtf8(const std::wstring& Text);

}  // namespace emberdell
