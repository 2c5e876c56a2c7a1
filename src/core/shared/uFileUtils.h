// File names in the core are UTF-8 strings. On Windows the narrow C library
// calls would read them in the ANSI code page, so every file the core opens
// goes through these two helpers.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace emberdell {

std::filesystem::path Utf8Path(const std::string& FileName);
std::string PathToUtf8(const std::filesystem::path& Path);
// std::fopen for a UTF-8 name; errno is set on failure as fopen sets it.
std::FILE* OpenFile(const std::string& FileName, const char* Mode);

}  // namespace emberdell
