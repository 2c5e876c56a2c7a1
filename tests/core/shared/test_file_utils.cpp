#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/shared/uFileUtils.h"
#include "tests/support/temp_folder.h"

using namespace emberdell;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> Names) {
  std::sort(Names.begin(), Names.end());
  return Names;
}

TEST(ListFiles, MatchesTheExtensionInAnyCaseAndSkipsFolders) {
  const support::TTempFolder Temp("emberdell-list");
  for (const char* Name : {"a.jpg", "B.JPG", "c.Jpg", "d.jpeg", "e.jpg.txt", "jpg", ".jpg", "f.wyk"})
    std::ofstream(Temp.File(Name)) << "x";
  for (const char* Name : {"Folder.jpg", "Folder.WYK"}) fs::create_directories(Temp.Path() / Name);
  // Files inside a sub-folder belong to the sub-folder.
  std::ofstream(Temp.Path() / "Folder.jpg" / "inner.jpg") << "x";

  EXPECT_EQ(Sorted(ListFiles(Temp.Folder(), ".jpg")), (std::vector<std::string>{".jpg", "B.JPG", "a.jpg", "c.Jpg"}));
  EXPECT_EQ(Sorted(ListFiles(Temp.Folder(), ".WYK")), (std::vector<std::string>{"f.wyk"}));
  EXPECT_TRUE(ListFiles(Temp.File("gone"), ".jpg").empty());
  EXPECT_TRUE(ListFiles(Temp.File("a.jpg"), ".jpg").empty()) << "a file is not a folder to list";
}

TEST(FileNames, ANameThatIsNotUtf8NamesNoFile) {
  const support::TTempFolder Temp("emberdell-names");
  const std::string Bad = Temp.Folder() + "Gr\xFCn.wyk";
  errno = 0;
  EXPECT_EQ(OpenFile(Bad, "wb"), nullptr);
  EXPECT_EQ(errno, ENOENT) << "fails as a missing file fails";
  EXPECT_EQ(fs::directory_iterator(Temp.Path()), fs::directory_iterator()) << "something was created";
  std::vector<uint8_t> Bytes;
  std::string Error;
  EXPECT_FALSE(ReadWholeFile(Bad, Bytes, Error));
  EXPECT_FALSE(PathExists(Bad));
  std::error_code Ec;
  EXPECT_FALSE(RemoveFile(Bad, Ec));
  EXPECT_EQ(Ec, std::errc::invalid_argument);
  EXPECT_FALSE(CreateFolders(Bad, Ec));
  EXPECT_FALSE(RenameFile(Temp.File("any"), Bad, Ec));
  fs::path Path = "left over";
  EXPECT_FALSE(Utf8Path(Bad, Path));
  EXPECT_TRUE(Path.empty());

  // The same name in UTF-8 is an ordinary file.
  const std::string Good = Temp.Folder() + "Gr\xC3\xBCn.wyk";
  std::FILE* f = OpenFile(Good, "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(PathExists(Good));
  EXPECT_EQ(ListFiles(Temp.Folder(), ".wyk"), std::vector<std::string>{"Gr\xC3\xBCn.wyk"});
}

TEST(FileNames, AListedNameWithNoUtf8FormIsLeftOut) {
  const support::TTempFolder Temp("emberdell-names");
  std::ofstream(Temp.File("kept.jpg")) << "x";
#if defined(_WIN32)
  const std::filesystem::path Odd = Temp.Path() / std::wstring(L"odd\xD800.jpg");  // an unpaired surrogate
#else
  const std::filesystem::path Odd = Temp.Path() / "odd\xFC.jpg";  // bytes that are not UTF-8
#endif
  std::ofstream(Odd) << "x";
  if (!fs::exists(Odd)) GTEST_SKIP() << "this file system cannot hold such a name";
  EXPECT_EQ(ListFiles(Temp.Folder(), ".jpg"), std::vector<std::string>{"kept.jpg"});
}

}  // namespace
