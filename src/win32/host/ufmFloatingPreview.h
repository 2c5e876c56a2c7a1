// TfmPreview: the floating window beside the settings window in which the
// flame burns with the style being edited. The frame thread draws into it;
// the window itself only places itself, moves when dragged and hides.
#pragma once

#include <windows.h>

#include <functional>

#include "win32/host/uWindow.h"

namespace emberdell {

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
