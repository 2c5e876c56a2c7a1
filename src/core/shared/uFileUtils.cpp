#include "core/shared/uFileUtils.h"

#include <cwchar>

namespace emberdell {

std::filesystem::path Utf8Path(const std::string& FileName) {
  return std::filesystem::path(std::u8string(FileName.begin(), FileName.end()));
}

std::string PathToUtf8(const std::filesystem::path& Path) {
  const std::u8string Text = Path.u8string();
  return std::string(Text.begin(), Text.end());
}

std::FILE* OpenFile(const std::string& FileName, const char* Mode) {
#if defined(_WIN32)
  const std::filesystem::path Path = Utf8Path(FileName);
  std::wstring WideMode;
  for (const char* m = Mode; *m != 0; ++m) WideMode += static_cast<wchar_t>(*m);
  return _wfopen(Path.c_str(), WideMode.c_str());
#else
  return std::fopen(FileName.c_str(), Mode);
#endif
}

}  // namespace emberdell
