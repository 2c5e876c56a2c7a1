// The small places the flame burns in besides the full screen: the preview
// in a window of the screensaver host, and the surfaces a preview draws on.
#pragma once

#include <windows.h>

#include <functional>

#include "core/engine/uCore.h"
#include "core/host/uHostWindowWait.h"
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
  // Lets go of the window without a call into it: it goes with our thread.
  // Its messages from now on get the default handling.
  void Abandon();

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
  // False when the host's window is not, or no longer, a window, stays
  // hidden for HostWindowWaitMs, or the preview's cannot be made.
  bool Open(ITickClock& Clock);
  // The window the frames go to, and the area they cover in it.
  HWND Surface() const;
  TRect Area() const { return TRect{0, 0, FClient.right, FClient.bottom}; }
  // Returns when the preview is to end.
  void WaitForEnd();
  // Lets the preview's windows go without waiting on the host; the frames
  // must be stopped first.
  void Close();
  ~THostPreview() { Close(); }

 private:
  void FollowPreviewArea();

  HINSTANCE FInstance;
  HWND FParentWindow;
  RECT FClient{};
  TPreviewSurface FChild;
  TPreviewSurface FOverlay;
};

// TfmPreview: the floating window beside the settings window in which the
// flame burns with the style being edited. The frame thread draws into it;
// the window itself only places itself, moves when dragged and hides.
inline constexpr wchar_t kFloatingPreviewClass[] = L"TfmPreview";
inline constexpr wchar_t kFloatingPreviewCaption[] = L"Emberdell Screensaver Preview";
// The flame area, in device pixels: one heat cell per pixel at any DPI.
inline constexpr int kFloatingPreviewWidth = 512, kFloatingPreviewHeight = 384;

class TfmPreview : public TWindow<TfmPreview> {
 public:
  explicit TfmPreview(HINSTANCE Instance) : FInstance(Instance) {}
  ~TfmPreview();

  // FormCreate: made hidden, its right edge 10 pixels from the primary
  // screen's right edge and its bottom at the screen's middle.
  HWND Create(HWND Owner);

  // FormHide: runs when the user closes the window with its close box.
  std::function<void()> OnHide;

  friend class TWindow<TfmPreview>;

 private:
  LRESULT WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  HINSTANCE FInstance;
};

}  // namespace emberdell
