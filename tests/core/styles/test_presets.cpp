#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/styles/uPresets.h"
#include "core/shared/uFileUtils.h"
#include "core/shared/uRandom.h"
#include "core/shared/uUnicode.h"
#include "tests/support/temp_folder.h"

using namespace emberdell;
namespace fs = std::filesystem;

namespace {

class PresetFolder : public testing::Test {
 protected:
  void WriteBytes(const std::string& Name, const std::vector<uint8_t>& Bytes) {
    fs::create_directories(Folder);
    std::ofstream(Folder + Name, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
  }
  support::TTempFolder Temp{"emberdell-presets"};
  fs::path Root = Temp.Path();
  std::string Folder = (Root / "Flame Presets").string() + "/";
};

TFlamePreset Sample(const char* Name) {
  TFlamePreset p;
  std::memset(&p, 0xAB, sizeof p);
  SetPresetName(p, Name);
  p.FlameIntensity = 7;
  p.SpiresLength = 3;
  p.Wind = -1;
  for (int i = 0; i < 256; ++i) {
    p.Red[i] = uint8_t(255 - i);
    p.Green[i] = uint8_t(i);
    p.Blue[i] = uint8_t(i * 7);
  }
  return p;
}

std::vector<uint8_t> Bytes(const TFlamePreset& p) {
  const auto* b = reinterpret_cast<const uint8_t*>(&p);
  return std::vector<uint8_t>(b, b + sizeof p);
}

}  // namespace

TEST(PresetRecord, LittleEndianLayout) {
  TFlamePreset p;
  std::memset(&p, 0, sizeof p);
  SetPresetName(p, "Ember");
  p.FlameIntensity = 0x01020304;
  p.Wind = -1;
  p.Red[0] = 0x11;
  p.Blue[255] = 0x22;
  const auto b = Bytes(p);
  EXPECT_EQ(b[0], 5);
  EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 6), "Ember");
  EXPECT_EQ(b[24], 0x04);
  EXPECT_EQ(b[27], 0x01);
  EXPECT_EQ(b[32], 0xFF);
  EXPECT_EQ(b[35], 0xFF);
  EXPECT_EQ(b[36], 0x11);
  EXPECT_EQ(b[803], 0x22);
}

TEST_F(PresetFolder, SaveAndLoadRoundTrip) {
  const TFlamePreset p = Sample("whatever");
  ASSERT_TRUE(SavePreset(Folder, "Blue Fire", p));  // creates the folder too
  EXPECT_EQ(fs::file_size(Folder + "Blue Fire.wyk"), 804u);
  TFlamePreset q;
  LoadPreset(Folder, "Blue Fire", q);
  EXPECT_EQ(PresetName(q), "Blue Fire");
  TFlamePreset Expected = p;
  SetPresetName(Expected, "Blue Fire");
  EXPECT_EQ(Bytes(q), Bytes(Expected));  // gap and name tail bytes kept as held
  EXPECT_FALSE(fs::exists(Folder + "Blue Fire.wyk.tmp"));
}

TEST_F(PresetFolder, LongNamesKeepTheWholeFileNameAndTwentyStoredCharacters) {
  const std::string Name = "Twenty-five characters!!!";
  ASSERT_EQ(Name.size(), 25u);
  ASSERT_TRUE(SavePreset(Folder, Name, Sample("x")));
  TFlamePreset q;
  LoadPreset(Folder, Name, q);
  EXPECT_EQ(q.NameLength, 20);
  EXPECT_EQ(PresetName(q), Name.substr(0, 20));
}

TEST_F(PresetFolder, FileLengths) {
  const TFlamePreset p = Sample("Stored Name");
  auto b = Bytes(p);
  WriteBytes("Exact.wyk", b);
  b.resize(803);
  WriteBytes("Short.wyk", b);
  auto Long = Bytes(p);
  Long.resize(1000, 0x5A);
  WriteBytes("Long.wyk", Long);

  TFlamePreset q;
  LoadPreset(Folder, "Exact", q);
  EXPECT_EQ(PresetName(q), "Stored Name");  // the stored name wins over the file name
  LoadPreset(Folder, "Short", q);
  EXPECT_EQ(PresetName(q), "(Random Preset)");
  LoadPreset(Folder, "Long", q);
  EXPECT_EQ(Bytes(q), Bytes(p));
  LoadPreset(Folder, "Missing", q);
  EXPECT_EQ(PresetName(q), "(Random Preset)");

  auto Names = GetPresetNames(Folder);
  std::sort(Names.begin(), Names.end());
  EXPECT_EQ(Names, (std::vector<std::string>{"Exact", "Long", "Short"}));
}

TEST_F(PresetFolder, ListsStylesInAnyCaseAndNeverAFolder) {
  EXPECT_TRUE(GetPresetNames(Folder).empty());  // the folder does not exist yet
  for (const char* Name : {"Upper.WYK", "Mixed.Wyk", "notes.txt", "wyk", "Kept.wyk.tmp"}) WriteBytes(Name, {1});
  fs::create_directories(Folder + "Sub.wyk");
  auto Names = GetPresetNames(Folder);
  std::sort(Names.begin(), Names.end());
  EXPECT_EQ(Names, (std::vector<std::string>{"Mixed", "Upper"}));
}

TEST_F(PresetFolder, ReadOnlyStylesStillLoad) {
  const TFlamePreset p = Sample("Kept");
  ASSERT_TRUE(SavePreset(Folder, "Kept", p));
  fs::permissions(Folder + "Kept.wyk", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  TFlamePreset q;
  LoadPreset(Folder, "Kept", q);
  EXPECT_EQ(PresetName(q), "Kept");
  fs::permissions(Folder + "Kept.wyk", fs::perms::owner_all);
}

TEST_F(PresetFolder, NamesThatWouldLeaveTheFolderAreRefused) {
  const char* Bad[] = {"../escape", "..\\escape", "sub/name", "C:evil", "a*b", "what?", "pipe|", "quote\"",
                       "<less", "more>", ".", "..", "", "CON", "nul", "com1", "LPT9.old", "tab\there"};
  for (const char* Name : Bad) {
    const TSaveResult r = SavePreset(Folder, Name, Sample("x"));
    EXPECT_EQ(r.Code, 3) << Name;
    EXPECT_EQ(r.Message, "Invalid filename") << Name;
  }
  EXPECT_FALSE(fs::exists(Root / "escape.wyk"));
  EXPECT_FALSE(fs::exists(Root / "Flame Presets" / "sub"));
  EXPECT_TRUE(IsValidPresetName("(Default) Wood"));
  EXPECT_TRUE(IsValidPresetName("Console"));
  EXPECT_TRUE(IsValidPresetName("a.b"));
}

TEST_F(PresetFolder, FailedSaveReportsAndKeepsTheOldFile) {
  const TFlamePreset Old = Sample("Old");
  ASSERT_TRUE(SavePreset(Folder, "Old", Old));
  // A folder where the temporary file should go makes the write fail.
  fs::create_directories(Folder + "Old.wyk.tmp");
  const TSaveResult r = SavePreset(Folder, "Old", Sample("New"));
  EXPECT_NE(r.Code, 0);
  EXPECT_FALSE(r.Message.empty());
  TFlamePreset q;
  LoadPreset(Folder, "Old", q);
  EXPECT_EQ(PresetName(q), "Old");
  EXPECT_EQ(Bytes(q)[36], Old.Red[0]);

  // The style folder cannot be made below a file.
  std::ofstream(Root / "blocker") << "x";
  const TSaveResult r2 = SavePreset((Root / "blocker").string() + "/", "x", Sample("x"));
  EXPECT_NE(r2.Code, 0);
}

TEST(IOErrorMessage, RunTimeErrorTexts) {
  EXPECT_EQ(IOErrorMessage(2), "File not found");
  EXPECT_EQ(IOErrorMessage(3), "Invalid filename");
  EXPECT_EQ(IOErrorMessage(4), "Too many open files");
  EXPECT_EQ(IOErrorMessage(5), "File access denied");
  EXPECT_EQ(IOErrorMessage(101), "Disk full");
  EXPECT_EQ(IOErrorMessage(32), "I/O error 32");
}

TEST(RandomPreset, CurveExamples) {
  uint8_t Curve[256];
  std::memset(Curve, 255, sizeof Curve);
  MakeRandomCurve(254, 599, Curve);
  EXPECT_EQ(Curve[253], 255);
  EXPECT_EQ(Curve[254], 255);
  EXPECT_EQ(Curve[255], 0);

  MakeRandomCurve(-20, 275, Curve);  // slope 1
  EXPECT_EQ(Curve[0], 235);
  EXPECT_EQ(Curve[235], 0);  // 255 reached and held
  EXPECT_EQ(Curve[255], 0);

  // Slope 1/256 and 3/256 are exact, so halves really occur: they go to even.
  MakeRandomCurve(-1, 1, Curve);
  EXPECT_EQ(Curve[127], 255);  // 0.5 -> 0
  EXPECT_EQ(Curve[128], 254);  // 0.50390625 -> 1
  MakeRandomCurve(-1, 3, Curve);
  EXPECT_EQ(Curve[127], 253);  // 1.5 -> 2
  MakeRandomCurve(-1, 5, Curve);
  EXPECT_EQ(Curve[127], 253);  // 2.5 -> 2

  std::memset(Curve, 7, sizeof Curve);
  MakeRandomCurve(100, 0, Curve);
  EXPECT_EQ(Curve[99], 7);  // below a nothing is written
  EXPECT_EQ(Curve[100], 255);
  EXPECT_EQ(Curve[255], 255);
}

TEST(RandomPreset, DrawOrderAndRanges) {
  for (uint32_t Seed : {0u, 1u, 77u, 123456789u, 0xFFFFFFFFu}) {
    Randomize(Seed);
    TFlamePreset p;
    std::memset(&p, 0x3C, sizeof p);
    MakeRandomPreset(p);
    // Replay: intensity, spires, wind, then (a, b) per channel.
    uint32_t s = Seed;
    EXPECT_EQ(p.FlameIntensity, 5 + int(RandomStep(s, 6)));
    EXPECT_EQ(p.SpiresLength, 5 + int(RandomStep(s, 6)));
    EXPECT_EQ(p.Wind, int(RandomStep(s, 3)) - 1);
    uint8_t* Curves[] = {p.Red, p.Green, p.Blue};
    const uint32_t BRange[] = {600, 400, 400};
    for (int c = 0; c < 3; ++c) {
      int a = int(RandomStep(s, 276)) - 20;
      if (a >= 255) a = 254;
      const int b = int(RandomStep(s, BRange[c]));
      uint8_t Expected[256];
      std::memset(Expected, 255, sizeof Expected);
      MakeRandomCurve(a, b, Expected);
      EXPECT_EQ(0, std::memcmp(Curves[c], Expected, 256)) << "channel " << c << " seed " << Seed;
    }
    EXPECT_EQ(GetRandSeed(), s);
    EXPECT_EQ(PresetName(p), "(Random Preset)");
    EXPECT_EQ(p.NameChars[15], 0x3C);  // the rest of the name field stays
    EXPECT_EQ(p.Gap[0], 0x3C);
  }
}

TEST_F(PresetFolder, RandomActiveChoice) {
  ASSERT_TRUE(SavePreset(Folder, "One", Sample("x")));
  TFlamePreset p;
  LoadRandomActivePreset(Folder, {}, p);
  EXPECT_EQ(PresetName(p), "(Random Preset)");
  LoadRandomActivePreset(Folder, {"(Random Preset)"}, p);
  EXPECT_EQ(PresetName(p), "(Random Preset)");
  LoadRandomActivePreset(Folder, {"One"}, p);
  EXPECT_EQ(PresetName(p), "One");
  // The entry is Random(count): replay which one is picked.
  Randomize(5);
  uint32_t s = 5;
  const uint32_t Pick = RandomStep(s, 3);
  ASSERT_TRUE(SavePreset(Folder, "Two", Sample("x")));
  ASSERT_TRUE(SavePreset(Folder, "Three", Sample("x")));
  const std::vector<std::string> Active = {"One", "Two", "Three"};
  LoadRandomActivePreset(Folder, Active, p);
  EXPECT_EQ(PresetName(p), Active[Pick]);
}

TEST(MorphPreset, StepsTowardTheTargetWithoutPassingIt) {
  TFlamePreset Cur, Tgt;
  std::memset(&Cur, 0, sizeof Cur);
  std::memset(&Tgt, 0, sizeof Tgt);
  SetPresetName(Cur, "Current");
  SetPresetName(Tgt, "Target");
  std::memset(Tgt.Red, 255, 256);
  Tgt.Green[5] = 3;
  Cur.Blue[9] = 200;
  Tgt.FlameIntensity = 10;
  Cur.FlameIntensity = 5;
  Tgt.Wind = -1;
  Cur.Wind = 1;
  MorphPreset(Cur, Tgt);
  EXPECT_EQ(Cur.Red[0], 16);  // 255 / 16 = 15, plus 1
  EXPECT_EQ(Cur.Green[5], 1);
  EXPECT_EQ(Cur.Blue[9], 200 - 12 - 1);
  EXPECT_EQ(Cur.FlameIntensity, 5 + 2 + 1);
  EXPECT_EQ(Cur.Wind, 1 - 1 - 1);
  EXPECT_EQ(PresetName(Cur), "Current");
  int Steps = 1;
  while (Cur.Red[0] != 255) {
    const int Before = Cur.Red[0];
    MorphPreset(Cur, Tgt);
    ASSERT_GT(Cur.Red[0], Before);
    ++Steps;
  }
  EXPECT_EQ(Steps, 52);
  EXPECT_EQ(Cur.FlameIntensity, 10);
  EXPECT_EQ(Cur.Wind, -1);
  EXPECT_EQ(Cur.Blue[9], 0);
  // Extreme hand-made values do not overflow.
  Cur.SpiresLength = -2147483647 - 1;
  Tgt.SpiresLength = 2147483647;
  MorphPreset(Cur, Tgt);
  EXPECT_GE(Cur.SpiresLength, -1);
  EXPECT_LE(Cur.SpiresLength, 2147483647);
}

namespace {

std::string Stored(const TFlamePreset& p) { return std::string(p.NameChars, p.NameLength); }

}  // namespace

TEST(PresetStoredName, AnsiWhereTheCodePageHoldsTheNameElseUtf8CutBetweenCharacters) {
  ResetAnsiCodePage();
  struct Case {
    const char* What;
    std::string Name, Stored, Reads;
  };
  const std::string Fire = "\xD0\x9E\xD0\xB3\xD0\xBE\xD0\xBD\xD1\x8C \xD0\xB2 \xD0\xBA\xD0\xB0\xD0\xBC\xD0\xB8\xD0\xBD\xD0\xB5";
  const std::string FireCut = Fire.substr(0, 20);  // "Огонь в кам", whole letters
  const Case Cases[] = {
      {"ascii", "Gas Flame", "Gas Flame", "Gas Flame"},
      {"latin in ansi", "Gr\xC3\xBCn Feuer", "Gr\xFCn Feuer", "Gr\xC3\xBCn Feuer"},
      {"twenty ansi characters of a longer name", "Gr\xC3\xBCne Glut im Kamin am Abend",
       "Gr\xFCne Glut im Kamin ", "Gr\xC3\xBCne Glut im Kamin "},
      {"cyrillic has no ansi form", Fire, FireCut, FireCut},
      {"a cut never splits a letter", "a" + Fire, "a" + Fire.substr(0, 18), "a" + Fire.substr(0, 18)},
      {"ansi bytes that read as other utf-8", "\xC3\x83\xC2\xBC" "ber", "\xC3\x83\xC2\xBC" "ber",
       "\xC3\x83\xC2\xBC" "ber"},
      {"a name with a character ansi lacks", "Gr\xC3\xBCn \xD0\x9E", "Gr\xC3\xBCn \xD0\x9E", "Gr\xC3\xBCn \xD0\x9E"},
  };
  for (const Case& c : Cases) {
    TFlamePreset p{};
    SetPresetName(p, c.Name);
    EXPECT_EQ(Stored(p), c.Stored) << c.What;
    EXPECT_EQ(PresetName(p), c.Reads) << c.What;
  }
}

TEST(PresetStoredName, BytesThatAreNeitherUtf8NorAnsiShowReplaced) {
  // A code page that cannot read byte 0xFC, as a double-byte one cannot
  // read a lead byte without its trail.
  SetAnsiCodePage({[](std::string_view Ansi, std::u16string& Out) {
                     Out.assign(Ansi.begin(), Ansi.end());
                     return Ansi.find('\xFC') == std::string_view::npos;
                   },
                   [](std::u16string_view, std::string&) { return false; }});
  TFlamePreset p{};
  p.NameLength = 4;
  std::memcpy(p.NameChars, "Gr\xFCn", 4);
  EXPECT_EQ(PresetName(p), "Gr\xEF\xBF\xBDn");
  ResetAnsiCodePage();
  EXPECT_EQ(PresetName(p), "Gr\xC3\xBCn");
}

TEST(PresetStoredName, ACutStoredNameCountsAsTheFileName) {
  ResetAnsiCodePage();
  const std::string Fire = "\xD0\x9E\xD0\xB3\xD0\xBE\xD0\xBD\xD1\x8C \xD0\xB2 \xD0\xBA\xD0\xB0\xD0\xBC\xD0\xB8\xD0\xBD\xD0\xB5";
  // "Огонь в камине у дома", 21 letters: the older version kept 20 of them.
  const std::string Home = Fire + " \xD1\x83 \xD0\xB4\xD0\xBE\xD0\xBC\xD0\xB0";
  struct Case {
    std::string Stored, File;
    bool Same;
  };
  const Case Cases[] = {
      {"Gas Flame", "Gas Flame", true},
      {"gas flame", "Gas Flame", true},
      {Fire.substr(0, 20), Fire, true},
      {Fire.substr(0, 18), Fire, false},  // shorter than any cut
      {Home.substr(0, Home.size() - 2), Home, true},
      {"Gr\xC3\xBCne Glut im Kamin ", "Gr\xC3\xBCne Glut im Kamin am Abend", true},
      {"Gr\xC3\xBCne Glut im Kamin", "Gr\xC3\xBCne Glut im Kamin am Abend", false},
      {"Fire", "Fire 2", false},
      {"Fire 2", "Fire", false},
      {"Embers", "Blaze", false},
  };
  for (const Case& c : Cases) EXPECT_EQ(IsStoredNameOf(c.Stored, c.File), c.Same) << c.Stored << " / " << c.File;
}

TEST_F(PresetFolder, AnOlderStyleWithAnAnsiNameSavesIntoItsOwnFile) {
  ResetAnsiCodePage();
  const std::string Name = "Gr\xC3\xBCn Feuer";
  TFlamePreset Old = Sample("x");
  Old.NameLength = 10;
  std::memcpy(Old.NameChars, "Gr\xFCn Feuer", 10);
  fs::create_directories(Folder);
  std::FILE* f = OpenFile(Folder + Name + ".wyk", "wb");  // a UTF-8 name, which the streams would read as ANSI
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fwrite(&Old, sizeof Old, 1, f), 1u);
  std::fclose(f);

  ASSERT_EQ(GetPresetNames(Folder), std::vector<std::string>{Name});
  TFlamePreset q;
  LoadPreset(Folder, Name, q);
  ASSERT_EQ(PresetName(q), Name);
  q.Wind = 1;
  ASSERT_TRUE(SavePreset(Folder, PresetName(q), q));
  EXPECT_EQ(GetPresetNames(Folder), std::vector<std::string>{Name}) << "a second file was written";
  TFlamePreset r;
  LoadPreset(Folder, Name, r);
  EXPECT_EQ(r.Wind, 1);
  EXPECT_EQ(Stored(r), "Gr\xFCn Feuer") << "stored as the older version reads it";
}
