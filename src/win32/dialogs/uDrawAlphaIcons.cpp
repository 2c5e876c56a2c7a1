#include "win32/dialogs/uDrawAlphaIcons.h"

#include <cstdint>
#include <vector>

#include "core/dialogs/uAlphaIconBlend.h"
#include "win32/engine/uBitmapFormat.h"

namespace emberdell {

void DrawAlphaIcon(HDC Dc, int X, int Y, HICON Icon, int Size) {
  if (Icon == nullptr || Dc == nullptr || Size <= 0) return;
  ICONINFO Info{};
  if (!GetIconInfo(Icon, &Info)) return;
  // The icon's colour image, bottom row first, as the blend expects it.
  std::vector<uint8_t> Colours(static_cast<size_t>(Size) * Size * 4);
  BITMAPINFO Format = Bgr32Format(Size, Size);
  const bool HaveColours =
      Info.hbmColor != nullptr && GetDIBits(Dc, Info.hbmColor, 0, Size, Colours.data(), &Format, DIB_RGB_COLORS) == Size;
  if (HaveColours) {
    // The pixels beneath are copied out, blended and copied back in one go:
    // the same result as reading and writing each pixel, without a thousand
    // round trips to the display.
    BITMAPINFO Window = Format;
    Window.bmiHeader.biHeight = -Size;
    void* Bits = nullptr;
    HBITMAP Under = CreateDIBSection(Dc, &Window, DIB_RGB_COLORS, &Bits, nullptr, 0);
    HDC Memory = Under != nullptr ? CreateCompatibleDC(Dc) : nullptr;
    if (Memory != nullptr) {
      HGDIOBJ Old = SelectObject(Memory, Under);
      BitBlt(Memory, 0, 0, Size, Size, Dc, X, Y, SRCCOPY);
      GdiFlush();
      BlendAlphaIcon(static_cast<uint32_t*>(Bits), static_cast<size_t>(Size), Colours.data(), Size);
      BitBlt(Dc, X, Y, Size, Size, Memory, 0, 0, SRCCOPY);
      SelectObject(Memory, Old);
      DeleteDC(Memory);
    }
    if (Under != nullptr) DeleteObject(Under);
  }
  if (Info.hbmColor != nullptr) DeleteObject(Info.hbmColor);
  if (Info.hbmMask != nullptr) DeleteObject(Info.hbmMask);
}

}  // namespace emberdell
