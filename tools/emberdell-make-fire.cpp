// Writes the fire recording that the executable carries as its "FIRE" sound.
//   emberdell-make-fire OUTFILE
#include <cstdio>
#include <fstream>

#include "tools/uFireRecording.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTFILE\n", argc > 0 ? argv[0] : "emberdell-make-fire");
    return 2;
  }
  const std::vector<uint8_t> Bytes = emberdell::MakeFireRecording();
  std::ofstream Out(argv[1], std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
  Out.close();
  if (!Out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
