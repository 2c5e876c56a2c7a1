// What the flame burns over: a picture from "Background Images" (the
// program's or the user's own), or the desktop as it is at the start. When
// the desktop shows nothing at all (one flat colour, as when Windows runs a
// screensaver on a desktop of its own), the user's wallpaper stands in for it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace emberdell {

// Width x Height 32-bit pixels for the flame area. Bounds is the monitor
// whose desktop is copied when no picture is used.
std::vector<uint8_t> FlamePicture(const std::string& Background, const RECT& Bounds, int Width, int Height);

// The file the system reports as the desktop wallpaper, UTF-8; empty for none.
std::string WallpaperFile();

}  // namespace emberdell
