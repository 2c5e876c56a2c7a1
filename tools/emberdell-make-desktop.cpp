// Writes the drawn desktop the web page burns as a 24-bit bitmap, for the
// README's animation to burn the same picture.
//   emberdell-make-desktop WIDTH HEIGHT OUT.bmp
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/engine/uImageFiles.h"
#include "tools/uDesktopPicture.h"

int main(int argc, char** argv) {
  const int Width = argc == 4 ? std::atoi(argv[1]) : 0, Height = argc == 4 ? std::atoi(argv[2]) : 0;
  if (Width < 1 || Height < 1 || Width > 16384 || Height > 16384) {
    std::fprintf(stderr, "usage: emberdell-make-desktop WIDTH HEIGHT OUT.bmp (sides from 1 to 16384)\n");
    return 2;
  }
  std::string Error;
  if (!emberdell::WriteBmpFile(argv[3], Width, Height, emberdell::DesktopPicture(Width, Height).data(), Error)) {
    std::fprintf(stderr, "emberdell-make-desktop: %s\n", Error.c_str());
    return 1;
  }
  return 0;
}
