// The picture the flame burns over, copied from a device context: the
// desktop for the snapshot, or a prepared bitmap. The copy is stretched to
// the flame area pixel for pixel (colour on colour), as 32-bit pixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace emberdell {

// Width x Height pixels (B, G, R, 0; top row first), all black when the
// source cannot be read.
std::vector<uint8_t> CopyArea(HDC Source, const RECT& SourceRect, int Width, int Height);
// The area of the screen that Bounds covers, from the desktop window's context.
std::vector<uint8_t> DesktopSnapshot(const RECT& Bounds, int Width, int Height);

}  // namespace emberdell
