#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace
