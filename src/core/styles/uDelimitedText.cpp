#include "core/styles/uDelimitedText.h"

namespace emberdell {
namespace {

constexpr char QuoteChar = '~';
constexpr char Delimiter = ',';

bool IsBlank(char C) {
  const auto Code = static_cast<unsigned char>(C);
  return Code >= 1 && Code <= 32;
}

bool NeedsQuotes(const std::string& Item) {
  for (char C : Item)
    if (IsBlank(C) || C == QuoteChar || C == Delimiter) return true;
  return false;
}

std::string Quoted(const std::string& Item) {
  std::string Result(1, QuoteChar);
  for (char C : Item) {
    Result += C;
    if (C == QuoteChar) Result += QuoteChar;
  }
  Result += QuoteChar;
  return Result;
}

}  // namespace

std::string ListToDelimitedText(const std::vector<std::string>& Items) {
  if (Items.size() == 1 && Items[0].empty()) return std::string(2, QuoteChar);
  std::string Result;
  for (size_t I = 0; I < Items.size(); ++I) {
    if (I > 0) Result += Delimiter;
    Result += NeedsQuotes(Items[I]) ? Quoted(Items[I]) : Items[I];
  }
  return Result;
}

std::vector<std::string> DelimitedTextToList(const std::string& Text) {
  std::vector<std::string> Items;
  const size_t N = Text.size();
  size_t P = 0;
  auto SkipBlanks = [&] {
    while (P < N && IsBlank(Text[P])) ++P;
  };

  SkipBlanks();
  while (P < N) {
    std::string Item;
    if (Text[P] == QuoteChar) {
      ++P;
      while (P < N) {
        if (Text[P] == QuoteChar) {
          if (P + 1 < N && Text[P + 1] == QuoteChar) {
            Item += QuoteChar;
            P += 2;
            continue;
          }
          ++P;  // the closing quote
          break;
        }
        Item += Text[P++];
      }
    } else {
      const size_t Start = P;
      while (P < N && !IsBlank(Text[P]) && Text[P] != Delimiter) ++P;
      Item.assign(Text, Start, P - Start);
    }
    Items.push_back(std::move(Item));

    SkipBlanks();
    if (P < N && Text[P] == Delimiter) {
      if (P + 1 == N) Items.emplace_back();
      ++P;
      SkipBlanks();
    }
  }
  return Items;
}

}  // namespace emberdell
