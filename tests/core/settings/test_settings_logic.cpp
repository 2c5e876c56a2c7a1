#include <gtest/gtest.h>

#include "core/settings/uSettingsLogic.h"

using namespace emberdell;

namespace {

// Case-insensitive like the system's comparison for these ASCII names.
int Compare(const std::string& A, const std::string& B) {
  for (size_t i = 0; i < A.size() && i < B.size(); ++i) {
    const int a = std::tolower(static_cast<unsigned char>(A[i])), b = std::tolower(static_cast<unsigned char>(B[i]));
    if (a != b) return a - b;
  }
  return static_cast<int>(A.size()) - static_cast<int>(B.size());
}

std::vector<std::string> Texts(const TCheckTree& Tree) {
  std::vector<std::string> r;
  for (const auto& Node : Tree) {
    r.push_back((Node.Checked ? "[x] " : "[ ] ") + Node.Text);
    for (const auto& Child : Node.Children) r.push_back((Child.Checked ? "  [x] " : "  [ ] ") + Child.Text);
  }
  return r;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(SettingsTrees, PresetTreeIsSortedWithRandomPresetAndTicksActiveRegardlessOfCase) {
  const Strings Active{"gas flame", "(Random Preset)", "Gone"};
  const auto Tree = BuildPresetTree({"Windy Night", "Gas Flame", "(Default) Wood"}, Active, Compare);
  EXPECT_EQ(Texts(Tree), (Strings{"[ ] (Default) Wood", "[x] (Random Preset)", "[x] Gas Flame", "[ ] Windy Night"}));
  // No style files at all: only the random style.
  EXPECT_EQ(Texts(BuildPresetTree({}, {}, Compare)), (Strings{"[ ] (Random Preset)"}));
}

TEST(SettingsTrees, BackgroundTreeGroupsSortsAndTicksByFullName) {
  const Strings Active{"castles - night", "Sea", "(Default) Desktop Snapshot"};
  const auto Tree = BuildBackgroundCheckTree({"Sea.jpg", "Castles - Night.jpg", "Castles - Dawn.jpg", "Aurora.JPG"},
                                             Active, Compare);
  EXPECT_EQ(Texts(Tree), (Strings{"[x] (Default) Desktop Snapshot", "[ ] Aurora", "[ ] Castles", "  [ ] Dawn",
                                  "  [x] Night", "[x] Sea"}));
  EXPECT_EQ(FullName(Tree, {2, 1}), "Castles - Night");
  EXPECT_EQ(FullName(Tree, {3, std::nullopt}), "Sea");
  // FillLists selects the leaf that is exactly the current background.
  EXPECT_EQ(FindLeafByFullName(Tree, "Castles - Dawn"), (TNodeRef{2, 0}));
  EXPECT_FALSE(FindLeafByFullName(Tree, "castles - dawn"));
  EXPECT_FALSE(FindLeafByFullName(Tree, "Castles"));  // a group is no background
}

TEST(SettingsTrees, TickingAppendsUntickingRemovesFirstEqualEntry) {
  auto Tree = BuildPresetTree({"Gas Flame", "(Default) Wood"}, {"(Default) Wood"}, Compare);
  Strings Active{"(Default) Wood"};
  const TNodeRef Gas{2, std::nullopt};
  // Tick, untick, tick: exactly one entry.
  ASSERT_TRUE(ToggleCheck(Tree, Gas, Active));
  ASSERT_TRUE(ToggleCheck(Tree, Gas, Active));
  ASSERT_TRUE(ToggleCheck(Tree, Gas, Active));
  EXPECT_EQ(Active, (Strings{"(Default) Wood", "Gas Flame"}));
  EXPECT_TRUE(Tree[2].Checked);
  // Unticking removes an entry spelt differently, and only the first.
  Active = {"GAS FLAME", "(Default) Wood", "Gas Flame"};
  ASSERT_TRUE(ToggleCheck(Tree, Gas, Active));
  EXPECT_EQ(Active, (Strings{"(Default) Wood", "Gas Flame"}));
  // Unticking everything leaves an empty list (the store brings back the default).
  ASSERT_TRUE(ToggleCheck(Tree, {0, std::nullopt}, Active));
  EXPECT_EQ(Active, (Strings{"Gas Flame"}));
}

TEST(SettingsTrees, BackgroundTicksUseGroupNamesAndGroupsAreNotTicked) {
  auto Tree = BuildBackgroundCheckTree({"Castles - Night.jpg"}, {}, Compare);
  Strings Active;
  EXPECT_FALSE(ToggleCheck(Tree, {1, std::nullopt}, Active));  // the group "Castles"
  EXPECT_FALSE(Tree[1].Checked);
  EXPECT_TRUE(ToggleCheck(Tree, {1, 0}, Active));
  EXPECT_EQ(Active, (Strings{"Castles - Night"}));
  EXPECT_EQ(TickedBackgrounds(Tree), (Strings{"Castles - Night"}));
  EXPECT_FALSE(ToggleCheck(Tree, {7, std::nullopt}, Active));  // no such node
}

TEST(SettingsTrees, SelectAllAndDefaultOfTheStyleGroup) {
  auto Tree = BuildPresetTree({"Gas Flame", "(Default) Wood"}, {}, Compare);
  Strings Active{"Gone"};
  SelectAllPresets(Tree, {"Gas Flame", "(Default) Wood"}, Active);
  EXPECT_EQ(Active, (Strings{"Gas Flame", "(Default) Wood", "(Random Preset)"}));
  for (const auto& Node : Tree) EXPECT_TRUE(Node.Checked) << Node.Text;

  EXPECT_EQ(DefaultPresets(Tree, Active), "(Default) Wood");
  EXPECT_EQ(Active, (Strings{"(Default) Wood"}));
  EXPECT_EQ(Texts(Tree), (Strings{"[x] (Default) Wood", "[ ] (Random Preset)", "[ ] Gas Flame"}));

  // Without the default style the editor gets a random one to show.
  auto Bare = BuildPresetTree({"Gas Flame"}, {}, Compare);
  EXPECT_EQ(DefaultPresets(Bare, Active), "(Random Preset)");
  EXPECT_EQ(Active, (Strings{"(Default) Wood"}));
  // And so does an empty selection.
  EXPECT_EQ(PresetForSelection(Bare, std::nullopt), "(Random Preset)");
  EXPECT_EQ(PresetForSelection(Bare, 1), "Gas Flame");
  EXPECT_EQ(FindTopNode(Bare, "gas FLAME"), 1u);
  EXPECT_FALSE(FindTopNode(Bare, "Gas"));
}

TEST(SettingsTrees, SelectAllAndDefaultOfTheBackgroundGroupDecideTheListAtClose) {
  auto Tree = BuildBackgroundCheckTree({"Sea.jpg", "Castles - Night.jpg", "Castles - Dawn.jpg"}, {}, Compare);
  SelectAllBackgrounds(Tree);
  EXPECT_EQ(TickedBackgrounds(Tree),
            (Strings{"(Default) Desktop Snapshot", "Castles - Dawn", "Castles - Night", "Sea"}));
  EXPECT_EQ(DefaultBackgrounds(Tree), (TNodeRef{0, std::nullopt}));
  EXPECT_EQ(TickedBackgrounds(Tree), (Strings{"(Default) Desktop Snapshot"}));
}

TEST(SettingsTrees, BackgroundSelectionSwitchesOnlyForAnotherLeaf) {
  const auto Tree = BuildBackgroundCheckTree({"Sea.jpg", "Castles - Night.jpg"}, {}, Compare);
  EXPECT_EQ(BackgroundToShow(Tree, {1, 0}, "Sea"), "Castles - Night");
  EXPECT_FALSE(BackgroundToShow(Tree, {1, std::nullopt}, "Sea"));  // the group
  EXPECT_FALSE(BackgroundToShow(Tree, {2, std::nullopt}, "Sea"));  // already shown
  EXPECT_EQ(BackgroundToShow(Tree, {2, std::nullopt}, "sea"), "Sea");  // exact comparison
}

TEST(SettingsTrees, ImageIndexesClickAndSelectionGuard) {
  const TCheckNode Leaf{"a", false, {}}, Ticked{"b", true, {}}, Group{"g", false, {Leaf}};
  struct {
    const TCheckNode& Node;
    bool Expanded, Enabled;
    int Index;
  } const Cases[] = {{Leaf, false, true, 0},   {Leaf, false, false, 1}, {Ticked, true, true, 2},
                     {Ticked, false, false, 3}, {Group, false, true, 4}, {Group, false, false, 5},
                     {Group, true, true, 6},    {Group, true, false, 7}};
  for (const auto& c : Cases)
    EXPECT_EQ(NodeImageIndex(c.Node, c.Expanded, c.Enabled), c.Index) << c.Node.Text << c.Expanded << c.Enabled;

  EXPECT_TRUE(ClickTicks(true, true, false));
  EXPECT_FALSE(ClickTicks(false, true, false));
  EXPECT_FALSE(ClickTicks(true, false, false));
  EXPECT_FALSE(ClickTicks(true, true, true));

  // Only a press on the image of the very node about to be selected is refused.
  EXPECT_TRUE(RefuseSelectionChange(true, true, true, false));
  EXPECT_FALSE(RefuseSelectionChange(false, true, true, false));  // keyboard
  EXPECT_FALSE(RefuseSelectionChange(true, false, true, false));  // another node
  EXPECT_FALSE(RefuseSelectionChange(true, true, false, false));  // its text
  EXPECT_FALSE(RefuseSelectionChange(true, true, true, true));    // a group's folder
}

TEST(SettingsCaptions, ChangingDelayFollowsTheTrackbar) {
  struct {
    int32_t StoredDelay;
    int Position;
    const char* Dot;
    const char* Comma;
  } const Cases[] = {
      {30, 1, "Every 0.5 minute(s)", "Every 0,5 minute(s)"}, {90, 3, "Every 1.5 minute(s)", "Every 1,5 minute(s)"},
      {120, 4, "Every 2 minute(s)", "Every 2 minute(s)"},    {600, 20, "Every 10 minute(s)", "Every 10 minute(s)"},
      {119, 3, "Every 1.5 minute(s)", "Every 1,5 minute(s)"},  // the next lower multiple of 30
      {0, 1, "Every 0.5 minute(s)", "Every 0,5 minute(s)"},  {5000, 20, "Every 10 minute(s)", "Every 10 minute(s)"},
  };
  for (const auto& c : Cases) {
    const int Position = ChangePresetsPosition(c.StoredDelay);
    EXPECT_EQ(Position, c.Position) << c.StoredDelay;
    const int32_t Delay = ChangingDelayOf(Position);
    EXPECT_EQ(ChangePresetsCaption(Delay, "."), c.Dot);
    EXPECT_EQ(ChangePresetsCaption(Delay, ","), c.Comma);
  }
}

TEST(SettingsCaptions, LabelsAndTheAdvancedQuestion) {
  EXPECT_EQ(PrepareLabel("version %ver%", "4.00.358"), "version 4.00.358");
  EXPECT_EQ(PrepareLabel("a/nb/n", ""), "a\r\nb\r\n");
  const std::string Text = AdvancedBackgroundText("C:\\Emberdell\\Background Images\\");
  EXPECT_NE(Text.find("folder:\r\nC:\\Emberdell\\Background Images\\\r\n\r\nWould your like"), std::string::npos);
}

TEST(PreviewPlacement, RightEdgeTenPixelsInBottomAtTheMiddle) {
  EXPECT_EQ(PreviewPlace(1024, 768, 520, 300), (TWindowPlace{494, 84}));
  EXPECT_EQ(PreviewPlace(1920, 1080, 520, 410), (TWindowPlace{1390, 130}));
  EXPECT_EQ(PreviewPlace(1024, 768, 520, 380), (TWindowPlace{494, 10}));
  EXPECT_EQ(PreviewPlace(1024, 800, 520, 380), (TWindowPlace{494, 20}));
}
