#include "win32/engine/uWindowCanvas.h"

#include <cstring>
#include <utility>

#include "core/engine/uFlameStep.h"
#include "win32/engine/uBitmapFormat.h"

namespace emberdell {

static_assert(offsetof(TBitmapInfo8, Colors) == sizeof(BITMAPINFOHEADER));

namespace {
// The window property through which a window's paint handler finds its canvas.
constexpr wchar_t kCanvasProperty[] = L"EmberdellCanvas";
// However well the window's losses are reported, a whole copy this often
// repairs any the system did not report; it costs about one frame in fifty.
constexpr ULONGLONG kWholeCopyMs = 2000;
}  // namespace

TWindowCanvas::TWindowCanvas(HWND Window) : FWindow(Window) {
  if (FWindow != nullptr) SetPropW(FWindow, kCanvasProperty, this);
}

TWindowCanvas::~TWindowCanvas() {
  if (FWindow != nullptr && GetPropW(FWindow, kCanvasProperty) == this) RemovePropW(FWindow, kCanvasProperty);
  Release();
  if (FVisible != nullptr) DeleteObject(FVisible);
  if (FVisibleNow != nullptr) DeleteObject(FVisibleNow);
}

void TWindowCanvas::Release() {
  if (FMemory != nullptr) {
    SelectObject(FMemory, FFormer);
    DeleteDC(FMemory);
  }
  if (FSection != nullptr) DeleteObject(FSection);
  FMemory = nullptr;
  FSection = nullptr;
  FFormer = nullptr;
  FPixels = nullptr;
  FWidth = FHeight = 0;
  FChanges.Forget();
}

bool TWindowCanvas::Reserve(int Width, int Height) {
  if (FSection != nullptr && Width == FWidth && Height == FHeight) return true;
  Release();
  BITMAPINFO Format = Bgr32Format(Width, -Height);
  void* Pixels = nullptr;
  HBITMAP Section = CreateDIBSection(nullptr, &Format, DIB_RGB_COLORS, &Pixels, nullptr, 0);
  if (Section == nullptr || Pixels == nullptr) {
    if (Section != nullptr) DeleteObject(Section);
    return false;
  }
  HDC Memory = CreateCompatibleDC(nullptr);
  if (Memory == nullptr) {
    DeleteObject(Section);
    return false;
  }
  FFormer = SelectObject(Memory, Section);
  FMemory = Memory;
  FSection = Section;
  FPixels = static_cast<uint32_t*>(Pixels);
  FWidth = Width;
  FHeight = Height;
  return true;
}

void TWindowCanvas::DrawFrame(const TBitmapInfo8& Info, const uint8_t* Bits, const TChangedBlocks& Changed) {
  const int Width = Info.biWidth, Height = -Info.biHeight;
  // A window that has gone, or a section or context that cannot be had,
  // costs the frame's picture, nothing else; the next frame is drawn whole.
  if (Width <= 0 || Height <= 0 || !Reserve(Width, Height)) {
    FChanges.Forget();
    return;
  }
  HDC Dc = GetDC(FWindow);
  if (Dc == nullptr) {
    FChanges.Forget();
    return;
  }
  // The system may still be reading the section from the last BitBlt.
  GdiFlush();
  std::memcpy(FTable, Info.Colors, sizeof FTable);
  const std::vector<TRect>& Rects = FChanges.Update(Bits, DibStride(Width), Width, Height, FTable,
                                                      reinterpret_cast<uint8_t*>(FPixels), static_cast<size_t>(Width) * 4, Changed);
  bool Whole = VisibleAreaChanged(Dc);
  if (FExposed.exchange(false)) Whole = true;
  const ULONGLONG Now = GetTickCount64();
  if (Now - FLastWhole >= kWholeCopyMs) Whole = true;
  if (Whole) {
    FLastWhole = Now;
    BitBlt(Dc, 0, 0, Width, Height, FMemory, 0, 0, SRCCOPY);
  } else {
    for (const TRect& R : Rects)
      BitBlt(Dc, R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top, FMemory, R.Left, R.Top, SRCCOPY);
  }
  ReleaseDC(FWindow, Dc);
}

void TWindowCanvas::WindowExposed(HWND Window) {
  if (auto* Canvas = static_cast<TWindowCanvas*>(GetPropW(Window, kCanvasProperty))) Canvas->FExposed = true;
}

void TWindowCanvas::PaintFromFrames(HWND Window) {
  PAINTSTRUCT Paint;
  BeginPaint(Window, &Paint);
  EndPaint(Window, &Paint);
  WindowExposed(Window);
}

bool TWindowCanvas::VisibleAreaChanged(HDC Dc) {
  if (FVisibleNow == nullptr) FVisibleNow = CreateRectRgn(0, 0, 0, 0);
  // Without a region to compare, every frame is copied whole.
  if (FVisibleNow == nullptr || GetRandomRgn(Dc, FVisibleNow, SYSRGN) < 0) return true;
  if (FVisible != nullptr && EqualRgn(FVisible, FVisibleNow)) return false;
  std::swap(FVisible, FVisibleNow);
  return true;
}

}  // namespace emberdell
