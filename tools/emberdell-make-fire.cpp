// Writes the fire recording that the executable carries as its "FIRE" sound.
//   emberdell-make-fire OUTFILE
#include "tools/uFireRecording.h"
#include "tools/uGeneratorMain.h"

int main(int argc, char** argv) {
  return emberdell::GeneratorMain(argc, argv, "emberdell-make-fire", emberdell::MakeFireRecording);
}
