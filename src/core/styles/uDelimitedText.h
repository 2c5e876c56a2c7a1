// The text form of the active style and background lists as the settings
// file keeps them: items joined by ",", with "~" as the quote character.
//   {"(Default) Wood", "Fire"}  <->  "~(Default) Wood~,Fire"
#pragma once

#include <string>
#include <vector>

namespace emberdell {

// An item is quoted when it holds a character 1..32, a "~" or a ",";
// a "~" inside a quoted item is doubled. One empty item gives "~~" so that it
// is not confused with an empty list, which gives "".
std::string ListToDelimitedText(const std::vector<std::string>& Items);

// Blanks (codes 1..32) around items and after a "," are skipped; an unquoted
// item also ends at a blank, so "a b" reads as two items. A "," that ends the
// text adds one empty item. An unclosed "~" runs to the end of the text.
std::vector<std::string> DelimitedTextToList(const std::string& Text);

}  // namespace emberdell
