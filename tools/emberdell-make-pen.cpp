// Writes the curve image's "PEN" cursor.
//   emberdell-make-pen OUTFILE
#include "tools/uGeneratorMain.h"
#include "tools/uPenCursor.h"

int main(int argc, char** argv) {
  return emberdell::GeneratorMain(argc, argv, "emberdell-make-pen", emberdell::MakePenCursor);
}
