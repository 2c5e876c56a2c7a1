// Style files: any bytes in a ".wyk" file, read as a style and then burned
// and morphed into, as the run does with whatever the folder holds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/engine/uCore.h"
#include "core/styles/uPresets.h"

using namespace emberdell;

namespace {

std::string StyleFile() {
  static const std::string Name = "/tmp/emberdell-fuzz-style-" + std::to_string(getpid()) + ".wyk";
  return Name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::FILE* File = std::fopen(StyleFile().c_str(), "wb");
  if (File == nullptr) return 0;
  std::fwrite(Data, 1, Size, File);
  std::fclose(File);

  TFlamePreset Style{};
  if (!ReadPresetFile(StyleFile(), Style)) return 0;
  (void)IsValidPresetName(std::string(Style.NameChars, Style.NameLength <= 20 ? Style.NameLength : 20));

  // A few frames over a picture with outlines, so sparks start and the wind
  // and intensity of the damaged record are used.
  constexpr int W = 24, H = 20;
  std::vector<uint8_t> Picture(W * H * 4, 0);
  for (int y = 4; y < 16; ++y)
    for (int x = 6; x < 18; ++x)
      for (int c = 0; c < 3; ++c) Picture[(y * W + x) * 4 + c] = 255;
  int32_t PictureHeight = 100;
  TFlame Flame;
  Flame.Init(nullptr, TRect{0, 0, W, H}, Picture.data(), &Style, &PictureHeight);
  for (int i = 0; i < 3; ++i) Flame.NextFrame();

  TFlamePreset Current{};
  MakeRandomPreset(Current);
  for (int i = 0; i < 3; ++i) MorphPreset(Current, Style);
  return 0;
}
