// A drawn desktop to burn where no snapshot can be had (the web page, the
// benchmarks): icons down the left, windows of text over a wallpaper and a
// taskbar, laid out for 1920 x 1080 and scaled to any size. The same drawing
// as bench/desktop_picture.sh makes with ImageMagick for the README's
// animation.
#pragma once

#include <cstdint>
#include <vector>

namespace emberdell {

// Width x Height 32-bit pixels (blue, green, red, 0; top row first). Busy:
// four overlapping windows of text; otherwise one short note.
std::vector<uint8_t> DesktopPicture(int Width, int Height, bool Busy = true);

}  // namespace emberdell
