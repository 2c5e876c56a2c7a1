// Writes the curve image's "PEN" cursor.
//   emberdell-make-pen OUTFILE
#include <cstdio>
#include <fstream>

#include "tools/uPenCursor.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTFILE\n", argc > 0 ? argv[0] : "emberdell-make-pen");
    return 2;
  }
  const std::vector<uint8_t> Bytes = emberdell::MakePenCursor();
  std::ofstream Out(argv[1], std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
  Out.close();
  if (!Out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
