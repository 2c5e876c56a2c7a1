// The hints of one window: a tooltip window owned by the form, so it goes
// with it, and one tool for each control that has a hint.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace emberdell {

class THints {
 public:
  struct THint {
    int Id;  // of a child of the window the hints are added for
    const wchar_t* Text;
  };

  // Makes the tooltip window for Form. Topmost: the tips show over a topmost
  // owner too. MaxTipWidth (pixels, 0 for none): longer hints wrap to it.
  void Create(HWND Form, HINSTANCE Instance, bool Topmost = false, int MaxTipWidth = 0);
  // A hint for Control, which may be any descendant of the form. Nothing
  // when there is no control or no tooltip window.
  void Add(HWND Control, const wchar_t* Text);
  // A hint for each of Parent's children Hints names, in their order.
  void Add(HWND Parent, std::initializer_list<THint> Hints);
  // A hint for the form's area that Control covers, for a control the mouse
  // passes through to the form (Control is a child of the form).
  void AddOverArea(HWND Control, const wchar_t* Text);

 private:
  HWND FForm = nullptr;
  HWND FTips = nullptr;
};

}  // namespace emberdell
