#include "core/shared/uFileUtils.h"
#include "core/shared/uText.h"
#include "core/shared/uUnicode.h"

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <exception>
#include <system_error>

namespace emberdell {

namespace {

constexpr size_t ReadChunk = size_t{1} << 16;

bool EndsWithNoCase(const std::string& Text, const std::string& Suffix) {
  if (Text.size() < Suffix.size()) return false;
  const size_t Start = Text.size() - Suffix.size();
  for (size_t i = 0; i < Suffix.size(); ++i)
    if (LowerAscii(Text[Start + i]) != LowerAscii(Suffix[i])) return false;
  return true;
}

}  // namespace

bool Utf8Path(const std::string& FileName, std::filesystem::path& Path) {
  Path.clear();
#if defined(_WIN32)
  // The library's own conversion throws on what it cannot convert.
  std::u16string Wide;
  if (!Utf8ToUtf16(FileName, Wide)) return false;
  Path = std::filesystem::path(std::wstring(Wide.begin(), Wide.end()));
#else
  if (!IsValidUtf8(FileName)) return false;
  Path = std::filesystem::path(FileName);
#endif
  return true;
}

bool PathToUtf8(const std::filesystem::path& Path, std::string& FileName) {
#if defined(_WIN32)
  const std::wstring& Wide = Path.native();
  return Utf16ToUtf8(std::u16string(Wide.begin(), Wide.end()), FileName);
#else
  FileName = Path.native();
  if (IsValidUtf8(FileName)) return true;
  FileName.clear();
  return false;
#endif
}

std::FILE* OpenFile(const std::string& FileName, const char* Mode) {
  std::filesystem::path Path;
  if (!Utf8Path(FileName, Path)) {
    errno = ENOENT;
    return nullptr;
  }
#if defined(_WIN32)
  std::wstring WideMode;
  for (const char* m = Mode; *m != 0; ++m) WideMode += static_cast<wchar_t>(*m);
  return _wfopen(Path.c_str(), WideMode.c_str());
#else
  return std::fopen(Path.c_str(), Mode);
#endif
}

bool PathExists(const std::string& FileName) {
  std::filesystem::path Path;
  std::error_code Ec;
  return Utf8Path(FileName, Path) && std::filesystem::exists(Path, Ec);
}

bool IsFolder(const std::string& FileName) {
  std::filesystem::path Path;
  std::error_code Ec;
  return Utf8Path(FileName, Path) && std::filesystem::is_directory(Path, Ec);
}

bool IsRegularFile(const std::string& FileName) {
  std::filesystem::path Path;
  std::error_code Ec;
  return Utf8Path(FileName, Path) && std::filesystem::is_regular_file(Path, Ec);
}

namespace {

// Name as a path for a filesystem call, with Error cleared; a name that is not
// UTF-8 gives invalid_argument instead.
bool PathFor(const std::string& Name, std::filesystem::path& Path, std::error_code& Error) {
  Error.clear();
  if (Utf8Path(Name, Path)) return true;
  Error = std::make_error_code(std::errc::invalid_argument);
  return false;
}

}  // namespace

bool RemoveFile(const std::string& FileName, std::error_code& Error) {
  std::filesystem::path Path;
  if (!PathFor(FileName, Path, Error)) return false;
  std::filesystem::remove(Path, Error);
  return !Error;
}

bool RenameFile(const std::string& From, const std::string& To, std::error_code& Error) {
  std::filesystem::path FromPath, ToPath;
  if (!PathFor(From, FromPath, Error) || !PathFor(To, ToPath, Error)) return false;
  std::filesystem::rename(FromPath, ToPath, Error);
  return !Error;
}

bool CreateFolders(const std::string& Folder, std::error_code& Error) {
  std::filesystem::path Path;
  if (!PathFor(Folder, Path, Error)) return false;
  std::filesystem::create_directories(Path, Error);
  return !Error;
}

std::string SystemErrorText(int ErrorNumber) {
  const char* Text = ErrorNumber != 0 ? std::strerror(ErrorNumber) : nullptr;
  return Text != nullptr && *Text != '\0' ? Text : "unknown error";
}

bool ReadWholeFile(const std::string& FileName, std::vector<uint8_t>& Out, std::string& Error,
                   uint64_t MaxBytes) {
  Out.clear();
  // Some systems open a folder for reading and only fail, or report an
  // absurd length, later.
  if (IsFolder(FileName)) {
    Error = "cannot open \"" + FileName + "\": it is a folder";
    return false;
  }
  errno = 0;
  std::FILE* File = OpenFile(FileName, "rb");
  if (File == nullptr) {
    Error = "cannot open \"" + FileName + "\": " + SystemErrorText(errno);
    return false;
  }
  const std::string TooLarge = "\"" + FileName + "\" is too large (more than " +
                               std::to_string(MaxBytes) + " bytes)";
  // The length is only a hint: ftell fails past 2 GB where long has 32 bits,
  // and the file may change while it is read, so the limit is also enforced
  // on what is actually read.
  if (std::fseek(File, 0, SEEK_END) == 0) {
    const long Length = std::ftell(File);
    if (Length >= 0 && static_cast<uint64_t>(Length) > MaxBytes) {
      std::fclose(File);
      Error = TooLarge;
      return false;
    }
    std::rewind(File);
    try {
      if (Length > 0) Out.reserve(static_cast<size_t>(Length) + ReadChunk);
    } catch (const std::exception&) {
      // The loop below fails cleanly if memory really is short.
    }
  }
  bool Ok = true;
  try {
    for (;;) {
      const size_t Before = Out.size();
      Out.resize(Before + ReadChunk);
      errno = 0;
      const size_t Got = std::fread(Out.data() + Before, 1, ReadChunk, File);
      Out.resize(Before + Got);
      if (Out.size() > MaxBytes) {
        Error = TooLarge;
        Ok = false;
        break;
      }
      if (Got < ReadChunk) {
        if (std::ferror(File)) {
          Error = "cannot read \"" + FileName + "\": " + SystemErrorText(errno != 0 ? errno : EIO);
          Ok = false;
        }
        break;
      }
    }
  } catch (const std::exception&) {  // bad_alloc, or length_error on a 32-bit build
    Error = "not enough memory to read \"" + FileName + "\"";
    Ok = false;
  }
  std::fclose(File);
  if (!Ok) {
    Out.clear();
    Out.shrink_to_fit();
  }
  return Ok;
}

std::vector<std::string> ListFiles(const std::string& Folder, const std::string& Extension) {
  std::vector<std::string> Files;
  std::filesystem::path Path;
  if (!Utf8Path(Folder, Path)) return Files;
  std::error_code Ec;
  std::filesystem::directory_iterator It(Path, Ec), End;
  for (; !Ec && It != End; It.increment(Ec)) {
    // A folder named like a file of the kind cannot be opened as one.
    std::error_code TypeEc;
    if (It->is_directory(TypeEc)) continue;
    // A name with no UTF-8 form could be neither shown nor opened again.
    std::string File;
    if (!PathToUtf8(It->path().filename(), File)) continue;
    if (EndsWithNoCase(File, Extension)) Files.push_back(File);
  }
  return Files;
}

}  // namespace emberdell
