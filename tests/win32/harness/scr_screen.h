// What the user of a full-screen run sees and does: a desktop with outlines
// under the run, captures of the screen, and keys and mouse moves sent as
// real input.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace emberdell::test {

// The monitors in the system's enumeration order, the order the run uses.
std::vector<RECT> MonitorRects();

// W x H pixels of Source from (X, Y) as 0x00RRGGBB, top row first, in one
// read; empty when they cannot be had.
std::vector<uint32_t> ReadPixels(HDC Source, int X, int Y, int W, int H);

// A copy of part of the screen at one moment (one read, not pixel by pixel,
// so a grab never mixes two frames of the run more than the screen does).
class TScreenGrab {
 public:
  explicit TScreenGrab(const RECT& Area);
  bool Valid() const { return !FPixels.empty(); }
  const RECT& Area() const { return FArea; }
  // Screen coordinates; the point must lie inside the area.
  COLORREF At(int X, int Y) const;

 private:
  RECT FArea;
  std::vector<uint32_t> FPixels;  // top-down, 0x00RRGGBB
};

// A bright, saturated colour: what a flame style makes of a light picture.
// White, black and greys, everything a desktop of the tests shows, are not.
bool IsFlameColour(COLORREF Colour);
// Dark enough that it cannot be a lit part of the picture.
bool IsDark(COLORREF Colour);

// The test's own windows standing in for the desktop, one per monitor.
class TBackdrop {
 public:
  enum class TPattern {
    Outlines,   // white with black frames and a diagonal: edges everywhere
    LeftBlock,  // black with one white block in the left third
  };
  TBackdrop();
  ~TBackdrop();
  TBackdrop(const TBackdrop&) = delete;
  TBackdrop& operator=(const TBackdrop&) = delete;

  // Shows Pattern over Area.
  bool Add(const RECT& Area, TPattern Pattern);
  // Waits until every window is on the screen; then grabs the virtual screen
  // as the reference of what the desktop looked like.
  bool Shown();
  const TScreenGrab& Reference() const { return *FReference; }

 private:
  std::vector<HWND> FWindows;
  std::optional<TScreenGrab> FReference;
};

// Share of the sample points of Area that were white in Before and show a
// flame colour in Now. Rows at the bottom of Area are left out.
double FlameShareOverWhite(const TScreenGrab& Before, const TScreenGrab& Now, const RECT& Area);
// Share of sample points that differ between two grabs.
double ChangedShare(const TScreenGrab& A, const TScreenGrab& B, const RECT& Area);

// Input as a user gives it; it reaches the foreground window.
void SendKey(WORD VirtualKey, bool Up);
void PressKey(WORD VirtualKey);
void ClickLeft();
// Puts the cursor on an exact pixel and reports the move as mouse input.
void MoveCursorTo(int X, int Y);
// A control of a window by its id, on whichever child page it lies.
HWND Control(HWND Window, int Id);

}  // namespace emberdell::test
