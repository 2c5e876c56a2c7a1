// The version text of an executable, read from its own version resource.
#pragma once

#include <cstdint>
#include <string>

namespace emberdell {

// False, with both words 0, when the file has no version resource.
bool ReadFileVersion(const std::wstring& Path, uint32_t& FileVersionMS, uint32_t& FileVersionLS);

// "0.00.0" for a file without a version resource.
std::string FileVersionText(const std::wstring& Path);

std::wstring ProgramPath();
std::string ProgramVersionText();

}  // namespace emberdell
