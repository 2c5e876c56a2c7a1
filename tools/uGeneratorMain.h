// The whole of a build-time generator that writes one file of bytes:
//   NAME OUTFILE
// Status 2 for a wrong command line, 1 when the file cannot be written.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace emberdell {

inline int GeneratorMain(int argc, char** argv, const char* Name, std::vector<uint8_t> (*Make)()) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTFILE\n", argc > 0 ? argv[0] : Name);
    return 2;
  }
  const std::vector<uint8_t> Bytes = Make();
  std::ofstream Out(argv[1], std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
  Out.close();
  if (!Out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}

}  // namespace emberdell
