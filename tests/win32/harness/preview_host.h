// Plays the screensaver host's part in a preview: a window with a 152 x 112
// preview area whose handle goes to "Emberdell.scr /p <handle>", shown late,
// hidden, or with the preview's child windows destroyed as the system's
// dialog does when the user picks another screensaver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace emberdell::test {

constexpr int kPreviewWidth = 152;
constexpr int kPreviewHeight = 112;

class TPreviewHost {
 public:
  // The host window at (Left, Top) on the screen, with the preview area at
  // (20, 20) of its client area; shown now or later.
  TPreviewHost(bool Visible, int Left = 60, int Top = 60);
  ~TPreviewHost();
  TPreviewHost(const TPreviewHost&) = delete;
  TPreviewHost& operator=(const TPreviewHost&) = delete;

  HWND Area() const { return FArea; }
  // "/p <handle of the area>", as the system passes it.
  std::wstring Arguments() const;
  void Show();
  void Hide();
  // Closes every child window of the area, whoever made it.
  void DestroyPreviewChildren();
  std::vector<HWND> PreviewChildren() const;
  // The area's client rectangle in screen coordinates.
  RECT AreaOnScreen() const;
  // Handles the host's own messages for a while (its windows must stay
  // responsive while the preview runs).
  void Pump() const;

 private:
  HWND FFrame = nullptr;
  HWND FArea = nullptr;
};

}  // namespace emberdell::test
