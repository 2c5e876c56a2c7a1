#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "core/settings/uPresetEditor.h"
#include "core/shared/uUnicode.h"

using namespace emberdell;

namespace {

TFlamePreset Style(const std::string& Name, int Intensity = 6, uint8_t Red = 100) {
  TFlamePreset p;
  std::memset(&p, 0, sizeof p);
  SetPresetName(p, Name);
  p.FlameIntensity = Intensity;
  p.SpiresLength = 3;
  p.Wind = 0;
  std::memset(p.Red, Red, 256);
  std::memset(p.Green, 150, 256);
  std::memset(p.Blue, 250, 256);
  return p;
}

// Files in a map, answers from a queue, and a record of what reached the tree.
class FakeSite : public IPresetEditorSite {
 public:
  std::map<std::string, TFlamePreset> Files;
  std::vector<bool> Answers;
  std::vector<std::string> Questions, Errors, Log;
  TFlamePreset Published{};
  int Loads = 0;
  std::string FailSave, FailDelete;
  TPresetEditor* Editor = nullptr;
  bool TreeEchoes = false;  // the tree selects a style again when told about one

  bool AskYesNo(const std::string& Text, bool) override {
    Questions.push_back(Text);
    const bool a = Answers.empty() ? false : Answers.front();
    if (!Answers.empty()) Answers.erase(Answers.begin());
    return a;
  }
  void ShowError(const std::string& Message) override { Errors.push_back(Message); }
  void LoadPreset(const std::string& Name, TFlamePreset& Preset) override {
    ++Loads;
    for (auto& [n, p] : Files)
      if (SameText(n, Name)) {
        Preset = p;
        return;
      }
    MakeRandomPreset(Preset);
  }
  TSaveResult SavePreset(const std::string& Name, const TFlamePreset& Preset) override {
    if (Name == FailSave) return {5, "File access denied"};
    TFlamePreset Copy = Preset;
    SetPresetName(Copy, Name);
    Files[Name] = Copy;
    Log.push_back("save " + Name);
    return {};
  }
  TSaveResult DeletePreset(const std::string& Name) override {
    if (Name == FailDelete) return {5, "File access denied"};
    Files.erase(Name);
    Log.push_back("delete " + Name);
    return {};
  }
  void MakeRandomPreset(TFlamePreset& Preset) override {
    Preset = Style(RandomPresetName, 8, 7);
    Log.push_back("random");
  }
  std::string NameError(const std::string& Name) override {
    return Name.find_first_not_of(' ') == std::string::npos || Name.find('\\') != std::string::npos ? "bad name"
                                                                                                    : "";
  }
  void Publish(const TFlamePreset& Preset) override { Published = Preset; }
  void PresetAdded(const std::string& Name) override {
    Log.push_back("added " + Name);
    if (TreeEchoes) Editor->SelectPreset(Name);
  }
  void PresetDeleted(const std::string& Name) override {
    Log.push_back("deleted " + Name);
    // A toolkit that moves the tree's selection off the removed node tells
    // the editor about the new one while the node goes.
    if (TreeEchoes) Editor->SelectPreset("Gas Flame");
  }
  void PresetChosen(const std::string& Name) override {
    Log.push_back("chosen " + Name);
    if (TreeEchoes) Editor->SelectPreset(Name);
  }
};

class PresetEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    Site.Files = {{DefaultPresetName, Style(DefaultPresetName)},
                  {"Gas Flame", Style("Gas Flame", 9, 40)},
                  {"Windy Night", Style("Windy Night", 5, 60)}};
    Site.Editor = &Editor;
    Site.TreeEchoes = true;
    Editor.Adopt(Site.Files["Gas Flame"]);
    Editor.FillList({DefaultPresetName, "Gas Flame", "Windy Night"});
    Editor.ShowPreset();
    Editor.UpdateDeleteButton();
  }
  void Stroke() {
    Editor.imDrawMouseDown(10, 0);
    Editor.imDrawMouseMove(40, 0);
    Editor.imDrawMouseUp();
  }
  FakeSite Site;
  TPresetEditor Editor{Site};
};

}  // namespace

TEST_F(PresetEditorTest, OpensUnchangedOnTheCurrentStyle) {
  EXPECT_EQ(Editor.SelectedName(), "Gas Flame");
  EXPECT_FALSE(Editor.SaveEnabled());
  EXPECT_TRUE(Editor.DeleteEnabled());
  EXPECT_EQ(Editor.Names().size(), 4u);  // with "(Random Preset)"
}

TEST_F(PresetEditorTest, DeleteIsDisabledForTheRandomAndDefaultEntries) {
  for (const char* Name : {RandomPresetName, DefaultPresetName}) {
    Editor.cbCurrentPresetChange(Name);
    EXPECT_FALSE(Editor.DeleteEnabled()) << Name;
    Site.Log.clear();
    Editor.btnDeleteClick();
    EXPECT_TRUE(Site.Questions.empty());
    EXPECT_TRUE(Site.Log.empty());
  }
  Editor.cbCurrentPresetChange("Windy Night");
  EXPECT_TRUE(Editor.DeleteEnabled());
}

TEST_F(PresetEditorTest, EditsMarkTheStyleChangedExceptARandomOne) {
  Stroke();
  EXPECT_TRUE(Editor.PresetChanged());
  EXPECT_EQ(Site.Published.Red[20], 0);  // the frame thread sees the stroke
  Editor.ResetPresetChanged();
  Editor.tbWindChange(1);
  EXPECT_TRUE(Editor.SaveEnabled());
  EXPECT_EQ(Site.Published.Wind, 1);

  Site.Answers = {false};
  Editor.cbCurrentPresetChange(RandomPresetName);
  ASSERT_EQ(Site.Questions.size(), 1u);
  Site.Questions.clear();
  Stroke();
  Editor.tbSpLenChange(2);
  EXPECT_FALSE(Editor.PresetChanged());
  EXPECT_FALSE(Editor.SaveEnabled());
  Editor.cbCurrentPresetChange("Windy Night");
  EXPECT_TRUE(Site.Questions.empty());  // no prompt for a random style
}

TEST_F(PresetEditorTest, PromptYesSavesUnderItsOwnNameAndNoDropsTheEdits) {
  Editor.tbSpLenChange(2);
  Site.Answers = {true};
  Editor.cbCurrentPresetChange("Windy Night");
  EXPECT_EQ(Site.Questions, std::vector<std::string>{"Preset \"Gas Flame\" was changed. Do you wish to save changes?"});
  EXPECT_EQ(Site.Files["Gas Flame"].FlameIntensity, 2);
  EXPECT_EQ(PresetName(Editor.Preset()), "Windy Night");
  EXPECT_FALSE(Editor.PresetChanged());

  Stroke();
  Site.Answers = {false};
  Site.Log.clear();
  Editor.AskSaveChangedPreset();
  EXPECT_TRUE(Site.Log.empty());  // nothing written
  EXPECT_EQ(Editor.Preset().Red[20], 60);
  EXPECT_EQ(Site.Published.Red[20], 60);
  EXPECT_FALSE(Editor.PresetChanged());
}

TEST_F(PresetEditorTest, ChoosingFromTheListLoadsOnceThoughTheTreeAnswers) {
  Site.Loads = 0;
  Editor.cbCurrentPresetChange("Windy Night");
  EXPECT_EQ(Site.Loads, 1);
  EXPECT_EQ(Site.Log.back(), "chosen Windy Night");
  EXPECT_EQ(Editor.SelectedName(), "Windy Night");
  // A random style is not replaced by a second one from the tree's echo.
  Site.Log.clear();
  Editor.cbCurrentPresetChange(RandomPresetName);
  EXPECT_EQ(std::count(Site.Log.begin(), Site.Log.end(), "random"), 1);
}

TEST_F(PresetEditorTest, AnEmptyTreeSelectionShowsARandomStyle) {
  Editor.SelectPreset("");
  EXPECT_EQ(PresetName(Editor.Preset()), RandomPresetName);
  EXPECT_EQ(PresetName(Site.Published), RandomPresetName);
  EXPECT_FALSE(Editor.HasSelection());
  EXPECT_FALSE(Editor.DeleteEnabled());
}

TEST_F(PresetEditorTest, FlameIntensityShowsAndSetsTheSparkRate) {
  EXPECT_EQ(FlameIntensityPosition(Editor.Preset()), 9);
  Editor.tbSpLenChange(3);
  EXPECT_EQ(Site.Published.FlameIntensity, 3);
  EXPECT_EQ(Site.Published.SpiresLength, 3);
  Editor.tbSpLenChange(40);
  EXPECT_EQ(Site.Published.FlameIntensity, 10);

  // Values the trackbars cannot show are limited when the style is shown.
  Site.Files["Odd"] = Style("Odd", 0);
  Site.Files["Odd"].Wind = -7;
  Site.Answers = {false};
  Editor.SelectPreset("Odd");
  EXPECT_EQ(Editor.Preset().FlameIntensity, 1);
  EXPECT_EQ(Site.Published.Wind, -1);
  EXPECT_EQ(WindPosition(Editor.Preset()), -1);
  EXPECT_FALSE(Editor.PresetChanged());
}

TEST_F(PresetEditorTest, SaveAsANewNameWritesAndAddsItToListAndTree) {
  Editor.tbSpLenChange(4);
  EXPECT_TRUE(Editor.btnSaveAsClick("Ember Glow"));
  ASSERT_TRUE(Site.Files.count("Ember Glow"));
  EXPECT_EQ(Site.Files["Ember Glow"].SpiresLength, 4);
  EXPECT_EQ(Site.Files["Gas Flame"].FlameIntensity, 9);  // the original stays
  EXPECT_EQ(Editor.SelectedName(), "Ember Glow");
  EXPECT_EQ(PresetName(Site.Published), "Ember Glow");
  EXPECT_NE(std::find(Site.Log.begin(), Site.Log.end(), "added Ember Glow"), Site.Log.end());
  EXPECT_FALSE(Editor.PresetChanged());
  EXPECT_EQ(Editor.Names().size(), 5u);
}

TEST_F(PresetEditorTest, SaveAsAnExistingNameOverwritesAndSelectsIt) {
  Editor.tbSpLenChange(4);
  Site.Log.clear();
  EXPECT_TRUE(Editor.btnSaveAsClick("windy night"));
  EXPECT_EQ(Site.Log, std::vector<std::string>{"save windy night"});  // tree untouched
  EXPECT_EQ(Editor.SelectedName(), "Windy Night");
  EXPECT_EQ(Editor.Names().size(), 4u);
}

TEST_F(PresetEditorTest, SaveAsRefusesBadNamesAndReportsFailedWrites) {
  for (const char* Name : {"", "   ", "..\\outside"}) {
    Site.Log.clear();
    EXPECT_FALSE(Editor.btnSaveAsClick(Name)) << Name;
    EXPECT_TRUE(Site.Log.empty());
    EXPECT_EQ(PresetName(Editor.Preset()), "Gas Flame");
  }
  EXPECT_EQ(Site.Errors.size(), 3u);

  Site.FailSave = "Locked";
  EXPECT_TRUE(Editor.btnSaveAsClick("Locked"));
  EXPECT_EQ(Site.Errors.back(), "File access denied");
  EXPECT_EQ(PresetName(Editor.Preset()), "Locked");  // carries the new name
  EXPECT_EQ(Editor.Names().size(), 4u);
}

TEST_F(PresetEditorTest, DeleteRemovesTheListedFileThenShowsTheFirstEntry) {
  Editor.cbCurrentPresetChange("Windy Night");
  Site.Answers = {false};
  Editor.btnDeleteClick();
  EXPECT_EQ(Site.Questions.back(), "Are you sure to delete \"Windy Night\" preset ?");
  EXPECT_TRUE(Site.Files.count("Windy Night"));

  // The tree moves its selection while the node goes; that must neither load
  // nor take another entry out of the list.
  Site.Answers = {true};
  Site.Log.clear();
  Editor.btnDeleteClick();
  EXPECT_FALSE(Site.Files.count("Windy Night"));
  const std::vector<std::string> Expected{DefaultPresetName, RandomPresetName, "Gas Flame"};
  std::vector<std::string> Names = Editor.Names();
  std::sort(Names.begin(), Names.end());
  EXPECT_EQ(Names, Expected);
  EXPECT_EQ(Editor.SelectedName(), DefaultPresetName);
  EXPECT_EQ(PresetName(Editor.Preset()), DefaultPresetName);
  EXPECT_EQ(Site.Log[0], "delete Windy Night");
  EXPECT_EQ(Site.Log[1], "deleted Windy Night");
  EXPECT_FALSE(Editor.PresetChanged());
}

TEST_F(PresetEditorTest, AStyleThatCannotBeDeletedStaysListed) {
  Site.FailDelete = "Gas Flame";
  Site.Answers = {true};
  Editor.btnDeleteClick();
  EXPECT_EQ(Site.Errors, std::vector<std::string>{"File access denied"});
  EXPECT_EQ(Editor.Names().size(), 4u);
  EXPECT_EQ(Editor.SelectedName(), "Gas Flame");
  EXPECT_EQ(std::count(Site.Log.begin(), Site.Log.end(), "deleted Gas Flame"), 0);
}

namespace {

// "Огонь в камине": 14 letters, 27 bytes of UTF-8, stored cut as "Огонь в кам".
const std::string Fire = "\xD0\x9E\xD0\xB3\xD0\xBE\xD0\xBD\xD1\x8C \xD0\xB2 \xD0\xBA\xD0\xB0\xD0\xBC\xD0\xB8\xD0\xBD\xD0\xB5";
const std::string FireCut = Fire.substr(0, 20);

}  // namespace

TEST_F(PresetEditorTest, SaveWritesTheChosenStyleWhoseNameWasStoredCut) {
  ResetAnsiCodePage();
  Site.Files[Fire] = Style(Fire, 6, 80);
  Site.Files[FireCut] = Style(FireCut, 7, 90);  // another style, named as the cut
  Editor.FillList({DefaultPresetName, "Gas Flame", Fire, FireCut});
  ASSERT_EQ(PresetName(Site.Files[Fire]), FireCut);
  const TFlamePreset Other = Site.Files[FireCut];

  // Save, then the prompt's Yes, then its No: each reaches the chosen file.
  Editor.cbCurrentPresetChange(Fire);
  Editor.tbWindChange(1);
  Site.Log.clear();
  ASSERT_TRUE(Editor.btnSaveClick());
  EXPECT_EQ(Site.Log, std::vector<std::string>{"save " + Fire});
  EXPECT_EQ(Site.Files[Fire].Wind, 1);

  Editor.tbWindChange(-1);
  Site.Answers = {true};
  Editor.cbCurrentPresetChange("Gas Flame");
  EXPECT_EQ(Site.Questions.back(), SaveChangesQuestion(Fire));
  EXPECT_EQ(Site.Files[Fire].Wind, -1);

  Editor.cbCurrentPresetChange(Fire);
  Editor.tbWindChange(0);
  Site.Answers = {false};
  Site.Log.clear();
  Editor.AskSaveChangedPreset();
  EXPECT_EQ(Editor.Preset().Wind, -1) << "No reloads the chosen style";
  EXPECT_EQ(std::count(Site.Log.begin(), Site.Log.end(), "random"), 0);

  EXPECT_EQ(std::memcmp(&Site.Files[FireCut], &Other, sizeof Other), 0) << "the other style was written";
}

TEST_F(PresetEditorTest, SaveAfterSaveAsOfALongNameWritesThatName) {
  ResetAnsiCodePage();
  ASSERT_TRUE(Editor.btnSaveAsClick(Fire));
  Editor.tbWindChange(1);
  Site.Log.clear();
  ASSERT_TRUE(Editor.btnSaveClick());
  EXPECT_EQ(Site.Log, std::vector<std::string>{"save " + Fire});
  EXPECT_EQ(Site.Files.count(FireCut), 0u);
}

TEST_F(PresetEditorTest, AStoredNameThatReallyDiffersStillNamesTheFileSaved) {
  // "Blaze.wyk" holds a style stored as "Embers": Save writes "Embers.wyk",
  // and so does a stored name that is only the start of the entry's name.
  Site.Files["Blaze"] = Style("Embers");
  Site.Files["Fire 2"] = Style("Fire");
  Editor.FillList({DefaultPresetName, "Gas Flame", "Blaze", "Fire 2"});
  for (const auto& [Entry, Saved] : {std::pair<std::string, std::string>{"Blaze", "Embers"}, {"Fire 2", "Fire"}}) {
    Editor.cbCurrentPresetChange(Entry);
    Editor.tbWindChange(1);
    Site.Log.clear();
    ASSERT_TRUE(Editor.btnSaveClick());
    EXPECT_EQ(Site.Log, std::vector<std::string>{"save " + Saved}) << Entry;
  }
}

TEST_F(PresetEditorTest, AWindowOpeningOnACutNameChoosesItsEntry) {
  ResetAnsiCodePage();
  const std::string Other = Fire + " 2";  // "Огонь в камине 2" has the same cut
  struct Case {
    std::vector<std::string> Names;
    std::string Chosen;
  };
  const Case Cases[] = {
      {{"Gas Flame", Fire}, Fire},
      {{"Gas Flame", Fire, FireCut}, FireCut},  // the file of the stored name itself
      {{"Gas Flame", Fire, Other}, ""},         // no telling which
      {{"Gas Flame"}, ""},
  };
  for (const Case& c : Cases) {
    EXPECT_EQ(EntryOfStoredName(c.Names, FireCut), c.Chosen);
    Editor.Adopt(Style(Fire));
    Editor.FillList(c.Names);
    EXPECT_EQ(Editor.SelectedName(), c.Chosen);
  }
}
