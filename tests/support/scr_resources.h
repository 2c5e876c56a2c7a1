// A program's resources, read without running it (Windows only).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace emberdell::support {

class TScrResources {
 public:
  explicit TScrResources(const std::wstring& Path)
      : FModule(LoadLibraryExW(Path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~TScrResources() {
    if (FModule != nullptr) FreeLibrary(FModule);
  }
  TScrResources(const TScrResources&) = delete;
  TScrResources& operator=(const TScrResources&) = delete;

  // nullptr when the file could not be opened; GetLastError says why.
  HMODULE Module() const { return FModule; }

  // The bytes of one resource, empty when there is none.
  std::string_view Bytes(const wchar_t* Name, const wchar_t* Type) const {
    HRSRC Info = FindResourceW(FModule, Name, Type);
    if (Info == nullptr) return {};
    const auto* Data = static_cast<const char*>(LockResource(LoadResource(FModule, Info)));
    return Data == nullptr ? std::string_view() : std::string_view(Data, SizeofResource(FModule, Info));
  }

 private:
  HMODULE FModule;
};

}  // namespace emberdell::support
