#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/host/uGlobals.h"
#include "core/shared/uFileUtils.h"
#include "core/shared/uRandom.h"
#include "core/styles/uStyleFolders.h"

using namespace emberdell;
namespace fs = std::filesystem;

namespace {

fs::path TestPath(const std::string& Name) {
  fs::path Path;
  EXPECT_TRUE(Utf8Path(Name, Path)) << Name;
  return Path;
}

class TwoFolders : public testing::Test {
 protected:
  void SetUp() override {
    Root = fs::temp_directory_path() / ("emberdell-folders-" + std::to_string(std::random_device{}()));
    Folders.Program = (Root / "program" / "Flame Presets").string() + "/";
    Folders.PerUser = (Root / "user" / "Flame Presets").string() + "/";
  }
  void TearDown() override { fs::remove_all(Root); }

  static TFlamePreset Style(int Intensity) {
    TFlamePreset p;
    std::memset(&p, 0, sizeof p);
    p.FlameIntensity = Intensity;
    return p;
  }
  static void Put(const std::string& Folder, const std::string& File, int Intensity = 1) {
    fs::create_directories(TestPath(Folder));
    const TFlamePreset p = Style(Intensity);
    std::ofstream(TestPath(Folder + File), std::ios::binary).write(reinterpret_cast<const char*>(&p), sizeof p);
  }
  static bool Has(const std::string& Folder, const std::string& File) { return fs::exists(TestPath(Folder + File)); }
  int LoadedIntensity(const std::string& Name) {
    TFlamePreset p = Style(-1);
    LoadPreset(Folders, Name, p);
    return PresetName(p) == RandomPresetName ? 0 : p.FlameIntensity;
  }
  // The program's style folder cannot be made: a file stands in its place,
  // which no user (not even an administrator) can write into.
  void MakeProgramFolderUnwritable() {
    fs::create_directories(Root / "program");
    std::ofstream(Root / "program" / "Flame Presets") << "not a folder";
  }

  fs::path Root;
  TStyleFolders Folders;
};

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

}  // namespace

TEST(PresetNameError, RefusesWhatCannotNameAStyleFile) {
  const char* Refused[] = {
      "", "   ", " \t ",                          // nothing to name a file with
      "a/b", "..\\x", "C:evil", "what?", "a*", "q\"", "<a>", "a|b", "tab\there",
      "name.", "name ", ".", "..",              // Windows would drop the end
      "CON", "con.wyk", "Nul", "LPT1", "com9 .x",  // devices
      "(Random Preset)",
  };
  for (const char* Name : Refused) EXPECT_NE(PresetNameError(Name), "") << '"' << Name << '"';

  const char* Accepted[] = {"My Fire", " leading blank", "a.b", "COM10", "Console", "LPT", "(Default) Wood",
                            "Φλόγα του δάσους", "炎の色", "Twenty-five characters!!"};
  for (const char* Name : Accepted) EXPECT_EQ(PresetNameError(Name), "") << '"' << Name << '"';

  // The messages say what is wrong, not just that something is.
  EXPECT_NE(PresetNameError("  ").find("type a name"), std::string::npos);
  EXPECT_NE(PresetNameError("a/b").find("\\ / : * ? \" < > |"), std::string::npos);
  EXPECT_NE(PresetNameError("aux").find("reserved"), std::string::npos);
}

TEST_F(TwoFolders, AUserStyleHidesADeliveredOneInListsAndLoads) {
  Put(Folders.Program, "Wood.wyk", 1);
  Put(Folders.Program, "Blue.wyk", 2);
  Put(Folders.Program, "(Random Preset).wyk", 3);
  Put(Folders.PerUser, "blue.wyk", 4);
  Put(Folders.PerUser, "Mine.wyk", 5);
  EXPECT_EQ(Sorted(GetPresetNames(Folders)), (std::vector<std::string>{"Mine", "Wood", "blue"}));

  EXPECT_EQ(LoadedIntensity("Wood"), 1);
  EXPECT_EQ(LoadedIntensity("Mine"), 5);
  EXPECT_EQ(LoadedIntensity("blue"), 4);
  EXPECT_EQ(LoadedIntensity("Gone"), 0);
  EXPECT_EQ(LoadedIntensity("(Random Preset)"), 0);
  // A name that climbs out of the folders loads nothing from there.
  Put((Root / "program").string() + "/", "Outside.wyk", 6);
  EXPECT_EQ(LoadedIntensity("../Outside"), 0);

  // Without a per-user folder only the delivered styles count.
  EXPECT_EQ(Sorted(GetPresetNames(TStyleFolders{Folders.Program, ""})), (std::vector<std::string>{"Blue", "Wood"}));
}

TEST_F(TwoFolders, SavingPrefersTheProgramFolderUnlessItCannotBeWrittenOrTheUserHasTheName) {
  ASSERT_TRUE(SavePreset(Folders, "New", Style(7)));
  EXPECT_TRUE(Has(Folders.Program, "New.wyk"));
  EXPECT_FALSE(fs::exists(Folders.PerUser));  // created only when needed

  Put(Folders.PerUser, "Mine.wyk", 1);
  ASSERT_TRUE(SavePreset(Folders, "Mine", Style(8)));
  EXPECT_FALSE(Has(Folders.Program, "Mine.wyk")) << "a copy there would stay hidden";
  EXPECT_EQ(LoadedIntensity("Mine"), 8);

  fs::remove_all(Root);
  MakeProgramFolderUnwritable();
  ASSERT_TRUE(SavePreset(Folders, "New", Style(9)));
  EXPECT_TRUE(Has(Folders.PerUser, "New.wyk"));
  EXPECT_EQ(LoadedIntensity("New"), 9);
  EXPECT_EQ(GetPresetNames(Folders), std::vector<std::string>{"New"});

  // Both folders refused: the failure reaches the caller, nothing is written.
  const TStyleFolders Neither{Folders.Program, Folders.Program + "user/"};
  const TSaveResult Failed = SavePreset(Neither, "Lost", Style(1));
  EXPECT_FALSE(Failed);
  EXPECT_NE(Failed.Message, "");
  EXPECT_FALSE(SavePreset(TStyleFolders{Folders.Program, ""}, "Lost", Style(1)));
}

TEST_F(TwoFolders, RefusedNamesWriteAndDeleteNothing) {
  Put((Root / "program").string() + "/", "Outside.wyk");
  // The last is not UTF-8, as an older style's stored name may be.
  for (const char* Name : {"", "  ", "../Outside", "a:b", "(Random Preset)", "Gr\xFCn"}) {
    const TSaveResult Saved = SavePreset(Folders, Name, Style(1));
    EXPECT_EQ(Saved.Code, 3) << Name;
    EXPECT_EQ(Saved.Message, PresetNameError(Name));
    EXPECT_EQ(DeletePreset(Folders, Name).Message, PresetNameError(Name));
    EXPECT_EQ(PresetFilePath(Folders, Name), "") << Name;
  }
  EXPECT_EQ(PresetNameError("Gr\xFCn"), "Invalid filename");
  EXPECT_TRUE(Has((Root / "program").string() + "/", "Outside.wyk"));
  EXPECT_FALSE(fs::exists(Folders.Program));
  EXPECT_FALSE(fs::exists(Folders.PerUser));
}

TEST_F(TwoFolders, DeletingRemovesTheFileWhereItLives) {
  Put(Folders.Program, "Blue.wyk", 2);
  Put(Folders.PerUser, "Blue.wyk", 4);
  Put(Folders.PerUser, "Mine.wyk", 5);

  ASSERT_TRUE(DeletePreset(Folders, "Mine"));
  EXPECT_FALSE(Has(Folders.PerUser, "Mine.wyk"));
  // The user's copy goes first, and the delivered style shows again.
  ASSERT_TRUE(DeletePreset(Folders, "Blue"));
  EXPECT_EQ(LoadedIntensity("Blue"), 2);
  ASSERT_TRUE(DeletePreset(Folders, "Blue"));
  EXPECT_FALSE(Has(Folders.Program, "Blue.wyk"));
  EXPECT_TRUE(DeletePreset(Folders, "Never There"));

  // A style that stays where it is (here a folder in its place, which
  // cannot be removed while it holds something) gives the error message.
  fs::create_directories(TestPath(Folders.Program + "Stuck.wyk/inside"));
  const TSaveResult Stuck = DeletePreset(Folders, "Stuck");
  EXPECT_FALSE(Stuck);
  EXPECT_EQ(Stuck.Message, IOErrorMessage(Stuck.Code));
  EXPECT_TRUE(Has(Folders.Program, "Stuck.wyk"));

#if defined(_WIN32)
  // A delivered style marked read-only cannot be deleted on Windows.
  Put(Folders.Program, "Locked.wyk");
  const fs::path Locked = TestPath(Folders.Program + "Locked.wyk");
  fs::permissions(Locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const TSaveResult Denied = DeletePreset(Folders, "Locked");
  fs::permissions(Locked, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(Denied.Code, 5);
  EXPECT_EQ(Denied.Message, "File access denied");
  EXPECT_TRUE(Has(Folders.Program, "Locked.wyk"));
#endif
}

TEST_F(TwoFolders, GreekAndJapaneseNamesSaveListAndLoad) {
  MakeProgramFolderUnwritable();
  for (const std::string Name : {"Φλόγα του δάσους", "炎の色"}) {
    ASSERT_TRUE(SavePreset(Folders, Name, Style(6))) << Name;
    EXPECT_EQ(LoadedIntensity(Name), 6) << Name;
  }
  EXPECT_EQ(Sorted(GetPresetNames(Folders)), (std::vector<std::string>{"Φλόγα του δάσους", "炎の色"}));
  EXPECT_TRUE(DeletePreset(Folders, "炎の色"));
  EXPECT_EQ(GetPresetNames(Folders), std::vector<std::string>{"Φλόγα του δάσους"});

  // The stored name holds 20 bytes: whole characters only, so that a later
  // save under the stored name still makes a valid file name.
  TFlamePreset p = Style(1);
  SetPresetName(p, "Φλόγα του δάσους");  // 20 bytes end with "δ"
  EXPECT_EQ(PresetName(p), "Φλόγα του δ");
  SetPresetName(p, "1Φλόγα του δάσους");  // byte 20 is inside "δ"
  EXPECT_EQ(PresetName(p), "1Φλόγα του ");
  SetPresetName(p, "炎の色炎の色炎の色");  // three bytes a character
  EXPECT_EQ(PresetName(p), "炎の色炎の色");
  EXPECT_EQ(PresetNameError(PresetName(p)), "");
}

TEST_F(TwoFolders, RandomActiveStyleComesFromEitherFolderWithOneDraw) {
  Put(Folders.PerUser, "Mine.wyk", 5);
  Randomize(1234);
  TFlamePreset p = Style(0);
  LoadRandomActivePreset(Folders, {"Mine"}, p);
  EXPECT_EQ(p.FlameIntensity, 5);
  EXPECT_EQ(GetRandSeed(), 1234u * 134775813u + 1u);
}

TEST_F(TwoFolders, PicturesOfBothFolders) {
  const TStyleFolders Pictures{(Root / "program" / "Background Images").string() + "/",
                               (Root / "user" / "Background Images").string() + "/"};
  Put(Pictures.Program, "Castles - Night.jpg");
  Put(Pictures.Program, "Forest.jpg");
  Put(Pictures.PerUser, "forest.JPG");
  Put(Pictures.PerUser, "Ελιά.jpg");
  EXPECT_EQ(Sorted(BackgroundFileNames(Pictures)),
            (std::vector<std::string>{"Castles - Night.jpg", "forest.JPG", "Ελιά.jpg"}));
  EXPECT_EQ(Sorted(ListBackgrounds(Pictures)), (std::vector<std::string>{"Castles - Night", "forest", "Ελιά"}));

  EXPECT_EQ(BackgroundPicturePath(Pictures, "Castles - Night"), Pictures.Program + "Castles - Night.jpg");
  EXPECT_EQ(BackgroundPicturePath(Pictures, "Ελιά"), Pictures.PerUser + "Ελιά.jpg");
  EXPECT_EQ(BackgroundPicturePath(TStyleFolders{Pictures.Program, ""}, "Ελιά"), Pictures.Program + "Ελιά.jpg");
  EXPECT_EQ(BackgroundPicturePath(Pictures, "../../etc/passwd"), "");
  EXPECT_EQ(BackgroundPicturePath(Pictures, "Gr\xFCn"), "") << "no file has a name that is not UTF-8";
}

TEST_F(TwoFolders, FolderNamesFromTheProcessState) {
  const std::string OldProgram = Settings.ProgramDir, OldUser = UserDataDir;
  EXPECT_EQ(UserDataDirFor("C:\\Users\\me\\AppData\\Roaming"), "C:\\Users\\me\\AppData\\Roaming\\Emberdell\\");
  EXPECT_EQ(UserDataDirFor("C:\\Roaming\\"), "C:\\Roaming\\Emberdell\\");
  EXPECT_EQ(UserDataDirFor(""), "");

  Settings.ProgramDir = "D:\\Fire";  // used as it is, without a separator added
  UserDataDir = "";
  EXPECT_EQ(PresetFolders().Program, "D:\\FireFlame Presets\\");
  EXPECT_EQ(PresetFolders().PerUser, "");
  UserDataDir = "C:\\U\\Emberdell\\";
  EXPECT_EQ(PresetFolders().PerUser, "C:\\U\\Emberdell\\Flame Presets\\");
  EXPECT_EQ(BackgroundFolders().Program, "D:\\FireBackground Images\\");
  EXPECT_EQ(BackgroundFolders().PerUser, "C:\\U\\Emberdell\\Background Images\\");

  // "Advanced..." offers the program's picture folder while it can be
  // written, and the user's own one, made on the spot, once it cannot.
  Settings.ProgramDir = (Root / "program").string() + "/";
  UserDataDir = (Root / "user").string() + "/";
  EXPECT_EQ(AdvancedBackgroundFolder(), BackgroundFolders().Program);
  EXPECT_TRUE(fs::is_directory(BackgroundFolders().Program));
  EXPECT_EQ(fs::directory_iterator(BackgroundFolders().Program), fs::directory_iterator()) << "probe left behind";
  fs::remove_all(Root);
  fs::create_directories(Root);
  std::ofstream(Root / "program") << "a file, so nothing can be made beneath it";
  EXPECT_EQ(AdvancedBackgroundFolder(), BackgroundFolders().PerUser);
  EXPECT_TRUE(fs::is_directory(BackgroundFolders().PerUser));

  Settings.ProgramDir = OldProgram;
  UserDataDir = OldUser;
}
