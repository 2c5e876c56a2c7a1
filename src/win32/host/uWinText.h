// The core speaks UTF-8; Windows speaks UTF-16. Both directions go through
// the core's conversion and never throw: what is not well formed shows with
// replacement characters.
#pragma once

#include <string>

namespace emberdell {

std::wstring ToWide(const std::string& Utf8);
std::string ToUtf8(const std::wstring& Text);

// Makes the core read and write ANSI style names in the system's own ANSI
// code page rather than its built-in Windows-1252. Called once at start.
void InstallAnsiCodePage();

}  // namespace emberdell
