// The 32 x 32 icon boxes at the top left of the settings pages and dialogs.
// A paint box is an owner-drawn static control; its icon handle is kept in
// the control's user data, 0 meaning none.
#pragma once

#include <windows.h>

namespace emberdell {

// Which form a set of paint boxes belongs to: the dialog template it is made
// from.
enum class TAlphaForm { Settings, Performance, SoundProperties, ExitingProperties };

// From the form's creation: loads the icon of each of Form's paint boxes
// (searched among all of Form's descendants, so the settings window's pages
// count) at the size the box shows at the window's DPI, and sizes each box to
// that many pixels.
void SetupAlphaPaintBoxes(TAlphaForm Which, HWND Form, HINSTANCE Instance);
// The WM_DRAWITEM of a paint box's parent: fills the box with the parent's
// background and blends the icon over it. False when Draw is not for a
// paint box with an icon.
bool AlphaPaintBoxPaint(const DRAWITEMSTRUCT& Draw);
// From the form's WM_DESTROY: frees the icons SetupAlphaPaintBoxes loaded.
void FreeAlphaPaintBoxes(TAlphaForm Which, HWND Form);

}  // namespace emberdell
