#include "win32/settings/ufmPresetsTab.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cmath>
#include <mutex>

#include "core/host/uGlobals.h"
#include "core/settings/uPresetEditor.h"
#include "core/styles/uPresets.h"
#include "core/styles/uStyleFolders.h"
#include "settings/PresetsTabIds.h"
#include "win32/dialogs/uAlphaPaintBoxes.h"
#include "win32/host/uDpi.h"
#include "win32/host/uSharedPresets.h"
#include "win32/host/uUnexpected.h"
#include "win32/host/uWinText.h"
#include "win32/settings/uScaledTicks.h"
#include "win32/settings/ufmAskPresetName.h"
#include "win32/engine/uBitmapFormat.h"

namespace emberdell {

namespace {

HWND Root(HWND Window) { return GetAncestor(Window, GA_ROOT); }

}  // namespace

// The editor's questions answered with message boxes, its files in the style
// folder, and CurrentPreset handed to the frame thread under its lock.
class TfmPresetsTab::TSite : public IPresetEditorSite {
 public:
  TSite(TfmPresetsTab& Tab) : FTab(Tab) {}

  bool AskYesNo(const std::string& Text, bool Warning) override {
    return MessageBoxW(Root(FTab.FHandle), ToWide(Text).c_str(), L"Warning",
                       MB_YESNO | (Warning ? MB_ICONWARNING : MB_ICONQUESTION)) == IDYES;
  }
  void ShowError(const std::string& Message) override {
    MessageBoxW(Root(FTab.FHandle), ToWide(Message).c_str(), L"Emberdell Screensaver", MB_OK | MB_ICONERROR);
  }
  void LoadPreset(const std::string& Name, TFlamePreset& Preset) override {
    emberdell::LoadPreset(PresetFolders(), Name, Preset);
  }
  TSaveResult SavePreset(const std::string& Name, const TFlamePreset& Preset) override {
    return emberdell::SavePreset(PresetFolders(), Name, Preset);
  }
  TSaveResult DeletePreset(const std::string& Name) override {
    return emberdell::DeletePreset(PresetFolders(), Name);
  }
  void MakeRandomPreset(TFlamePreset& Preset) override { emberdell::MakeRandomPreset(Preset); }
  std::string NameError(const std::string& Name) override { return PresetNameError(Name); }
  void Publish(const TFlamePreset& Preset) override {
    std::lock_guard<std::mutex> Guard(PresetLock);
    CurrentPreset = Preset;
  }
  void PresetAdded(const std::string& Name) override { FTab.FHost.PresetAdded(Name); }
  void PresetDeleted(const std::string& Name) override { FTab.FHost.PresetDeleted(Name); }
  void PresetChosen(const std::string& Name) override { FTab.FHost.PresetChosen(Name); }

 private:
  TfmPresetsTab& FTab;
};

void TfmPresetsTab::TFree::operator()(TSite* Site) const { delete Site; }
void TfmPresetsTab::TFree::operator()(TPresetEditor* Editor) const { delete Editor; }

TfmPresetsTab::TfmPresetsTab(HINSTANCE Instance, IPresetsTabHost& Host)
    : FInstance(Instance), FHost(Host), FSite(new TSite(*this)), FEditor(new TPresetEditor(*FSite)) {
  {
    std::lock_guard<std::mutex> Guard(PresetLock);
    FEditor->Adopt(CurrentPreset);
  }
}

HWND TfmPresetsTab::Create(HWND Parent, const RECT& Bounds) {
  INITCOMMONCONTROLSEX Controls{sizeof Controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&Controls);
  if (CreateModeless(FInstance, MAKEINTRESOURCEW(IDD_PRESETSTAB), Parent) == nullptr) return nullptr;
  SetWindowPos(FHandle, nullptr, Bounds.left, Bounds.top, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return FHandle;
}

void TfmPresetsTab::FormCreate() {
  FPen = LoadCursorW(FInstance, L"PEN");
  // The pictures are drawn pixel for pixel at 96 DPI and scaled with the
  // font otherwise; their edges sit outside.
  const int Dpi = LayoutDpi();
  const auto SizeClient = [&](int Id, int Width, int Height) {
    const HWND Control = GetDlgItem(FHandle, Id);
    RECT Window, Client;
    GetWindowRect(Control, &Window);
    GetClientRect(Control, &Client);
    MapWindowPoints(nullptr, FHandle, reinterpret_cast<POINT*>(&Window), 2);
    const int EdgeX = (Window.right - Window.left) - Client.right, EdgeY = (Window.bottom - Window.top) - Client.bottom;
    SetWindowPos(Control, nullptr, 0, 0, ScaleToDpi(Width, Dpi) + EdgeX, ScaleToDpi(Height, Dpi) + EdgeY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  SizeClient(IDC_DRAW, CurveImageWidth, CurveImageHeight);
  SizeClient(IDC_PALETTE, PaletteStripWidth, PaletteStripHeight);
  // "MIN" and "MAX" stand under the image's ends whatever the font makes of
  // the template's units.
  const auto Bounds = [&](int Id) {
    RECT r;
    GetWindowRect(GetDlgItem(FHandle, Id), &r);
    MapWindowPoints(nullptr, FHandle, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT Image = Bounds(IDC_DRAW);
  const auto TextWidth = [&](int Id) {
    const HWND Label = GetDlgItem(FHandle, Id);
    wchar_t Text[64];
    const int Length = GetWindowTextW(Label, Text, 64);
    HDC Dc = GetDC(Label);
    const HGDIOBJ Old = SelectObject(Dc, reinterpret_cast<HFONT>(SendMessageW(Label, WM_GETFONT, 0, 0)));
    SIZE Size{};
    GetTextExtentPoint32W(Dc, Text, Length, &Size);
    SelectObject(Dc, Old);
    ReleaseDC(Label, Dc);
    return int(Size.cx) + 2;
  };
  const int MinWidth = TextWidth(IDC_MIN), MaxWidth = TextWidth(IDC_MAX);
  const auto Place = [&](int Id, int Left, int Right) {
    const RECT Label = Bounds(Id);
    SetWindowPos(GetDlgItem(FHandle, Id), nullptr, Left, Label.top, Right - Left, Label.bottom - Label.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  };
  Place(IDC_MIN, Image.left, Image.left + MinWidth);
  Place(IDC_TEMPERATURE, Image.left + MinWidth, Image.right - MaxWidth);
  Place(IDC_MAX, Image.right - MaxWidth, Image.right);
  SetWindowSubclass(GetDlgItem(FHandle, IDC_DRAW), &TfmPresetsTab::ImageProc, 1, reinterpret_cast<DWORD_PTR>(this));

  SendDlgItemMessageW(FHandle, IDC_CURRENTPRESET, CB_SETMINVISIBLE, 20, 0);
  for (int Id : {IDC_RED, IDC_GREEN, IDC_BLUE}) CheckDlgButton(FHandle, Id, BST_CHECKED);
  SendDlgItemMessageW(FHandle, IDC_SPLEN, TBM_SETRANGE, FALSE, MAKELPARAM(FlameIntensityMin, FlameIntensityMax));
  SendDlgItemMessageW(FHandle, IDC_SPLEN, TBM_SETTICFREQ, 1, 0);
  SendDlgItemMessageW(FHandle, IDC_WIND, TBM_SETRANGEMIN, FALSE, WindMin);
  SendDlgItemMessageW(FHandle, IDC_WIND, TBM_SETRANGEMAX, TRUE, WindMax);
  SendDlgItemMessageW(FHandle, IDC_WIND, TBM_SETTICFREQ, 1, 0);

  FHints.Create(FHandle, FInstance, true);
  FHints.Add(FHandle, {{IDC_CURRENTPRESET, L"Currently selected flame style"},
                       {IDC_SAVE, L"Save changes"},
                       {IDC_SAVEAS, L"Save settings as another style"},
                       {IDC_DELETE, L"Delete selected style"},
                       {IDC_PALETTE, L"Flame palette preview"},
                       {IDC_SPLEN, L"Flame intensity"},
                       {IDC_WIND, L"Wind speed/direction"}});
  UpdateControls();
}

void TfmPresetsTab::UpdateControls() {
  if (FHandle == nullptr) return;
  const HWND List = GetDlgItem(FHandle, IDC_CURRENTPRESET);
  if (FEditor->Names() != FShownNames) {
    SendMessageW(List, CB_RESETCONTENT, 0, 0);
    for (const std::string& Name : FEditor->Names())
      SendMessageW(List, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(Name).c_str()));
    FShownNames = FEditor->Names();
  }
  const std::string Selected = FEditor->SelectedName();
  const LRESULT Index = FEditor->HasSelection()
                            ? SendMessageW(List, CB_FINDSTRINGEXACT, WPARAM(-1),
                                           reinterpret_cast<LPARAM>(ToWide(Selected).c_str()))
                            : CB_ERR;
  SendMessageW(List, CB_SETCURSEL, Index == CB_ERR ? WPARAM(-1) : WPARAM(Index), 0);

  const TFlamePreset& Preset = FEditor->Preset();
  SendDlgItemMessageW(FHandle, IDC_SPLEN, TBM_SETPOS, TRUE, FlameIntensityPosition(Preset));
  SendDlgItemMessageW(FHandle, IDC_WIND, TBM_SETPOS, TRUE, WindPosition(Preset));
  EnableWindow(GetDlgItem(FHandle, IDC_SAVE), FEditor->SaveEnabled());
  EnableWindow(GetDlgItem(FHandle, IDC_DELETE), FEditor->DeleteEnabled());
  InvalidateRect(GetDlgItem(FHandle, IDC_DRAW), nullptr, FALSE);
  InvalidateRect(GetDlgItem(FHandle, IDC_PALETTE), nullptr, FALSE);
}

void TfmPresetsTab::FillList(const std::vector<std::string>& Names) {
  {
    std::lock_guard<std::mutex> Guard(PresetLock);
    FEditor->Adopt(CurrentPreset);
  }
  FEditor->FillList(Names);
  UpdateControls();
}

void TfmPresetsTab::SelectPreset(const std::string& Name) {
  FEditor->SelectPreset(Name);
  UpdateControls();
}

void TfmPresetsTab::AskSaveChangedPreset() {
  FEditor->AskSaveChangedPreset();
  UpdateControls();
}

void TfmPresetsTab::ShowPreset() {
  {
    std::lock_guard<std::mutex> Guard(PresetLock);
    FEditor->Adopt(CurrentPreset);
  }
  FEditor->ShowPreset();
  UpdateControls();
}

void TfmPresetsTab::ResetPresetChanged() {
  FEditor->ResetPresetChanged();
  UpdateControls();
}

void TfmPresetsTab::UpdateDeleteButton() {
  FEditor->UpdateDeleteButton();
  UpdateControls();
}

void TfmPresetsTab::DrawItem(const DRAWITEMSTRUCT& Item) {
  const TPixelBuffer& Pixels =
      Item.CtlID == IDC_DRAW ? FEditor->Curves().Image() : FEditor->Curves().Palette();
  BITMAPINFO Info = Bgr32Format(Pixels.Width(), -Pixels.Height());
  const RECT& r = Item.rcItem;
  SetStretchBltMode(Item.hDC, COLORONCOLOR);
  StretchDIBits(Item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, Pixels.Width(), Pixels.Height(),
                Pixels.Data(), &Info, DIB_RGB_COLORS, SRCCOPY);
}

void TfmPresetsTab::btnSaveAsClick() {
  // A new dialog each time, so its name box starts empty.
  TfmAskPresetName Ask(FInstance, [this](const std::string& Name) { return FSite->NameError(Name); });
  std::string Name;
  if (!Ask.Execute(Root(FHandle), Name)) return;
  FEditor->btnSaveAsClick(Name);
}

void TfmPresetsTab::Command(int Id, int Code) {
  switch (Id) {
    case IDC_CURRENTPRESET:
      if (Code == CBN_SELCHANGE) {
        const HWND List = GetDlgItem(FHandle, IDC_CURRENTPRESET);
        const LRESULT Index = SendMessageW(List, CB_GETCURSEL, 0, 0);
        std::wstring Text;
        if (Index != CB_ERR) {
          Text.resize(size_t(SendMessageW(List, CB_GETLBTEXTLEN, WPARAM(Index), 0)) + 1);
          Text.resize(size_t(SendMessageW(List, CB_GETLBTEXT, WPARAM(Index), reinterpret_cast<LPARAM>(Text.data()))));
        }
        FEditor->cbCurrentPresetChange(ToUtf8(Text));
      }
      break;
    case IDC_SAVE:
      if (Code == BN_CLICKED) FEditor->btnSaveClick();
      break;
    case IDC_SAVEAS:
      if (Code == BN_CLICKED) btnSaveAsClick();
      break;
    case IDC_DELETE:
      if (Code == BN_CLICKED) FEditor->btnDeleteClick();
      break;
    case IDC_RED:
    case IDC_GREEN:
    case IDC_BLUE:
      if (Code == BN_CLICKED)
        FEditor->ChannelsChange((IsDlgButtonChecked(FHandle, IDC_RED) ? chRed : 0u) |
                                (IsDlgButtonChecked(FHandle, IDC_GREEN) ? chGreen : 0u) |
                                (IsDlgButtonChecked(FHandle, IDC_BLUE) ? chBlue : 0u));
      return;
    default:
      return;
  }
  UpdateControls();
}

void TfmPresetsTab::TrackbarChange(HWND Trackbar) {
  const int Position = int(SendMessageW(Trackbar, TBM_GETPOS, 0, 0));
  const TFlamePreset& Preset = FEditor->Preset();
  // Only a move of the position changes the style.
  if (Trackbar == GetDlgItem(FHandle, IDC_SPLEN)) {
    if (Position == Preset.FlameIntensity && Position == Preset.SpiresLength) return;
    FEditor->tbSpLenChange(Position);
  } else if (Trackbar == GetDlgItem(FHandle, IDC_WIND)) {
    if (Position == Preset.Wind) return;
    FEditor->tbWindChange(Position);
  } else {
    return;
  }
  EnableWindow(GetDlgItem(FHandle, IDC_SAVE), FEditor->SaveEnabled());
}

INT_PTR TfmPresetsTab::DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_INITDIALOG:
      FormCreate();
      return FALSE;
    case WM_COMMAND:
      Command(LOWORD(WParam), HIWORD(WParam));
      return TRUE;
    case WM_HSCROLL:
      if (LParam != 0) TrackbarChange(reinterpret_cast<HWND>(LParam));
      return TRUE;
    case WM_DRAWITEM:
      // The page's icon box belongs to the settings window's set.
      if (!AlphaPaintBoxPaint(*reinterpret_cast<const DRAWITEMSTRUCT*>(LParam)))
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(LParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto& Header = *reinterpret_cast<const NMHDR*>(LParam);
      if (Header.code != NM_CUSTOMDRAW || (Header.idFrom != IDC_SPLEN && Header.idFrom != IDC_WIND)) return FALSE;
      SetWindowLongPtrW(Window, DWLP_MSGRESULT,
                        TrackbarTicksDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(LParam), LayoutDpi()));
      return TRUE;
    }
    case WM_LBUTTONDOWN:
      // The page's background, its labels and group boxes move the window.
      MouseDownToEasyMove(Root(Window));
      return TRUE;
    case WM_DESTROY:
      RemoveWindowSubclass(GetDlgItem(Window, IDC_DRAW), &TfmPresetsTab::ImageProc, 1);
      return FALSE;
  }
  return FALSE;
}

LRESULT CALLBACK TfmPresetsTab::ImageProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam, UINT_PTR,
                                          DWORD_PTR Self) {
  try {
    return reinterpret_cast<TfmPresetsTab*>(Self)->ImageMessage(Window, Message, WParam, LParam);
  } catch (...) {
    ReportUnexpected(std::current_exception());
  }
  return DefSubclassProc(Window, Message, WParam, LParam);
}

void TfmPresetsTab::EndStroke() {
  if (FEditor->imDrawMouseUp()) UpdateControls();
}

LRESULT TfmPresetsTab::ImageMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  // Mouse positions in the image's own pixels, whatever its size on screen;
  // outside the image (the mouse is captured) they run past its edges.
  const auto ImagePoint = [&](int& X, int& Y) {
    RECT Client;
    GetClientRect(Window, &Client);
    X = int(std::floor(double(GET_X_LPARAM(LParam)) * CurveImageWidth / std::max<LONG>(Client.right, 1)));
    Y = int(std::floor(double(GET_Y_LPARAM(LParam)) * CurveImageHeight / std::max<LONG>(Client.bottom, 1)));
  };
  int X, Y;
  switch (Message) {
    case WM_SETCURSOR:
      if (FPen != nullptr) {
        SetCursor(FPen);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      SetCapture(Window);
      ImagePoint(X, Y);
      FEditor->imDrawMouseDown(X, Y);
      return 0;
    case WM_MOUSEMOVE:
      ImagePoint(X, Y);
      if (FEditor->imDrawMouseMove(X, Y)) {
        InvalidateRect(Window, nullptr, FALSE);
        InvalidateRect(GetDlgItem(FHandle, IDC_PALETTE), nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (GetCapture() == Window) ReleaseCapture();  // WM_CAPTURECHANGED ends the stroke
      EndStroke();
      return 0;
    case WM_CAPTURECHANGED:
      EndStroke();
      return 0;
    case WM_NCHITTEST:
      // The sunken edge belongs to the image too: the pen shows there.
      return HTCLIENT;
  }
  return DefSubclassProc(Window, Message, WParam, LParam);
}

}  // namespace emberdell
