#include <gtest/gtest.h>

#include "core/styles/uDelimitedText.h"

using namespace emberdell;
using List = std::vector<std::string>;

TEST(DelimitedText, WritesQuotingOnlyWhereNeeded) {
  EXPECT_EQ(ListToDelimitedText({"(Default) Wood", "Fire"}), "~(Default) Wood~,Fire");
  EXPECT_EQ(ListToDelimitedText({"(Default) Wood", "(Random Preset)"}), "~(Default) Wood~,~(Random Preset)~");
  EXPECT_EQ(ListToDelimitedText({"Trips - Alps", "Beach"}), "~Trips - Alps~,Beach");
  EXPECT_EQ(ListToDelimitedText({"a~b", "c,d", "tab\there", "\x01"}), "~a~~b~,~c,d~,~tab\there~,~\x01~");
  EXPECT_EQ(ListToDelimitedText({"quote\"ok", "x"}), "quote\"ok,x");  // only "~" is a quote here
}

TEST(DelimitedText, EmptyListsAndEmptyItems) {
  EXPECT_EQ(ListToDelimitedText({}), "");
  EXPECT_EQ(ListToDelimitedText({""}), "~~");
  EXPECT_EQ(ListToDelimitedText({"a", ""}), "a,");
  EXPECT_EQ(ListToDelimitedText({"", "a"}), ",a");
  EXPECT_EQ(ListToDelimitedText({"", ""}), ",");

  EXPECT_EQ(DelimitedTextToList(""), List{});
  EXPECT_EQ(DelimitedTextToList("   "), List{});
  EXPECT_EQ(DelimitedTextToList("~~"), List{""});
  EXPECT_EQ(DelimitedTextToList("a,"), (List{"a", ""}));
  EXPECT_EQ(DelimitedTextToList(",a"), (List{"", "a"}));
  EXPECT_EQ(DelimitedTextToList(","), (List{"", ""}));
  EXPECT_EQ(DelimitedTextToList("a,,b"), (List{"a", "", "b"}));
}

TEST(DelimitedText, ReadingRulesForBlanksAndQuotes) {
  EXPECT_EQ(DelimitedTextToList("~(Default) Wood~,Fire"), (List{"(Default) Wood", "Fire"}));
  // Blanks before the text, around items and after a "," are skipped.
  EXPECT_EQ(DelimitedTextToList("  a ,  b\t"), (List{"a", "b"}));
  // An unquoted item ends at a blank: the rest starts the next item.
  EXPECT_EQ(DelimitedTextToList("(Default) Wood"), (List{"(Default)", "Wood"}));
  // A "," followed only by blanks is not a trailing ",".
  EXPECT_EQ(DelimitedTextToList("a, "), List{"a"});
  EXPECT_EQ(DelimitedTextToList("~a~~b~"), List{"a~b"});
  EXPECT_EQ(DelimitedTextToList("~ , ~"), List{" , "});
  // A quoted item ends at its closing quote even without a "," after it.
  EXPECT_EQ(DelimitedTextToList("~ab~cd"), (List{"ab", "cd"}));
  EXPECT_EQ(DelimitedTextToList("~unclosed, item"), List{"unclosed, item"});
  // A "~" inside an unquoted item is an ordinary character.
  EXPECT_EQ(DelimitedTextToList("a~b,c"), (List{"a~b", "c"}));
}

TEST(DelimitedText, RoundTripsAwkwardNames) {
  const List Cases[] = {
      {},
      {""},
      {"(Default) Wood", "(Random Preset)"},
      {" leading", "trailing ", "~", "~~", ",", "a,b~c d"},
      {"", "", "x"},
      {"x", "", ""},
      {"'Hot'", "\"Cold\"", "Trips - Alps"},
  };
  for (const List& Items : Cases) EXPECT_EQ(DelimitedTextToList(ListToDelimitedText(Items)), Items);
}
