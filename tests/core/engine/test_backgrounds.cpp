#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/engine/uBackgrounds.h"
#include "core/shared/uRandom.h"
#include "tests/support/temp_folder.h"

using namespace emberdell;
namespace fs = std::filesystem;

namespace {

// Flattens a tree into "Top" and "Group/Item" lines, in tree order.
std::vector<std::string> Lines(const std::vector<TBackgroundNode>& Tree) {
  std::vector<std::string> r;
  for (const auto& Node : Tree) {
    r.push_back(Node.Text);
    for (const auto& Child : Node.Children) {
      EXPECT_TRUE(Child.Children.empty());
      r.push_back(Node.Text + "/" + Child.Text);
    }
  }
  return r;
}

}  // namespace

TEST(BackgroundTree, GroupsItemsAndTopLevelNames) {
  const auto Tree = BuildBackgroundTree({"Castles - Night.jpg", "Sea.jpg", "castles - Day.jpg", " - Lead.jpg",
                                         "A - B - C.jpg", "Forest - .jpg", " - .jpg", "Sky -Blue.jpg"});
  EXPECT_EQ(Lines(Tree), (std::vector<std::string>{"Castles", "Castles/Night", "Castles/Day", "Sea", "Lead", "A",
                                                   "A/B - C", "Forest", "Forest/", "", "Sky -Blue"}));
  // The group keeps the spelling of the file that created it.
  EXPECT_EQ(BackgroundNameOfNode(Tree[0].Text, Tree[0].Children[0].Text), "Castles - Night");
  EXPECT_EQ(BackgroundNameOfNode(Tree[0].Text, Tree[0].Children[1].Text), "Castles - Day");
  EXPECT_EQ(BackgroundNameOfNode("", Tree[1].Text), "Sea");
  EXPECT_EQ(BackgroundNameOfNode(Tree[3].Text, Tree[3].Children[0].Text), "A - B - C");
}

TEST(BackgroundTree, GroupJoinsAnEarlierTopLevelPictureOfTheSameText) {
  const auto Tree = BuildBackgroundTree({"Castles.jpg", "CASTLES - Night.jpg", "Sea.jpg", "Castles - Day.jpg"});
  EXPECT_EQ(Lines(Tree), (std::vector<std::string>{"Castles", "Castles/Night", "Castles/Day", "Sea"}));
  EXPECT_TRUE(BuildBackgroundTree({}).empty());
}

TEST(BackgroundCatalogue, ListsJpgFilesOfTheFolderInAnyCase) {
  const support::TTempFolder Temp("emberdell-backgrounds");
  const fs::path& Dir = Temp.Path();
  fs::create_directories(Dir / "Folder.jpg");
  for (const char* Name : {"Castles - Night.jpg", "Sea.JPG", "notes.txt", "wide.jpeg", "jpg", "Dawn.Jpg"})
    std::ofstream(Dir / Name) << "x";
  auto Names = ListBackgrounds(Dir.string());
  auto Files = BackgroundFileNames(Dir.string());
  std::sort(Names.begin(), Names.end());
  std::sort(Files.begin(), Files.end());
  EXPECT_EQ(Names, (std::vector<std::string>{"Castles - Night", "Dawn", "Sea"}));
  EXPECT_EQ(Files, (std::vector<std::string>{"Castles - Night.jpg", "Dawn.Jpg", "Sea.JPG"}));
  EXPECT_TRUE(ListBackgrounds((Dir / "gone").string()).empty());
}

TEST(RandomActiveBackground, DrawsWithTheProcessGenerator) {
  const std::vector<std::string> Active = {"(Default) Desktop Snapshot", "Sea", "Castles - Night"};
  EXPECT_STREQ(DesktopSnapshotBackground, "(Default) Desktop Snapshot");
  Randomize(4242u);
  uint32_t Seed = 4242u;
  for (int i = 0; i < 20; ++i) EXPECT_EQ(RandomActiveBackground(Active), Active[RandomStep(Seed, 3)]);
  EXPECT_EQ(GetRandSeed(), Seed);
  // An empty list chooses nothing and leaves the generator where it was.
  EXPECT_EQ(RandomActiveBackground({}), "");
  EXPECT_EQ(GetRandSeed(), Seed);
  EXPECT_EQ(RandomActiveBackground({"Only"}), "Only");
}
