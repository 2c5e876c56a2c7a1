// The small places the flame burns in besides the full screen: the preview
// in a window of the screensaver host, and the surfaces a preview draws on.
#pragma once

#include <windows.h>

#include "core/engine/uCore.h"
#include "win32/host/uWindow.h"

namespace emberdell {

// The child window the preview burns in, inside the host's preview window,
// and under Wine the overlay laid over it.
inline constexpr wchar_t kPreviewClass[] = L"TEmberdellPreview";

// Processes every message waiting for this thread.
void PumpMessages();

// A black window whose frames cover every pixel, so it is never erased.
class TPreviewSurface : public TWindow<TPreviewSurface> {
 public:
  TPreviewSurface() = default;
  // Destroys the window unless it is gone already.
  ~TPreviewSurface();
  static bool Register(HINSTANCE Instance);
  HWND Create(HINSTANCE Instance, DWORD ExStyle, DWORD Style, int Width, int Height, HWND Parent);
  void Destroy();

  friend class TWindow<TPreviewSurface>;

 private:
  LRESULT WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
};

// The preview mode: the flame burns over the host's whole client area, read
// once, until the host hides its window or destroys the preview's child.
class THostPreview {
 public:
  THostPreview(HINSTANCE Instance, HWND ParentWindow);
  THostPreview(const THostPreview&) = delete;
  THostPreview& operator=(const THostPreview&) = delete;

  // Waits for the host to show its window, then makes the preview's windows.
  // False when the host's window is not, or no longer, a window, or the
  // preview's cannot be made.
  bool Open();
  // The window the frames go to, and the area they cover in it.
  HWND Surface() const;
  TRect Area() const { return TRect{0, 0, FClient.right, FClient.bottom}; }
  // Returns when the preview is to end.
  void WaitForEnd();
  // Destroys the preview's windows; the frames must be stopped first.
  void Close();

 private:
  void FollowPreviewArea();

  HINSTANCE FInstance;
  HWND FParentWindow;
  RECT FClient{};
  TPreviewSurface FChild;
  TPreviewSurface FOverlay;
};

}  // namespace emberdell
