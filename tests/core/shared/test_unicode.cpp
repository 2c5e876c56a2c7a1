#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "core/shared/uUnicode.h"

using namespace emberdell;

namespace {

struct Utf8Case {
  const char* What;
  std::string Bytes;
  std::u16string Lossy;  // what display text gets; equals the strict result when valid
  bool Valid;
};

class Utf8Input : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Input, StrictRefusesExactlyTheIllFormedAndLossyReplacesEachBadPart) {
  const Utf8Case& c = GetParam();
  EXPECT_EQ(IsValidUtf8(c.Bytes), c.Valid);
  std::u16string Strict = u"left over";
  EXPECT_EQ(Utf8ToUtf16(c.Bytes, Strict), c.Valid);
  EXPECT_EQ(Strict, c.Valid ? c.Lossy : u"");
  EXPECT_EQ(Utf8ToUtf16Lossy(c.Bytes), c.Lossy);
  const std::string Shown = ValidUtf8(c.Bytes);
  EXPECT_TRUE(IsValidUtf8(Shown));
  if (c.Valid) {
    EXPECT_EQ(Shown, c.Bytes);
    std::string Back;
    ASSERT_TRUE(Utf16ToUtf8(Strict, Back));
    EXPECT_EQ(Back, c.Bytes);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Input,
    testing::Values(
        Utf8Case{"empty", "", u"", true},
        Utf8Case{"ascii", "Gas Flame", u"Gas Flame", true},
        Utf8Case{"two bytes", "Gr\xC3\xBCn", u"Gr\u00FCn", true},
        Utf8Case{"cyrillic", "\xD0\x9E\xD0\xB3\xD0\xBE\xD0\xBD\xD1\x8C", u"\u041E\u0433\u043E\u043D\u044C", true},
        Utf8Case{"four bytes", "\xF0\x9F\x94\xA5", u"\xD83D\xDD25", true},
        Utf8Case{"last code point", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF", true},
        Utf8Case{"ansi byte", "Gr\xFCn Feuer", u"Gr\uFFFDn Feuer", false},
        Utf8Case{"lone continuation", "a\x80" "b", u"a\uFFFD" "b", false},
        Utf8Case{"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD", false},
        Utf8Case{"overlong three bytes", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD", false},
        Utf8Case{"overlong four bytes", "\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},
        Utf8Case{"encoded high surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", false},
        Utf8Case{"encoded low surrogate", "x\xED\xBF\xBF", u"x\uFFFD\uFFFD\uFFFD", false},
        Utf8Case{"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},
        Utf8Case{"F5 lead", "\xF5\x80", u"\uFFFD\uFFFD", false},
        Utf8Case{"cut two bytes at the end", "ab\xC3", u"ab\uFFFD", false},
        Utf8Case{"cut four bytes at the end", "\xF0\x9F\x94", u"\uFFFD", false},
        Utf8Case{"cut sequence then ascii", "\xE2\x82z", u"\uFFFDz", false},
        Utf8Case{"cut sequence then a new one", "\xE2\x82\xC3\xBC", u"\uFFFD\u00FC", false}),
    [](const testing::TestParamInfo<Utf8Case>& Info) {
      std::string Name;
      for (const char* p = Info.param.What; *p; ++p) Name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return Name;
    });

TEST(Utf16Input, UnpairedSurrogatesAreRefusedOrReplaced) {
  struct Case {
    std::u16string Text;
    std::string Lossy;
    bool Valid;
  };
  const Case Cases[] = {
      {u"\xD83D\xDD25", "\xF0\x9F\x94\xA5", true},
      {u"a\xD83D", "a\xEF\xBF\xBD", false},             // high surrogate at the end
      {u"\xDD25z", "\xEF\xBF\xBD" "z", false},          // low surrogate alone
      {u"\xD83D\xD83D\xDD25", "\xEF\xBF\xBD\xF0\x9F\x94\xA5", false},  // a high one, then a pair
      {u"\xDD25\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD", false},            // the pair the wrong way round
  };
  for (const Case& c : Cases) {
    std::string Strict = "left over";
    EXPECT_EQ(Utf16ToUtf8(c.Text, Strict), c.Valid) << c.Lossy;
    EXPECT_EQ(Strict, c.Valid ? c.Lossy : "");
    EXPECT_EQ(Utf16ToUtf8Lossy(c.Text), c.Lossy);
  }
}

TEST(Utf8Cuts, FallOnlyBetweenCharacters) {
  const std::string Fire = "\xD0\x9E\xD0\xB3\xD0\xBE\xD0\xBD\xD1\x8C \xD0\xB2";  // "Огонь в", 2-byte letters
  struct Case {
    std::string Text;
    size_t MaxBytes, Fit;
  };
  const Case Cases[] = {
      {"abc", 5, 3},
      {"abc", 2, 2},
      {Fire, 20, Fire.size()},
      {Fire, 11, 11},  // "Огонь " ends on byte 11
      {Fire, 12, 11},  // byte 12 would split "в"
      {"\xF0\x9F\x94\xA5" "a", 3, 0},
      {"\xF0\x9F\x94\xA5" "a", 4, 4},
      {"a\xFC" "b", 2, 2},  // a bad byte counts as one character
  };
  for (const Case& c : Cases) EXPECT_EQ(Utf8FitLength(c.Text, c.MaxBytes), c.Fit) << c.Text << " " << c.MaxBytes;

  EXPECT_EQ(Utf8CharsLength(Fire, 3), 6u);
  EXPECT_EQ(Utf8CharsLength(Fire, 6), 11u);
  EXPECT_EQ(Utf8CharsLength(Fire, 100), Fire.size());
  EXPECT_EQ(Utf8CharsLength("\xFC\xFC" "ab", 3), 3u);
}

TEST(AnsiCodePage, Windows1252IsTheDefault) {
  ResetAnsiCodePage();
  struct Case {
    std::string Ansi, Utf8;
  };
  const Case Cases[] = {
      {"Gr\xFCn Feuer", "Gr\xC3\xBCn Feuer"},
      {"\x80 \x9F", "\xE2\x82\xAC \xC5\xB8"},  // the euro sign and Y with diaeresis
      {"\x81", "\xC2\x81"},                    // an unassigned byte keeps its number
      {"plain", "plain"},
  };
  for (const Case& c : Cases) {
    std::string Utf8, Ansi;
    ASSERT_TRUE(AnsiToUtf8(c.Ansi, Utf8));
    EXPECT_EQ(Utf8, c.Utf8);
    ASSERT_TRUE(Utf8ToAnsi(c.Utf8, Ansi));
    EXPECT_EQ(Ansi, c.Ansi);
  }
  std::string Out = "left over";
  EXPECT_FALSE(Utf8ToAnsi("\xD0\x9E", Out)) << "Cyrillic has no Windows-1252 form";
  EXPECT_EQ(Out, "");
  EXPECT_FALSE(Utf8ToAnsi("Gr\xFCn", Out)) << "the input must be UTF-8";
}

}  // namespace
