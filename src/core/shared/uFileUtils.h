// File names in the core are UTF-8 strings. On Windows the narrow C library
// calls would read them in the ANSI code page, so every file the core opens
// goes through these two helpers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace emberdell {

std::filesystem::path Utf8Path(const std::string& FileName);
std::string PathToUtf8(const std::filesystem::path& Path);
// std::fopen for a UTF-8 name; errno is set on failure as fopen sets it.
std::FILE* OpenFile(const std::string& FileName, const char* Mode);

// The C library's text for an errno value, never empty.
std::string SystemErrorText(int ErrorNumber);

// Reads a whole file into memory; false with a reason when it cannot.
bool ReadWholeFile(const std::string& FileName, std::vector<uint8_t>& Out, std::string& Error,
                   uint64_t MaxBytes = 1ull << 31);

// The names of the files in Folder whose names end in Extension (".jpg"),
// compared without regard to ASCII case as the system's search patterns do.
// A folder is never listed, whatever its name; a missing folder lists nothing.
std::vector<std::string> ListFiles(const std::string& Folder, const std::string& Extension);

}  // namespace emberdell
