#include "win32/dialogs/uAlphaPaintBoxes.h"

#include "dialogs/DialogsIds.h"
#include "settings/PresetsTabIds.h"
#include "settings/SettingsIds.h"
#include "win32/dialogs/uDrawAlphaIcons.h"
#include "win32/host/uDpi.h"
#include "win32/host/uWindow.h"

namespace emberdell {

namespace {

struct TPaintBoxIcon {
  TAlphaForm Form;
  int Id;
  const wchar_t* Icon;
};

constexpr TPaintBoxIcon PaintBoxIcons[] = {
    {TAlphaForm::Settings, IDC_PBSUPPORT, L"PIC32_SUPPORT"},
    {TAlphaForm::Settings, IDC_EDITPRESETICON, L"PIC32_EDITPRESET"},
    {TAlphaForm::Settings, IDC_PBCHANGEPRESETS, L"PIC32_CHANGEPRESETS"},
    {TAlphaForm::Settings, IDC_PBEXITING, L"PIC32_EXIT"},
    {TAlphaForm::Settings, IDC_PBSCREENSHOTS, L"PIC32_SCREENSHOT"},
    {TAlphaForm::Settings, IDC_PBSOUND, L"PIC32_SOUND"},
    {TAlphaForm::Settings, IDC_PBPERFORMANCE, L"PIC32_PERFORMANCE"},
    {TAlphaForm::Settings, IDC_PBBACKGROUND, L"PIC32_BACKGROUND"},
    {TAlphaForm::Performance, IDC_PERF_PBPERFORMANCE, L"PIC32_PERFORMANCE"},
    {TAlphaForm::SoundProperties, IDC_SND_PBSOUND, L"PIC32_SOUND"},
    {TAlphaForm::ExitingProperties, IDC_EXIT_PBEXITING, L"PIC32_EXIT"},
};

// Every paint box here is 32 pixels at 96 DPI.
constexpr int PaintBoxSize = 32;

}  // namespace

void SetupAlphaPaintBoxes(TAlphaForm Which, HWND Form, HINSTANCE Instance) {
  const int Size = ScaleToDpi(PaintBoxSize, LayoutDpi());
  for (const TPaintBoxIcon& Box : PaintBoxIcons) {
    if (Box.Form != Which) continue;
    HWND Control = FindDescendant(Form, Box.Id);
    if (Control == nullptr) continue;
    SetWindowPos(Control, nullptr, 0, 0, Size, Size, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HICON Icon = static_cast<HICON>(LoadImageW(Instance, Box.Icon, IMAGE_ICON, Size, Size, LR_DEFAULTCOLOR));
    HICON Old = reinterpret_cast<HICON>(SetWindowLongPtrW(Control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Icon)));
    if (Old != nullptr) DestroyIcon(Old);
    InvalidateRect(Control, nullptr, FALSE);
  }
}

bool AlphaPaintBoxPaint(const DRAWITEMSTRUCT& Draw) {
  if (Draw.CtlType != ODT_STATIC) return false;
  HICON Icon = reinterpret_cast<HICON>(GetWindowLongPtrW(Draw.hwndItem, GWLP_USERDATA));
  if (Icon == nullptr) return false;
  // What the parent paints beneath its statics, then the icon over it.
  HWND Parent = GetParent(Draw.hwndItem);
  auto Brush = reinterpret_cast<HBRUSH>(SendMessageW(Parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(Draw.hDC),
                                                     reinterpret_cast<LPARAM>(Draw.hwndItem)));
  FillRect(Draw.hDC, &Draw.rcItem, Brush != nullptr ? Brush : GetSysColorBrush(COLOR_BTNFACE));
  const int Width = Draw.rcItem.right - Draw.rcItem.left;
  // A box draws the icon of its own size at the window's DPI; other sizes
  // stay empty.
  const int Dpi = LayoutDpi();
  if (Width == ScaleToDpi(32, Dpi) || Width == ScaleToDpi(16, Dpi))
    DrawAlphaIcon(Draw.hDC, Draw.rcItem.left, Draw.rcItem.top, Icon, Width);
  return true;
}

void FreeAlphaPaintBoxes(TAlphaForm Which, HWND Form) {
  for (const TPaintBoxIcon& Box : PaintBoxIcons) {
    if (Box.Form != Which) continue;
    HWND Control = FindDescendant(Form, Box.Id);
    if (Control == nullptr) continue;
    HICON Icon = reinterpret_cast<HICON>(SetWindowLongPtrW(Control, GWLP_USERDATA, 0));
    if (Icon != nullptr) DestroyIcon(Icon);
  }
}

}  // namespace emberdell
