// Writes the delivered flame styles into a folder:
//   emberdell-make-styles FOLDER
#include <cstdio>

#include "tools/uDefaultStyles.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: emberdell-make-styles FOLDER\n");
    return 2;
  }
  std::string Folder = argv[1];
  if (!Folder.empty() && Folder.back() != '/' && Folder.back() != '\\') Folder += '/';
  for (const auto& s : emberdell::DeliveredStyles()) {
    const auto r = emberdell::SavePreset(Folder, s.Name, s.Preset);
    if (!r) {
      std::fprintf(stderr, "emberdell-make-styles: %s: %s\n", s.Name.c_str(), r.Message.c_str());
      return 1;
    }
  }
  return 0;
}
