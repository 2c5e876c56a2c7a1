// Draws Emberdell's artwork into a folder at build time: the group icons, the
// settings window's tab and tree strips, the logo, the monitor picture and the
// program icon. With --preview, also writes PNG pictures of every piece at 1x
// and 4x over light, mid and dark backgrounds, for looking at.
//
// Usage: emberdell-make-art OUTPUT_FOLDER [--preview PREVIEW_FOLDER]
#include <cstdio>
#include <string>
#include <vector>

#include "tools/uArtwork.h"

using namespace emberdell;

namespace {

// One picture of Image at Zoom over each background, side by side.
TArtImage Sheet(const TArtImage& Image, int Zoom) {
  const TRgba Backgrounds[] = {{255, 255, 255, 255}, {128, 128, 128, 255}, {32, 32, 32, 255}};
  const int Gap = 4, W = Image.Width * Zoom, H = Image.Height * Zoom;
  TArtImage Out(3 * W + 4 * Gap, H + 2 * Gap, {200, 200, 200, 255});
  for (int i = 0; i < 3; ++i) {
    const TArtImage p = Preview(Image, Zoom, Backgrounds[i]);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) Out.At(Gap + i * (W + Gap) + x, Gap + y) = p.At(x, y);
  }
  return Out;
}

bool WritePreviews(const std::string& Folder) {
  std::vector<std::pair<std::string, TArtImage>> Pieces;
  for (TGroupIcon Icon : AllGroupIcons) Pieces.push_back({std::string("icon_") + GroupIconName(Icon), GroupIcon(Icon, 32)});
  for (int Size : ProgramIconSizes) Pieces.push_back({"program_" + std::to_string(Size), ProgramIcon(Size)});
  Pieces.push_back({"tabs", TabPictures()});
  Pieces.push_back({"tree", TreePictures()});
  Pieces.push_back({"logo", Logo(1)});
  Pieces.push_back({"monitor", MonitorPicture()});
  bool Ok = true;
  for (const auto& [Name, Image] : Pieces)
    for (int Zoom : {1, 4}) {
      if (Image.Width * Zoom > 2048) continue;
      const std::vector<uint8_t> Png = PngFile(Sheet(Image, Zoom));
      FILE* f = std::fopen((Folder + "/" + Name + "_" + std::to_string(Zoom) + "x.png").c_str(), "wb");
      Ok = f && std::fwrite(Png.data(), 1, Png.size(), f) == Png.size() && Ok;
      if (f) Ok = std::fclose(f) == 0 && Ok;
    }
  return Ok;
}

}  // namespace

int main(int Count, char** Args) {
  if (Count != 2 && !(Count == 4 && std::string(Args[2]) == "--preview")) {
    std::fprintf(stderr, "usage: emberdell-make-art OUTPUT_FOLDER [--preview PREVIEW_FOLDER]\n");
    return 2;
  }
  std::string Error;
  if (!WriteArtwork(Args[1], Error)) {
    std::fprintf(stderr, "emberdell-make-art: %s\n", Error.c_str());
    return 1;
  }
  if (Count == 4 && !WritePreviews(Args[3])) {
    std::fprintf(stderr, "emberdell-make-art: cannot write the previews into %s\n", Args[3]);
    return 1;
  }
  return 0;
}
