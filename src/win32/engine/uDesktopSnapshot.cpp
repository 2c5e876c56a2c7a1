#include "win32/engine/uDesktopSnapshot.h"
#include "win32/engine/uBitmapFormat.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace emberdell {

std::vector<uint8_t> CopyArea(HDC Source, const RECT& SourceRect, int Width, int Height) {
  std::vector<uint8_t> Pixels(static_cast<size_t>(std::max(Width, 0)) * std::max(Height, 0) * 4, 0);
  if (Width <= 0 || Height <= 0 || Source == nullptr) return Pixels;
  BITMAPINFO Info = Bgr32Format(Width, -Height);
  void* Bits = nullptr;
  HDC Memory = CreateCompatibleDC(Source);
  HBITMAP Section = CreateDIBSection(Source, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  if (Memory != nullptr && Section != nullptr && Bits != nullptr) {
    HGDIOBJ Old = SelectObject(Memory, Section);
    std::memset(Bits, 0, Pixels.size());
    SetStretchBltMode(Memory, COLORONCOLOR);
    StretchBlt(Memory, 0, 0, Width, Height, Source, SourceRect.left, SourceRect.top,
               SourceRect.right - SourceRect.left, SourceRect.bottom - SourceRect.top, SRCCOPY);
    GdiFlush();
    std::memcpy(Pixels.data(), Bits, Pixels.size());
    for (size_t i = 3; i < Pixels.size(); i += 4) Pixels[i] = 0;
    SelectObject(Memory, Old);
  }
  if (Section != nullptr) DeleteObject(Section);
  if (Memory != nullptr) DeleteDC(Memory);
  return Pixels;
}

std::vector<uint8_t> DesktopSnapshot(const RECT& Bounds, int Width, int Height) {
  // The screen's context works in screen coordinates on every monitor; the
  // context is released as soon as the copy is made.
  HDC Dc = GetDC(nullptr);
  std::vector<uint8_t> Pixels;
  // Without the memory for a copy the fire burns over black.
  try {
    Pixels = CopyArea(Dc, Bounds, Width, Height);
  } catch (const std::bad_alloc&) {
    Pixels = {};
  }
  if (Dc != nullptr) ReleaseDC(nullptr, Dc);
  return Pixels;
}

}  // namespace emberdell
