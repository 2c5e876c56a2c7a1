// The hack's command line: what the daemon, its settings program and a user
// type must land in the right fields, and every mistake must be refused with
// one line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine/uCore.h"
#include "x11/uX11Options.h"
#include "x11/uX11Pixels.h"

using namespace emberdell;

TEST(X11WindowId, DecimalAndHex) {
  struct {
    const char* Text;
    bool Ok;
    unsigned long Id;
  } Cases[] = {
      {"12345", true, 12345},     {"0x1a00003", true, 0x1a00003}, {"0X1A00003", true, 0x1a00003},
      {"4294967295", true, 0xFFFFFFFFul}, {"0", false, 0},        {"0x0", false, 0},
      {"", false, 0},             {"0x", false, 0},               {"12a", false, 0},
      {"-5", false, 0},           {"4294967296", false, 0},       {"0x100000000", false, 0},
      {" 12", false, 0},          {"1a", false, 0},
  };
  for (const auto& c : Cases) {
    unsigned long Id = 0;
    EXPECT_EQ(ParseWindowId(c.Text, Id), c.Ok) << c.Text;
    if (c.Ok) {
      EXPECT_EQ(Id, c.Id) << c.Text;
    }
  }
}

TEST(X11Options, WhatEachOptionSets) {
  struct {
    std::vector<std::string> Args;
    const char* Env;
    TX11Target Target;
    unsigned long Id;
  } Cases[] = {
      {{}, nullptr, TX11Target::OwnWindow, 0},
      {{"-root"}, nullptr, TX11Target::Root, 0},
      {{"--root"}, nullptr, TX11Target::Root, 0},
      {{"-window"}, nullptr, TX11Target::OwnWindow, 0},
      {{"-window-id", "0x400001"}, nullptr, TX11Target::WindowId, 0x400001},
      {{"--window-id", "77"}, nullptr, TX11Target::WindowId, 77},
      // The daemon's variable chooses the window unless the command line does.
      {{}, "0x600005", TX11Target::WindowId, 0x600005},
      {{}, "6291461", TX11Target::WindowId, 6291461},
      {{}, "", TX11Target::OwnWindow, 0},
      // Under the daemon, -root means the daemon's window.
      {{"-root"}, "0x600005", TX11Target::WindowId, 0x600005},
      {{"-window"}, "0x600005", TX11Target::OwnWindow, 0},
      {{"-window-id", "9"}, "0x600005", TX11Target::WindowId, 9},
  };
  for (const auto& c : Cases) {
    TX11Options o;
    std::string Error;
    ASSERT_TRUE(ParseX11Options(c.Args, c.Env, o, Error)) << Error;
    EXPECT_EQ(o.Target, c.Target);
    if (c.Target == TX11Target::WindowId) {
      EXPECT_EQ(o.WindowId, c.Id);
    }
  }

  TX11Options o;
  std::string Error;
  ASSERT_TRUE(ParseX11Options({"-delay", "20000", "--fps", "-background", "pic.jpg", "-style", "gas-flame",
                               "-change-delay", "30", "-picture-height", "60", "-no-shm", "-display", ":7"},
                              nullptr, o, Error))
      << Error;
  EXPECT_EQ(o.DelayMicroseconds, 20000);
  EXPECT_TRUE(o.ShowFps);
  EXPECT_EQ(o.Background, "pic.jpg");
  EXPECT_EQ(o.Style, "gas-flame");
  EXPECT_FALSE(o.RandomStyle);
  EXPECT_EQ(ResolvedChangeDelay(o), 30);
  EXPECT_EQ(o.PictureHeight, 60);
  EXPECT_FALSE(o.UseShm);
  EXPECT_EQ(o.Display, ":7");
}

TEST(X11Options, Defaults) {
  TX11Options o;
  std::string Error;
  ASSERT_TRUE(ParseX11Options({}, nullptr, o, Error));
  EXPECT_EQ(o.DelayMicroseconds, 40000);  // 25 frames a second
  EXPECT_TRUE(o.RandomStyle);
  EXPECT_EQ(ResolvedChangeDelay(o), DefaultChangeDelaySeconds);
  EXPECT_EQ(o.PictureHeight, 100);
  EXPECT_TRUE(o.UseShm);
  // A named style or file stays unless a change delay is asked for.
  TX11Options Named;
  ASSERT_TRUE(ParseX11Options({"-style-file", "a.wyk"}, nullptr, Named, Error));
  EXPECT_EQ(ResolvedChangeDelay(Named), 0);
  TX11Options Never;
  ASSERT_TRUE(ParseX11Options({"-random-style", "-change-delay", "0"}, nullptr, Never, Error));
  EXPECT_EQ(ResolvedChangeDelay(Never), 0);
}

TEST(X11Options, MistakesGiveOneLine) {
  struct {
    std::vector<std::string> Args;
    const char* Env;
    const char* Says;
  } Cases[] = {
      {{"-bogus"}, nullptr, "unknown option \"-bogus\""},
      {{"root"}, nullptr, "unknown option \"root\""},
      {{"-delay"}, nullptr, "option -delay needs a value"},
      {{"-delay", "fast"}, nullptr, "needs a whole number from 0 to 10000000"},
      {{"-delay", "-1"}, nullptr, "needs a whole number"},
      {{"-delay", "99999999999999999999"}, nullptr, "needs a whole number"},
      {{"-window-id", "nine"}, nullptr, "needs a window id in decimal or hex"},
      {{"-window-id"}, nullptr, "needs a value"},
      {{"-root", "-window-id", "5"}, nullptr, "choose one of -root, -window and -window-id"},
      {{"-root", "-window"}, nullptr, "choose one of"},
      {{"-picture-height", "49"}, nullptr, "from 50 to 100"},
      {{"-picture-height", "101"}, nullptr, "from 50 to 100"},
      {{"-change-delay", "1.5"}, nullptr, "needs a whole number"},
      {{"-style", "a", "-random-style"}, nullptr, "choose one of -style, -style-file and -random-style"},
      {{"-style", "a", "-style-file", "b"}, nullptr, "choose one of -style"},
      {{"-background", ""}, nullptr, "needs a picture file"},
      {{}, "garbage", "XSCREENSAVER_WINDOW holds no window id: \"garbage\""},
  };
  for (const auto& c : Cases) {
    TX11Options o;
    std::string Error;
    EXPECT_FALSE(ParseX11Options(c.Args, c.Env, o, Error)) << c.Says;
    EXPECT_NE(Error.find(c.Says), std::string::npos) << Error;
    EXPECT_EQ(Error.find('\n'), std::string::npos) << Error;
  }
}

TEST(X11Options, StyleNamesWithoutQuoting) {
  struct {
    const char* Wanted;
    const char* Name;
    bool Match;
  } Cases[] = {
      {"Gas Flame", "Gas Flame", true},  {"gas-flame", "Gas Flame", true},     {"GAS_FLAME", "Gas Flame", true},
      {"default-wood", "(Default) Wood", true}, {"wood", "(Default) Wood", false}, {"gas", "Gas Flame", false},
      {"--", "Gas Flame", false},        {"", "", true},
  };
  for (const auto& c : Cases) EXPECT_EQ(StyleNameMatches(c.Wanted, c.Name), c.Match) << c.Wanted << " / " << c.Name;
}

TEST(X11Pixels, TableFollowsTheVisualsMasks) {
  TBitmapInfo8 Info{};
  Info.Colors[1][0] = 0x10;  // blue
  Info.Colors[1][1] = 0x80;  // green
  Info.Colors[1][2] = 0xF0;  // red
  uint32_t Table[256];
  MakePixelTable(Info, TPixelFormat{}, Table);
  EXPECT_EQ(Table[1], 0x00F08010u);
  EXPECT_EQ(Table[0], 0u);
  // A 32-bit visual keeps the top byte for alpha: the fire must be opaque.
  TPixelFormat Argb;
  Argb.Opaque = 0xFF000000u;
  MakePixelTable(Info, Argb, Table);
  EXPECT_EQ(Table[1], 0xFFF08010u);
  // Red and blue swapped, as some servers order them.
  TPixelFormat Bgr{0x000000FF, 0x0000FF00, 0x00FF0000, 0};
  MakePixelTable(Info, Bgr, Table);
  EXPECT_EQ(Table[1], 0x001080F0u);
  // A 30-bit visual: ten bits a channel, the byte in the top bits.
  TPixelFormat Deep{0x3FF00000, 0x000FFC00, 0x000003FF, 0};
  EXPECT_EQ(PlaceChannel(0xFF, Deep.RedMask), 0x3FC00000u);

  // Back from the screen: what the desktop grab hands to the core.
  const uint32_t Screen[2] = {0x00F08010u, 0x001080F0u};
  uint8_t Out[8];
  PixelsToBgrx(Screen, 1, TPixelFormat{}, Out);
  PixelsToBgrx(Screen + 1, 1, Bgr, Out + 4);
  const uint8_t Expected[8] = {0x10, 0x80, 0xF0, 0, 0x10, 0x80, 0xF0, 0};
  EXPECT_EQ(std::memcmp(Out, Expected, 8), 0);
}

namespace {

std::string ReadText(const std::string& Path) {
  std::FILE* File = std::fopen(Path.c_str(), "rb");
  if (File == nullptr) return {};
  std::string Text;
  char Buffer[4096];
  for (size_t Got; (Got = std::fread(Buffer, 1, sizeof Buffer, File)) > 0;) Text.append(Buffer, Got);
  std::fclose(File);
  return Text;
}

const TX11OptionInfo* Option(const std::vector<TX11OptionInfo>& Options, const std::string& Name) {
  for (const TX11OptionInfo& O : Options)
    if (O.Name == Name) return &O;
  return nullptr;
}

// The attribute Name of the element that starts at Tag, or "".
std::string Attribute(const std::string& Xml, size_t Tag, const std::string& Name) {
  const size_t End = Xml.find('>', Tag);
  const size_t At = Xml.find(" " + Name + "=\"", Tag);
  if (At == std::string::npos || At > End) return {};
  const size_t From = At + Name.size() + 3;
  return Xml.substr(From, Xml.find('"', From) - From);
}

}  // namespace

// The settings description and the manual page speak of the options the
// hack takes, with the ranges and defaults it applies.
TEST(X11Options, TheSettingsDescriptionAndTheManualPageFollowTheTable) {
  const std::vector<TX11OptionInfo> Options = X11Options();
  const std::string Xml = ReadText(EMBERDELL_SOURCE_DIR "/src/x11/emberdell.xml");
  ASSERT_FALSE(Xml.empty());
  int Args = 0;
  for (size_t At = Xml.find("arg"); At != std::string::npos; At = Xml.find("arg", At + 1)) {
    // arg="--delay %" and arg-set="--style gas-flame": the option is the first word.
    const size_t Quote = Xml.find('"', At);
    if (Quote != At + 4 && Quote != At + 8) continue;
    const std::string Value = Xml.substr(Quote + 1, Xml.find('"', Quote + 1) - Quote - 1);
    const std::string Name = Value.substr(1, Value.find(' ') - 1);
    ++Args;
    const TX11OptionInfo* O = Option(Options, Name);
    ASSERT_NE(O, nullptr) << "the settings description gives " << Name;
    EXPECT_EQ(O->TakesValue, Value.find(' ') != std::string::npos) << Name;
    // A slider stays within what the option takes and starts at its default.
    const size_t Tag = Xml.rfind('<', At);
    if (Xml.compare(Tag, 7, "<number") != 0 || O->High == 0) continue;
    EXPECT_GE(std::stol(Attribute(Xml, Tag, "low")), O->Low) << Name;
    EXPECT_LE(std::stol(Attribute(Xml, Tag, "high")), O->High) << Name;
    if (O->Default != 0) {
      EXPECT_EQ(std::stol(Attribute(Xml, Tag, "default")), O->Default) << Name;
    }
  }
  EXPECT_GE(Args, 8);

  const std::string Manual = ReadText(EMBERDELL_SOURCE_DIR "/packaging/debian/emberdell.6");
  ASSERT_FALSE(Manual.empty());
  for (const TX11OptionInfo& O : Options) {
    if (!O.Listed || O.Name == "-help") continue;
    std::string Escaped;
    for (char c : O.Name) Escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    // An entry is ".B \-fps" or ".BI \-delay " microseconds"".
    const bool Entry = Manual.find("B " + Escaped + "\n") != std::string::npos ||
                       Manual.find("BI " + Escaped + " ") != std::string::npos;
    EXPECT_TRUE(Entry) << "the manual page has no entry for " << O.Name;
  }
}
