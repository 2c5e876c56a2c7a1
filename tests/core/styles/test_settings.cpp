#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <span>
#include <utility>

#include "core/styles/uDelimitedText.h"
#include "core/styles/uIniEncoding.h"
#include "core/host/uGlobals.h"
#include "core/styles/uSettingsSaving.h"

using namespace emberdell;

namespace {

// An INI file as the system's profile functions see it: Raw holds the text
// after "key=" on each line; reading drops surrounding blanks and one pair of
// matching quotes, as GetPrivateProfileString does.
class TFakeIniFile : public IProfileStore {
 public:
  explicit TFakeIniFile(std::string Path) : FPath(std::move(Path)) {}

  std::string Path() const override { return FPath; }
  bool Exists() override { return Present; }
  bool ReadString(const std::string& Section, const std::string& Key, std::string& Value) override {
    auto It = Raw.find({Section, Key});
    if (It == Raw.end()) return false;
    Value = AsRead(It->second);
    return true;
  }
  // As the host's store does: a batch lands whole or not at all.
  TWriteResult WriteStrings(const std::string& Section, std::span<const TProfileValue> Values,
                            TWriteMode Mode) override {
    ++Batches;
    Modes.push_back(Mode);
    bool Fails = !Writable;
    for (const TProfileValue& V : Values) {
      Writes.push_back(V.Key);
      Fails = Fails || V.Key == FailAtKey;
    }
    if (!Results.empty()) {
      const TWriteResult Next = Results.front();
      Results.pop_front();
      if (Next != TWriteResult::Written) return Next;
    }
    if (Fails) return Writable ? TWriteResult::Failed : TWriteResult::Denied;
    for (const TProfileValue& V : Values) Raw[{Section, V.Key}] = V.Value;
    Present = true;
    return TWriteResult::Written;
  }

  void Set(const std::string& Key, const std::string& Text) {
    Raw[{IniSection, Key}] = Text;
    Present = true;
  }
  bool Has(const std::string& Key) const { return Raw.count({IniSection, Key}) > 0; }
  std::string Get(const std::string& Key) const { return Raw.at({IniSection, Key}); }
  std::string GetAsRead(const std::string& Key) const { return AsRead(Get(Key)); }

  static std::string AsRead(std::string V) {
    const char* Space = " \t\r\n\v\f";
    const size_t First = V.find_first_not_of(Space);
    V = First == std::string::npos ? "" : V.substr(First, V.find_last_not_of(Space) - First + 1);
    if (V.size() >= 2 && (V.front() == '"' || V.front() == '\'') && V.back() == V.front())
      V = V.substr(1, V.size() - 2);
    return V;
  }

  std::map<std::pair<std::string, std::string>, std::string> Raw;
  std::vector<std::string> Writes;  // every key whose writing was attempted
  int Batches = 0;                   // calls that reached the file
  std::vector<TWriteMode> Modes;     // of each call
  std::deque<TWriteResult> Results;  // what the next calls meet before the file's own rules
  bool Writable = true;
  std::string FailAtKey;
  bool Present = false;

 private:
  std::string FPath;
};

class TFakeRegistry : public IRegistrySource {
 public:
  bool Exists() override { return Present; }
  bool ReadString(const std::string& Name, std::string& Value) override {
    auto It = Strings.find(Name);
    if (It == Strings.end()) return false;
    Value = It->second;
    return true;
  }
  bool ReadDword(const std::string& Name, uint32_t& Value) override {
    auto It = Dwords.find(Name);
    if (It == Dwords.end()) return false;
    Value = It->second;
    return true;
  }
  bool DeleteKey() override {
    Present = false;
    ++Deletes;
    return true;
  }

  bool Present = true;
  std::map<std::string, std::string> Strings;
  std::map<std::string, uint32_t> Dwords;
  int Deletes = 0;
};

const std::string SharedPath = "C:\\WINDOWS\\Emberdell Screensaver.ini";
const std::string UserPath = "C:\\Users\\me\\AppData\\Roaming\\Emberdell\\Emberdell Screensaver.ini";

TSettings Fresh() {
  TSettings S;
  S.ProgramDir = "C:\\Program Files\\Emberdell\\";
  return S;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(Settings, DefaultsAndFileNames) {
  const TSettings S;
  EXPECT_EQ(S.ActivePresets, Strings{"(Default) Wood"});
  EXPECT_EQ(S.ActiveBackgrounds, Strings{"(Default) Desktop Snapshot"});
  EXPECT_FALSE(S.ChangeOnStartup);
  EXPECT_EQ(S.ChangingDelay, 120);
  EXPECT_EQ(S.PictureHeight, 100);
  EXPECT_TRUE(S.AllowFadeout);
  EXPECT_TRUE(S.AllowSecondMonitor);
  EXPECT_FALSE(S.IgnoreMouseMove);
  EXPECT_TRUE(S.ShowPreview);
  EXPECT_EQ(S.FadeoutTime, 700);
  EXPECT_EQ(S.FPS, 25);
  EXPECT_EQ(S.LastScreenshotNumber, 0);
  EXPECT_TRUE(S.PlayFireSound);
  EXPECT_EQ(S.FireVolume, 100);
  EXPECT_TRUE(S.PlayChimesSound);
  EXPECT_EQ(S.ChimesVolume, 80);

  EXPECT_EQ(ExtractFilePath("C:\\Program Files\\Emberdell\\Emberdell.scr"), "C:\\Program Files\\Emberdell\\");
  EXPECT_EQ(ExtractFilePath("C:Emberdell.scr"), "C:");
  EXPECT_EQ(ExtractFilePath("Emberdell.scr"), "");
  EXPECT_EQ(SharedIniPath("C:\\WINDOWS\\"), SharedPath);
  EXPECT_EQ(PerUserIniPath("C:\\Users\\me\\AppData\\Roaming"), UserPath);
  EXPECT_EQ(PerUserIniPath("C:\\Users\\me\\AppData\\Roaming\\"), UserPath);
}

TEST(Settings, LoadFromMissingFileKeepsDefaults) {
  TFakeIniFile Ini(SharedPath);
  TSettingsFiles Files(Ini);
  TSettings S = Fresh();
  LoadSettings(S, Files);
  EXPECT_EQ(S, Fresh());
}

// Each key alone fills its own variable and no other, with the key spelled as
// the file has always spelled it.
TEST(Settings, LoadEachKeyIntoItsVariable) {
  struct KeyCase {
    const char* Key;
    const char* Text;
    std::function<void(TSettings&)> Expect;
  };
  const KeyCase Cases[] = {
      {"InstallDir", "D:\\Fire", [](TSettings& S) { S.ProgramDir = "D:\\Fire"; }},
      {"Active Presets", "~(Default) Wood~,Fire", [](TSettings& S) { S.ActivePresets = {"(Default) Wood", "Fire"}; }},
      {"Active Backgrounds", "Beach,~Trips - Alps~",
       [](TSettings& S) { S.ActiveBackgrounds = {"Beach", "Trips - Alps"}; }},
      {"Change on startup", "1", [](TSettings& S) { S.ChangeOnStartup = true; }},
      {"Changing delay", "300", [](TSettings& S) { S.ChangingDelay = 300; }},
      {"Picture Height", "70", [](TSettings& S) { S.PictureHeight = 70; }},
      {"Allow Fadeout", "0", [](TSettings& S) { S.AllowFadeout = false; }},
      {"Allow Second Monitor", "0", [](TSettings& S) { S.AllowSecondMonitor = false; }},
      {"Ignore Mouse Move", "-3", [](TSettings& S) { S.IgnoreMouseMove = true; }},
      {"Show Preview", "0", [](TSettings& S) { S.ShowPreview = false; }},
      {"Fadeout", "1000", [](TSettings& S) { S.FadeoutTime = 1000; }},
      {"FPS", "60", [](TSettings& S) { S.FPS = 60; }},
      {"Last Screenshot Number", "41", [](TSettings& S) { S.LastScreenshotNumber = 41; }},
      {"Play Fire Sound", "0", [](TSettings& S) { S.PlayFireSound = false; }},
      {"Fire Volume", "55", [](TSettings& S) { S.FireVolume = 55; }},
      {"Play Chimes Sound", "0", [](TSettings& S) { S.PlayChimesSound = false; }},
      {"Chimes Volume", "12", [](TSettings& S) { S.ChimesVolume = 12; }},
  };
  EXPECT_EQ(std::size(Cases), SettingEntries().size());
  for (const KeyCase& C : Cases) {
    TFakeIniFile Ini(SharedPath);
    Ini.Set(C.Key, C.Text);
    TSettingsFiles Files(Ini);
    TSettings Loaded = Fresh(), Expected = Fresh();
    C.Expect(Expected);
    LoadSettings(Loaded, Files);
    EXPECT_EQ(Loaded, Expected) << C.Key;
  }
}

TEST(Settings, IntegersAreDecimalOrTheDefault) {
  const std::pair<const char*, int32_t> Cases[] = {
      {"", 25},          {"abc", 25},     {"12abc", 25}, {"1.5", 25},          {"0x10", 25},
      {"$10", 25},       {"-", 25},       {"+", 25},     {"2147483648", 25},   {"99999999999", 25},
      {"12 3", 25},      {"+5", 5},       {"-7", -7},    {"007", 7},           {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},         {"  17  ", 17},  // the profile read drops the blanks
      {"\"18\"", 18},    {"'19'", 19},
  };
  for (const auto& [Text, Expected] : Cases) {
    TFakeIniFile Ini(SharedPath);
    Ini.Set("FPS", Text);
    TSettingsFiles Files(Ini);
    TSettings S = Fresh();
    LoadSettings(S, Files);
    EXPECT_EQ(S.FPS, Expected) << '"' << Text << '"';
  }

  // Booleans read through the same integer rule: any non-zero is true, and
  // words are not understood.
  TFakeIniFile Ini(SharedPath);
  Ini.Set("Allow Fadeout", "no");
  Ini.Set("Ignore Mouse Move", "yes");
  Ini.Set("Show Preview", "2");
  TSettingsFiles Files(Ini);
  TSettings S = Fresh();
  S.ShowPreview = false;
  LoadSettings(S, Files);
  EXPECT_TRUE(S.AllowFadeout);
  EXPECT_FALSE(S.IgnoreMouseMove);
  EXPECT_TRUE(S.ShowPreview);
}

TEST(Settings, EmptyListsKeepTheCurrentEntries) {
  for (const char* Empty : {"", "   ", "\"\""}) {
    TFakeIniFile Ini(SharedPath);
    Ini.Set("Active Presets", Empty);
    Ini.Set("Active Backgrounds", Empty);
    TSettingsFiles Files(Ini);
    TSettings S = Fresh();
    LoadSettings(S, Files);
    EXPECT_EQ(S.ActivePresets, Strings{"(Default) Wood"}) << '"' << Empty << '"';
    EXPECT_EQ(S.ActiveBackgrounds, Strings{"(Default) Desktop Snapshot"});
  }
  // "~~" is not empty: it is one empty name.
  TFakeIniFile Ini(SharedPath);
  Ini.Set("Active Presets", "~~");
  TSettingsFiles Files(Ini);
  TSettings S = Fresh();
  LoadSettings(S, Files);
  EXPECT_EQ(S.ActivePresets, Strings{""});
}

// Whatever is written reads back whole: a list cut on reading would be
// written back cut at the next save, and a cut inside a character leaves a
// name that is no longer text.
TEST(Settings, LongValuesRoundTripWhole) {
  std::vector<std::string> Cyrillic, Ascii;
  for (int I = 0; I < 500; ++I) {
    const std::string Number = (I < 10 ? "00" : I < 100 ? "0" : "") + std::to_string(I);
    Cyrillic.push_back("\xD0\x9F\xD0\xBB\xD0\xB0\xD0\xBC\xD1\x8F \xD0\xBA\xD0\xB0\xD0\xBC\xD0\xB8\xD0\xBD\xD0\xB0 "
                       "\xD0\xBD\xD0\xBE\xD0\xBC\xD0\xB5\xD1\x80 " + Number);  // "Пламя камина номер NNN"
    Ascii.push_back("Trips - Picture " + Number);
  }
  struct TCase {
    const char* Name;
    std::vector<std::string> Backgrounds;
    std::string ProgramDir;
  };
  const TCase Cases[] = {
      {"500 Cyrillic names", Cyrillic, "C:\\Program Files\\Emberdell\\"},
      {"70 Cyrillic names", {Cyrillic.begin(), Cyrillic.begin() + 70}, "C:\\Program Files\\Emberdell\\"},
      {"500 plain names", Ascii, "C:\\Program Files\\Emberdell\\"},
      {"one name of 5000 letters", {std::string(5000, 'a')}, "C:\\Program Files\\Emberdell\\"},
      {"a folder of 3000 letters", {"Beach"}, "D:\\" + std::string(3000, 'x') + "\\"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TFakeIniFile Ini(SharedPath);
    TSettingsFiles Files(Ini);
    TSettings S = Fresh();
    S.ActiveBackgrounds = C.Backgrounds;
    S.ActivePresets = C.Backgrounds;
    ASSERT_TRUE(SaveSettings(S, Files));
    // "InstallDir" reaches the file only through the migration.
    Ini.Set("InstallDir", C.ProgramDir);
    TSettings Loaded = Fresh();
    LoadSettings(Loaded, Files);
    EXPECT_EQ(Loaded.ActiveBackgrounds, C.Backgrounds);
    EXPECT_EQ(Loaded.ActivePresets, C.Backgrounds);
    EXPECT_EQ(Loaded.ProgramDir, C.ProgramDir);
    // Loading and saving again, as opening and closing the settings window
    // does, leaves the file as it was.
    const auto Before = Ini.Raw;
    ASSERT_TRUE(SaveSettings(Loaded, Files));
    EXPECT_EQ(Ini.Raw, Before);
  }
  // An "InstallDir" without a backslash is used as it stands.
  TFakeIniFile Ini(SharedPath);
  Ini.Set("InstallDir", "D:\\Fire");
  TSettingsFiles Files(Ini);
  TSettings S = Fresh();
  LoadSettings(S, Files);
  EXPECT_EQ(S.ProgramDir + "Flame Presets\\", "D:\\FireFlame Presets\\");
}

// A save writes the keys whose text differs from the file's, and when none
// does it does not reach the file at all.
TEST(Settings, NothingIsWrittenWhenNothingChanged) {
  struct TCase {
    const char* Name;
    std::function<void(TFakeIniFile&)> Before;  // the file before the save
    std::function<void(TSettings&)> Change;     // what the user changed since loading
    bool CounterOnly;                           // SaveScreenshotNumber rather than SaveSettings
    Strings Written;                            // keys of the one batch, none: no batch
  };
  const auto Saved = [](TFakeIniFile& Ini) {
    TSettingsFiles Files(Ini);
    TSettings S = Fresh();
    S.LastScreenshotNumber = 4;
    ASSERT_TRUE(SaveSettings(S, Files));
    ASSERT_TRUE(SaveScreenshotNumber(S, Files));
  };
  const TCase Cases[] = {
      {"settings unchanged", Saved, [](TSettings&) {}, false, {}},
      {"counter unchanged", Saved, [](TSettings&) {}, true, {}},
      {"one setting changed", Saved, [](TSettings& S) { S.FPS = 60; }, false, {"FPS"}},
      {"a list changed", Saved, [](TSettings& S) { S.ActiveBackgrounds.push_back("Beach"); }, false,
       {"Active Backgrounds"}},
      {"counter stepped", Saved, [](TSettings& S) { S.LastScreenshotNumber = 5; }, true,
       {"Last Screenshot Number"}},
      // Not this process's to rewrite: it read 4 and still has 4.
      {"a value that reads the same but is written otherwise",
       [](TFakeIniFile& Ini) { Ini.Set("Last Screenshot Number", "+4"); }, [](TSettings&) {}, true, {}},
      {"a quoted name kept in its quotes", [](TFakeIniFile& Ini) { Ini.Set("Active Presets", "\"'Hot'\""); },
       [](TSettings& S) { S.ActivePresets = {"'Hot'"}; }, false,
       {"Active Backgrounds", "Change on startup", "Changing delay", "Picture Height", "Allow Fadeout",
        "Allow Second Monitor", "Ignore Mouse Move", "Show Preview", "Fadeout", "FPS", "Fire Volume",
        "Play Fire Sound", "Chimes Volume", "Play Chimes Sound"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TFakeIniFile Ini(SharedPath);
    C.Before(Ini);
    TSettingsFiles Files(Ini);
    TSettings S = Fresh();
    LoadSettings(S, Files);
    C.Change(S);
    Ini.Writes.clear();
    Ini.Batches = 0;
    const auto Before = Ini.Raw;
    ASSERT_TRUE(C.CounterOnly ? SaveScreenshotNumber(S, Files) : SaveSettings(S, Files));
    EXPECT_EQ(Ini.Writes, C.Written);
    EXPECT_EQ(Ini.Batches, C.Written.empty() ? 0 : 1);
    if (C.Written.empty()) EXPECT_EQ(Ini.Raw, Before);
    TSettings Loaded = Fresh();
    LoadSettings(Loaded, Files);
    EXPECT_EQ(Loaded, S);
  }
}

TEST(Settings, SaveWritesKeysInOrder) {
  TFakeIniFile Ini(SharedPath);
  TSettingsFiles Files(Ini);
  TSettings S = Fresh();
  S.ActivePresets = {"(Default) Wood", "(Random Preset)"};
  S.ActiveBackgrounds = {};
  S.ChangeOnStartup = true;
  S.ChangingDelay = 60;
  S.PictureHeight = 80;
  S.FadeoutTime = 300;
  S.FPS = 37;
  S.LastScreenshotNumber = 12;
  S.PlayChimesSound = false;
  S.ChimesVolume = -1;

  ASSERT_TRUE(SaveSettings(S, Files));
  const Strings Order = {"Active Presets",       "Active Backgrounds", "Change on startup", "Changing delay",
                         "Picture Height",       "Allow Fadeout",      "Allow Second Monitor",
                         "Ignore Mouse Move",    "Show Preview",       "Fadeout",
                         "FPS",                  "Fire Volume",        "Play Fire Sound",
                         "Chimes Volume",        "Play Chimes Sound"};
  EXPECT_EQ(Ini.Writes, Order);
  const std::pair<const char*, const char*> Values[] = {
      {"Active Presets", "~(Default) Wood~,~(Random Preset)~"},
      {"Active Backgrounds", ""},
      {"Change on startup", "1"},
      {"Changing delay", "60"},
      {"Picture Height", "80"},
      {"Allow Fadeout", "1"},
      {"Allow Second Monitor", "1"},
      {"Ignore Mouse Move", "0"},
      {"Show Preview", "1"},
      {"Fadeout", "300"},
      {"FPS", "37"},
      {"Fire Volume", "100"},
      {"Play Fire Sound", "1"},
      {"Chimes Volume", "-1"},
      {"Play Chimes Sound", "0"},
  };
  for (const auto& [Key, Text] : Values) EXPECT_EQ(Ini.Get(Key), Text) << Key;
  EXPECT_FALSE(Ini.Has("InstallDir"));
  EXPECT_FALSE(Ini.Has("Last Screenshot Number"));

  Ini.Writes.clear();
  ASSERT_TRUE(SaveScreenshotNumber(S, Files));
  EXPECT_EQ(Ini.Writes, Strings{"Last Screenshot Number"});
  EXPECT_EQ(Ini.Get("Last Screenshot Number"), "12");
}

TEST(Settings, SaveAndLoadRoundTrip) {
  TFakeIniFile Ini(SharedPath);
  TSettingsFiles Files(Ini);
  TSettings S = Fresh();
  // Names the profile functions would otherwise strip on reading: a single
  // name in quotes, blanks at either end of the stored text.
  S.ActivePresets = {"'Hot'"};
  S.ActiveBackgrounds = {" Beach", "Trips - Alps", "a~b,c", ""};
  S.AllowSecondMonitor = false;
  S.IgnoreMouseMove = true;
  S.FPS = 10;
  S.LastScreenshotNumber = 7;
  ASSERT_TRUE(SaveSettings(S, Files));
  ASSERT_TRUE(SaveScreenshotNumber(S, Files));
  EXPECT_EQ(Ini.GetAsRead("Active Presets"), "'Hot'");

  TSettings Loaded = Fresh();
  LoadSettings(Loaded, Files);
  EXPECT_EQ(Loaded, S);

  S.ActivePresets = {"(Default) Wood", "(Random Preset)"};
  ASSERT_TRUE(SaveSettings(S, Files));
  LoadSettings(Loaded, Files);
  EXPECT_EQ(Loaded.ActivePresets, S.ActivePresets);
}

// A save that fails anywhere leaves the file as it was: never the first
// half of the new settings over the second half of the old.
TEST(Settings, AFailedBatchLeavesTheFileAsItWas) {
  struct TCase {
    const char* Name;
    const char* FailAt;  // nullptr: the file cannot be written at all
    bool CounterOnly;
  };
  const TCase Cases[] = {
      {"the first key", "Active Presets", false},
      {"a key in the middle", "Allow Fadeout", false},
      {"the last key", "Play Chimes Sound", false},
      {"a file closed to writing", nullptr, false},
      {"the counter", nullptr, true},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TFakeIniFile Ini(SharedPath);
    Ini.Set("FPS", "31");
    Ini.Set("Last Screenshot Number", "3");
    if (C.FailAt != nullptr) Ini.FailAtKey = C.FailAt; else Ini.Writable = false;
    TSettingsFiles Files(Ini);
    TSettings S = Fresh();
    S.ActiveBackgrounds = {"Beach"};
    S.LastScreenshotNumber = 9;
    const auto Before = Ini.Raw;
    const TStoreResult Result = C.CounterOnly ? SaveScreenshotNumber(S, Files) : SaveSettings(S, Files);
    EXPECT_FALSE(Result);
    EXPECT_EQ(Result.Message, "Unable to write to C:\\WINDOWS\\Emberdell Screensaver.ini");
    EXPECT_EQ(Ini.Raw, Before);
  }
}

TEST(Settings, MigrationCopiesTheRegistryOnce) {
  TFakeIniFile Ini(SharedPath);
  TSettingsFiles Files(Ini);
  TFakeRegistry Registry;
  Registry.Strings = {{"InstallDir", "E:\\Old\\"},
                      {"Active Presets", "~(Default) Wood~,Embers"},
                      {"Active Backgrounds", "Beach"},  // not part of the move
                      {"FPS", "31"}};                   // wrong type: not a 32-bit value
  Registry.Dwords = {{"Change on startup", 1},       {"Show Preview", 0},  {"Ignore Mouse Move", 7},
                     {"Allow Second Monitor", 0},    {"Changing delay", 240},
                     {"Picture Height", 60},         {"Last Screenshot Number", 99},
                     {"Fire Volume", 0xFFFFFFFFu},   {"Play Chimes Sound", 0}};

  TSettings S = Fresh();
  ASSERT_TRUE(MigrateRegistrySettings(S, Registry, Files));
  EXPECT_EQ(Registry.Deletes, 1);
  const Strings Order = {"InstallDir",        "Active Presets", "Change on startup", "Show Preview",
                         "Allow Fadeout",     "Ignore Mouse Move", "Changing delay", "Picture Height",
                         "Fadeout",           "FPS",            "Last Screenshot Number", "Play Fire Sound",
                         "Fire Volume",       "Play Chimes Sound", "Chimes Volume"};
  EXPECT_EQ(Ini.Writes, Order);

  TSettings Expected = Fresh();
  Expected.ProgramDir = "E:\\Old\\";
  Expected.ActivePresets = {"(Default) Wood", "Embers"};
  Expected.ChangeOnStartup = true;
  Expected.ShowPreview = false;
  Expected.IgnoreMouseMove = true;
  Expected.ChangingDelay = 240;
  Expected.PictureHeight = 60;
  Expected.LastScreenshotNumber = 99;
  Expected.FireVolume = -1;
  Expected.PlayChimesSound = false;
  EXPECT_EQ(S, Expected);
  EXPECT_EQ(Ini.Get("InstallDir"), "E:\\Old\\");
  EXPECT_EQ(Ini.Get("Active Presets"), "~(Default) Wood~,Embers");
  EXPECT_EQ(Ini.Get("Fire Volume"), "-1");
  EXPECT_EQ(Ini.Get("FPS"), "25");

  // The next start finds no key and only reads the file.
  Ini.Writes.clear();
  TSettings Next = Fresh();
  ASSERT_TRUE(MigrateRegistrySettings(Next, Registry, Files));
  EXPECT_TRUE(Ini.Writes.empty());
  EXPECT_EQ(Registry.Deletes, 1);
  LoadSettings(Next, Files);
  EXPECT_EQ(Next, Expected);
}

TEST(Settings, MigrationWritesProgramDirEvenWithoutInstallDir) {
  TFakeIniFile Ini(SharedPath);
  TSettingsFiles Files(Ini);
  TFakeRegistry Registry;  // the key exists but holds nothing
  TSettings S = Fresh();
  ASSERT_TRUE(MigrateRegistrySettings(S, Registry, Files));
  EXPECT_EQ(S, Fresh());
  EXPECT_EQ(Ini.Get("InstallDir"), "C:\\Program Files\\Emberdell\\");
  EXPECT_EQ(Ini.Get("Active Presets"), "~(Default) Wood~");
  EXPECT_FALSE(Ini.Has("Allow Second Monitor"));
  EXPECT_FALSE(Ini.Has("Active Backgrounds"));
}

TEST(Settings, MigrationKeepsTheKeyWhenTheFileCannotBeWritten) {
  TFakeIniFile Ini(SharedPath);
  Ini.FailAtKey = "FPS";
  TSettingsFiles Files(Ini);
  TFakeRegistry Registry;
  TSettings S = Fresh();
  const TStoreResult Result = MigrateRegistrySettings(S, Registry, Files);
  EXPECT_FALSE(Result);
  EXPECT_EQ(Result.Message, "Unable to write to " + SharedPath);
  EXPECT_EQ(Registry.Deletes, 0);
  // Nothing of the move lands: the next start moves every value again.
  EXPECT_FALSE(Ini.Has("Fadeout"));
  EXPECT_FALSE(Ini.Has("Last Screenshot Number"));
}

TEST(Settings, PerUserFileIsPreferredWhenItExists) {
  TFakeIniFile Shared(SharedPath), User(UserPath);
  Shared.Set("FPS", "15");
  Shared.Set("Chimes Volume", "30");
  TSettingsFiles Files(Shared, &User);

  TSettings S = Fresh();
  LoadSettings(S, Files);
  EXPECT_EQ(S.FPS, 15);

  User.Set("FPS", "60");
  S = Fresh();
  LoadSettings(S, Files);
  EXPECT_EQ(S.FPS, 60);
  EXPECT_EQ(S.ChimesVolume, 80);  // the shared file is not read at all any more

  // Writes go where reads come from, even when the shared file is writable.
  S.FPS = 20;
  ASSERT_TRUE(SaveSettings(S, Files));
  EXPECT_TRUE(Shared.Writes.empty());
  EXPECT_EQ(User.Get("FPS"), "20");
}

// The folder of the styles and pictures: the installer's "InstallDir" in the
// shared file, whichever file holds the user's other settings.
TEST(Settings, SharedInstallDirWinsOverThePerUserCopy) {
  struct TCase {
    const char* Name;
    const char* SharedDir;   // nullptr: no key
    const char* UserDir;     // nullptr: no key
    bool UserFile;           // the per-user copy exists
    const char* Expected;
  };
  const TCase Cases[] = {
      {"installed after the per-user copy was made", "C:\\Program Files\\Emberdell\\", "C:\\Old\\", true,
       "C:\\Program Files\\Emberdell\\"},
      {"never installed", nullptr, "C:\\Old\\", true, "C:\\Old\\"},
      {"per-user copy without the key", "D:\\Fire\\", nullptr, true, "D:\\Fire\\"},
      {"no per-user copy", "D:\\Fire\\", nullptr, false, "D:\\Fire\\"},
      {"an empty key keeps the per-user folder", "", "C:\\Old\\", true, "C:\\Old\\"},
      {"nothing anywhere", nullptr, nullptr, true, "C:\\Windows\\System32\\"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TFakeIniFile Shared(SharedPath), User(UserPath);
    if (C.SharedDir != nullptr) Shared.Set("InstallDir", C.SharedDir);
    if (C.UserFile) User.Set("FPS", "60");
    if (C.UserDir != nullptr) User.Set("InstallDir", C.UserDir);
    TSettingsFiles Files(Shared, &User);
    TSettings S = Fresh();
    S.ProgramDir = "C:\\Windows\\System32\\";
    LoadSettings(S, Files);
    EXPECT_EQ(S.ProgramDir, C.Expected);
    if (C.UserFile) {
      EXPECT_EQ(S.FPS, 60);
    }
  }
}

TEST(Settings, SaveFallsBackToPerUserFileWithEverySetting) {
  TFakeIniFile Shared(SharedPath), User(UserPath);
  Shared.Set("InstallDir", "D:\\Emberdell\\");
  Shared.Set("Last Screenshot Number", "9");
  Shared.Set("FPS", "31");
  Shared.Writable = false;
  TSettingsFiles Files(Shared, &User);

  TSettings S = Fresh();
  LoadSettings(S, Files);
  ASSERT_EQ(S.ProgramDir, "D:\\Emberdell\\");
  S.FPS = 60;
  S.ActiveBackgrounds = {"Beach"};
  ASSERT_TRUE(SaveSettings(S, Files));
  EXPECT_TRUE(User.Exists());
  EXPECT_EQ(User.Raw.size(), SettingEntries().size());
  // Keys this save does not write come over from the shared file.
  EXPECT_EQ(User.Get("InstallDir"), "D:\\Emberdell\\");
  EXPECT_EQ(User.Get("Last Screenshot Number"), "9");

  TSettings Loaded = Fresh();
  LoadSettings(Loaded, Files);
  EXPECT_EQ(Loaded, S);

  // Later writes go straight to the per-user file.
  Shared.Writes.clear();
  S.LastScreenshotNumber = 10;
  ASSERT_TRUE(SaveScreenshotNumber(S, Files));
  EXPECT_TRUE(Shared.Writes.empty());
  EXPECT_EQ(User.Get("Last Screenshot Number"), "10");
}

TEST(Settings, ScreenshotCounterFallbackKeepsTheOtherSettings) {
  TFakeIniFile Shared(SharedPath), User(UserPath);
  Shared.Set("FPS", "31");
  Shared.Set("Active Presets", "Embers");
  Shared.Writable = false;
  TSettingsFiles Files(Shared, &User);

  TSettings S = Fresh();  // not loaded: only the counter is this call's to write
  S.LastScreenshotNumber = 5;
  ASSERT_TRUE(SaveScreenshotNumber(S, Files));
  EXPECT_EQ(User.Get("Last Screenshot Number"), "5");
  EXPECT_EQ(User.Get("FPS"), "31");
  EXPECT_EQ(User.Get("Active Presets"), "Embers");
}

TEST(Settings, BothFilesFailingReportsThePerUserFile) {
  TFakeIniFile Shared(SharedPath), User(UserPath);
  Shared.Writable = false;
  User.Writable = false;
  TSettingsFiles Files(Shared, &User);
  const TStoreResult Result = SaveSettings(Fresh(), Files);
  EXPECT_FALSE(Result);
  EXPECT_EQ(Result.Message, "Unable to write to " + UserPath);

  // A per-user file that exists but cannot be written is reported as well;
  // the shared file is not tried, since it would no longer be read.
  User.Set("FPS", "25");
  Shared.Writable = true;
  Shared.Writes.clear();
  EXPECT_EQ(SaveSettings(Fresh(), Files).Message, "Unable to write to " + UserPath);
  EXPECT_TRUE(Shared.Writes.empty());
}

TEST(Settings, RunLimitsOnStoredValues) {
  const std::pair<int32_t, uint32_t> Speeds[] = {{10, 100}, {15, 66}, {20, 50}, {25, 40},
                                                 {31, 32},  {37, 27}, {60, 16}};
  for (const auto& [Fps, Interval] : Speeds) EXPECT_EQ(FrameInterval(Fps), Interval) << Fps;
  EXPECT_EQ(FPSForRun(0), 25);
  EXPECT_EQ(FPSForRun(-10), 25);
  EXPECT_EQ(FrameInterval(0), 40u);
  EXPECT_EQ(FrameInterval(INT32_MIN), 40u);
  EXPECT_EQ(FrameInterval(2000), 0u);  // faster than the tick: every millisecond

  EXPECT_EQ(PictureHeightForRun(-5), 0);
  EXPECT_EQ(PictureHeightForRun(73), 73);
  EXPECT_EQ(PictureHeightForRun(250), 100);
  EXPECT_EQ(VolumeForRun(-1), 0);
  EXPECT_EQ(VolumeForRun(80), 80);
  EXPECT_EQ(VolumeForRun(101), 100);

  // The stored value is kept as read; only its use is limited.
  TFakeIniFile Ini(SharedPath);
  Ini.Set("FPS", "0");
  TSettingsFiles Files(Ini);
  TSettings S = Fresh();
  LoadSettings(S, Files);
  EXPECT_EQ(S.FPS, 0);
  ASSERT_TRUE(SaveSettings(S, Files));
  EXPECT_EQ(Ini.Get("FPS"), "0");
}

namespace {

// The settings lock of a test: always had unless Free is false; the pauses
// asked for are added up.
class TFakeLock : public ISettingsLock {
 public:
  bool Acquire() override {
    ++Acquired;
    return Free;
  }
  void Release() override { ++Released; }
  void Pause(uint32_t Ms) override { Paused += Ms; }
  bool Free = true;
  int Acquired = 0, Released = 0;
  uint32_t Paused = 0;
};

}  // namespace

// Two settings windows on one file: A and B load, each changes what it
// changes, A closes, then B. B's close must not put back what A changed.
TEST(Settings, TwoWindowsKeepEachOthersChanges) {
  struct TCase {
    const char* Name;
    std::function<void(TSettings&)> ChangeA, ChangeB;
    bool SharedDenied;    // both end up in the per-user copy
    Strings WrittenByB;   // keys of B's batch
    int32_t Fps, Fadeout; // in the file read next
    Strings Backgrounds;
  };
  const auto None = [](TSettings&) {};
  const auto Fps60 = [](TSettings& S) { S.FPS = 60; };
  const TCase Cases[] = {
      {"B unchanged", Fps60, None, false, {}, 60, 500, {"Beach"}},
      {"each its own key", Fps60, [](TSettings& S) { S.FadeoutTime = 900; }, false, {"Fadeout"}, 60, 900, {"Beach"}},
      {"both the same key: the last close wins", Fps60, [](TSettings& S) { S.FPS = 10; }, false, {"FPS"}, 10, 500,
       {"Beach"}},
      {"a list and a number", [](TSettings& S) { S.ActiveBackgrounds = {"Beach", "Alps"}; },
       [](TSettings& S) { S.FPS = 15; }, false, {"FPS"}, 15, 500, {"Beach", "Alps"}},
      {"both find no per-user copy, B unchanged", Fps60, None, true, {}, 60, 500, {"Beach"}},
      {"both find no per-user copy, each its own key", Fps60, [](TSettings& S) { S.FadeoutTime = 900; }, true,
       {"Fadeout"}, 60, 900, {"Beach"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TFakeIniFile Shared(SharedPath), User(UserPath);
    TSettingsFiles Seed(Shared);
    TSettings Start = Fresh();
    Start.FPS = 20;
    Start.FadeoutTime = 500;
    Start.ActiveBackgrounds = {"Beach"};
    ASSERT_TRUE(SaveSettings(Start, Seed));
    Shared.Writable = !C.SharedDenied;
    TFakeLock Lock;
    TSettingsFiles FilesA(Shared, &User, &Lock), FilesB(Shared, &User, &Lock);
    TSettings A = Fresh(), B = Fresh();
    LoadSettings(A, FilesA);
    LoadSettings(B, FilesB);
    C.ChangeA(A);
    C.ChangeB(B);
    ASSERT_TRUE(SaveSettings(A, FilesA));
    TFakeIniFile& Next = C.SharedDenied ? User : Shared;
    Next.Writes.clear();
    ASSERT_TRUE(SaveSettings(B, FilesB));
    EXPECT_EQ(Next.Writes, C.WrittenByB);
    TSettings Loaded = Fresh();
    TSettingsFiles Reader(Shared, &User);
    LoadSettings(Loaded, Reader);
    EXPECT_EQ(Loaded.FPS, C.Fps);
    EXPECT_EQ(Loaded.FadeoutTime, C.Fadeout);
    EXPECT_EQ(Loaded.ActiveBackgrounds, C.Backgrounds);
    EXPECT_EQ(Lock.Acquired, 2);
    EXPECT_EQ(Lock.Released, 2);
  }
}

// What the shared file meets on a close, and where the settings end up: only
// a file that cannot be written at all sends them to the per-user copy.
TEST(Settings, PassingFailuresKeepTheSharedFile) {
  using R = TWriteResult;
  struct TCase {
    const char* Name;
    std::vector<R> Meets;  // the shared file's answers, then it takes the batch
    bool LockFree;
    bool Saved;
    std::vector<TWriteMode> Modes;  // of the shared file's writes
    uint32_t Paused;
    bool PerUser;
  };
  const auto Copy = TWriteMode::ThroughCopy, InPlace = TWriteMode::InPlace;
  const std::vector<R> Held41(41, R::Busy);
  const TCase Cases[] = {
      {"held for two tries", {R::Busy, R::Busy}, true, true, {Copy, Copy, Copy}, 200, false},
      {"held for 4 s", Held41, true, false, std::vector<TWriteMode>(41, Copy), 4000, false},
      {"no copy beside it", {R::NoCopy}, true, true, {Copy, InPlace}, 0, false},
      {"no copy beside it, and held", {R::NoCopy, R::Busy}, true, true, {Copy, InPlace, InPlace}, 100, false},
      {"read-only", {R::Denied}, true, true, {Copy}, 0, true},
      {"the lock held by another", {}, false, false, {}, 0, false},
      {"a full disk", {R::Failed}, true, false, {Copy}, 0, false},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TFakeIniFile Shared(SharedPath), User(UserPath);
    Shared.Set("FPS", "20");
    TFakeLock Lock;
    Lock.Free = C.LockFree;
    TSettingsFiles Files(Shared, &User, &Lock);
    TSettings S = Fresh();
    LoadSettings(S, Files);
    S.FPS = 60;
    Shared.Results = {C.Meets.begin(), C.Meets.end()};
    const TStoreResult Result = SaveSettings(S, Files);
    EXPECT_EQ(bool(Result), C.Saved);
    if (!C.Saved) EXPECT_EQ(Result.Message, "Unable to write to " + SharedPath);
    EXPECT_EQ(Shared.Modes, C.Modes);
    EXPECT_EQ(Lock.Paused, C.Paused);
    EXPECT_EQ(User.Exists(), C.PerUser);
    EXPECT_EQ((C.PerUser ? User : Shared).GetAsRead("FPS"), C.Saved ? "60" : "20");
    EXPECT_EQ(Lock.Released, C.LockFree ? 1 : 0);
  }
}

// Whether a value goes into the file as it is, or the file turns UTF-16
// first. Back: the value as the ANSI code page (Windows-1252) gives it back.
TEST(Settings, AnsiOrUtf16Table) {
  struct TCase {
    const char* Name;
    bool Exists;
    std::string Head, Value, Back;
    TIniEncoding Encoding;
    bool Utf16;
  };
  const std::string Greek = "\xCE\xA6\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xB1";  // "Φλόγα"
  const std::string Polish = "\xC5\x81\xC3\xB3d\xC5\xBA";                 // "Łódź"
  const TCase Cases[] = {
      {"a new file", false, "", Greek, "?????", TIniEncoding::Missing, false},
      {"the installer's ANSI file, a Greek style", true, "[Main]\r\n", "~" + Greek + "~", "~?????~",
       TIniEncoding::Ansi, true},
      {"ANSI, letters the code page only approximates", true, "[Ma", Polish, "L\xC3\xB3" "dz", TIniEncoding::Ansi,
       true},
      {"ANSI, plain names", true, "[Ma", "~(Default) Wood~", "~(Default) Wood~", TIniEncoding::Ansi, false},
      {"ANSI, a name the code page holds", true, "[Ma", "Caf\xC3\xA9", "Caf\xC3\xA9", TIniEncoding::Ansi, false},
      {"ANSI, a question mark of its own", true, "[Ma", "Why?", "Why?", TIniEncoding::Ansi, false},
      {"an empty file", true, "", Greek, "?????", TIniEncoding::Ansi, true},
      {"UTF-16 little-endian", true, "\xFF\xFE[", Greek, "?????", TIniEncoding::Utf16, false},
      {"UTF-16 big-endian", true, "\xFE\xFF\x00", Greek, "?????", TIniEncoding::Utf16, false},
      {"UTF-8 with its mark", true, "\xEF\xBB\xBF", Greek, "?????", TIniEncoding::Utf8, false},
      {"a lone FF", true, "\xFF[M", Greek, "?????", TIniEncoding::Ansi, true},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const TProfileValue Batch[] = {{"FPS", "25"}, {"Active Presets", C.Value}};
    const TIniEncoding Encoding = IniEncodingOf(C.Exists, C.Head);
    EXPECT_EQ(Encoding, C.Encoding);
    EXPECT_EQ(MustBecomeUtf16(Encoding, Batch, [&](const std::string& V) { return V == "25" ? V : C.Back; }),
              C.Utf16);
  }
}
