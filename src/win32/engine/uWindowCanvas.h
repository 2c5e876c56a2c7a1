// Drawing a frame into a window: the 8-bit image expanded through its colour
// table into a 32-bit section of our own and copied to the window with
// BitBlt, on the frame thread. The system then has nothing to convert, and
// only what changed since the last frame is expanded and copied.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "core/engine/uCore.h"
#include "core/engine/uFrameChanges.h"

namespace emberdell {

class TWindowCanvas : public IFlameCanvas {
 public:
  // Made and destroyed on the thread of Window.
  explicit TWindowCanvas(HWND Window);
  ~TWindowCanvas() override;
  TWindowCanvas(const TWindowCanvas&) = delete;
  TWindowCanvas& operator=(const TWindowCanvas&) = delete;
  void DrawFrame(const TBitmapInfo8& Info, const uint8_t* Bits, const TChangedBlocks& Changed) override;

  // For the WM_PAINT of a window that leaves its painting to the frames: the
  // system lost some of what the window showed (a new window surface, an
  // uncovered part), so the next frame of Window's canvas, if it has one, is
  // copied whole. Safe on the window's thread while frames run on another.
  static void WindowExposed(HWND Window);
  // The whole WM_PAINT of such a window: the update region is validated and
  // the next frame copied whole.
  static void PaintFromFrames(HWND Window);

 private:
  // A top-down 32-bit section of Width x Height in a memory context; false
  // when the system has none to give.
  bool Reserve(int Width, int Height);
  void Release();
  // True when the part of the window that can be seen is not what it was at
  // the last frame: what was covered may need the whole frame again.
  bool VisibleAreaChanged(HDC Dc);

  HWND FWindow;
  std::atomic<bool> FExposed{false};
  ULONGLONG FLastWhole = 0;  // GetTickCount64 of the last whole copy
  HDC FMemory = nullptr;
  HBITMAP FSection = nullptr;
  HGDIOBJ FFormer = nullptr;
  uint32_t* FPixels = nullptr;
  int FWidth = 0, FHeight = 0;
  uint32_t FTable[256] = {};
  TFrameChanges FChanges;
  HRGN FVisible = nullptr;  // the visible area at the last frame, screen coordinates
  HRGN FVisibleNow = nullptr;
};

}  // namespace emberdell
