// The web page's icons: the program's own icon drawn at the sizes a browser
// asks of an installable page, as PNG files.
//   emberdell-make-web-icons FOLDER
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/uArtwork.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: emberdell-make-web-icons FOLDER\n");
    return 2;
  }
  for (const int Size : {192, 512}) {
    const std::string Name = std::string(argv[1]) + "/icon-" + std::to_string(Size) + ".png";
    const auto Bytes = emberdell::PngFile(emberdell::ProgramIcon(Size));
    std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
    Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
    if (!Out) {
      std::fprintf(stderr, "emberdell-make-web-icons: cannot write %s\n", Name.c_str());
      return 1;
    }
  }
  return 0;
}
