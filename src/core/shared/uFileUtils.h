// File names in the core are UTF-8 strings. On Windows the narrow C library
// calls would read them in the ANSI code page, so every file the core opens,
// lists, removes or renames goes through these helpers. A name that is not
// well-formed UTF-8 names no file, on every system: it opens as a missing
// file would, and a listed name that has no UTF-8 form is left out.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace emberdell {

// False when FileName is not well-formed UTF-8 (Path is then empty).
bool Utf8Path(const std::string& FileName, std::filesystem::path& Path);
// False when the system's name has no UTF-8 form (an unpaired surrogate on
// Windows, bytes that are not UTF-8 elsewhere).
bool PathToUtf8(const std::filesystem::path& Path, std::string& FileName);
// std::fopen for a UTF-8 name; errno is set on failure as fopen sets it
// (ENOENT for a name that is not UTF-8).
std::FILE* OpenFile(const std::string& FileName, const char* Mode);

// The file system's answers for a UTF-8 name; false for one that is not.
bool PathExists(const std::string& FileName);
bool IsFolder(const std::string& FileName);
bool IsRegularFile(const std::string& FileName);
// False, with Error set, when the step failed; a name that is not UTF-8
// gives EINVAL. Removing a file that is not there is no failure.
bool RemoveFile(const std::string& FileName, std::error_code& Error);
bool RenameFile(const std::string& From, const std::string& To, std::error_code& Error);
bool CreateFolders(const std::string& Folder, std::error_code& Error);

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
