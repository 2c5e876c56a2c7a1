#include "win32/dialogs/ufmPerformance.h"

#include <commctrl.h>

#include <utility>

#include "core/host/uGlobals.h"
#include "dialogs/DialogsIds.h"
#include "win32/dialogs/uAlphaPaintBoxes.h"
#include "win32/dialogs/uPropertiesDialogs.h"
#include "win32/host/uWinText.h"
#include "win32/settings/uScaledTicks.h"

namespace emberdell {

namespace {

// White around the monitor is the picture's transparent colour.
constexpr COLORREF MonitorTransparent = RGB(255, 255, 255);

}  // namespace

TfmPerformance::TfmPerformance(HINSTANCE Instance, std::function<void(uint32_t)> SetFrameInterval)
    : FInstance(Instance), FSetFrameInterval(std::move(SetFrameInterval)) {
  // Without the picture the preview still shows the bands.
  FMonitor = static_cast<HBITMAP>(LoadImageW(Instance, L"MONITOR", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

TfmPerformance::~TfmPerformance() {
  if (FMonitor != nullptr) DeleteObject(FMonitor);
}

void TfmPerformance::Execute(HWND Owner) {
  INITCOMMONCONTROLSEX Controls{sizeof Controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&Controls);
  ShowModal(FInstance, MAKEINTRESOURCEW(IDD_PERFORMANCE), Owner);
  FEdit.reset();
}

INT_PTR TfmPerformance::DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_INITDIALOG:
      FormCreate();
      FormShow();
      return TRUE;  // the speed slider, first in the tab order, has the focus
    case WM_COMMAND:
      return Command(LOWORD(WParam), HIWORD(WParam), reinterpret_cast<HWND>(LParam));
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(LParam) == Item(IDC_PERF_TBFPS)) tbFPSChange();
      if (reinterpret_cast<HWND>(LParam) == Item(IDC_PERF_TBSIZE)) tbSizeChange();
      return TRUE;
    case WM_NOTIFY: {
      auto& Header = *reinterpret_cast<NMHDR*>(LParam);
      if (Header.code != NM_CUSTOMDRAW ||
          (Header.hwndFrom != Item(IDC_PERF_TBFPS) && Header.hwndFrom != Item(IDC_PERF_TBSIZE)))
        return FALSE;
      SetWindowLongPtrW(Window, DWLP_MSGRESULT,
                        TrackbarTicksDraw(reinterpret_cast<const NMCUSTOMDRAW&>(Header), FDpi));
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& Draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(LParam);
      if (Draw.CtlID == IDC_PERF_PBMONITOR) {
        pbMonitorPaint(Draw);
        return TRUE;
      }
      return AlphaPaintBoxPaint(Draw) ? TRUE : FALSE;
    }
    case WM_CTLCOLORSTATIC: {
      if (GetDlgCtrlID(reinterpret_cast<HWND>(LParam)) != IDC_PERF_LBDUALMONITORRUNNING) return FALSE;
      const HDC Dc = reinterpret_cast<HDC>(WParam);
      const bool Enabled = IsWindowEnabled(Item(IDC_PERF_CBALLOWSECONDMONITOR)) != FALSE;
      SetTextColor(Dc, GetSysColor(Enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
      SetBkMode(Dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_LBUTTONDOWN:
      // Labels, the group box and the pictures let the press through to here.
      MouseDownToEasyMove();
      return TRUE;
    case WM_CLOSE:
      // The close box keeps the speed last chosen, as Esc does.
      EndDialog(Window, IDCANCEL);
      return TRUE;
    case WM_DESTROY:
      FormDestroy();
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR TfmPerformance::Command(int Id, int Code, HWND Control) {
  (void)Control;
  switch (Id) {
    case IDOK:
      btnOkClick();
      return TRUE;
    case IDCANCEL:
      // Esc arrives as the Cancel button's command. It only closes, like the
      // close box; the key is still down while the dialog handles it.
      if (GetKeyState(VK_ESCAPE) < 0) {
        EndDialog(FHandle, IDCANCEL);
      } else {
        btnCancelClick();
      }
      return TRUE;
    case IDC_PERF_BTNRESETFPS:
      if (Code == BN_CLICKED) btnResetFPSClick();
      return TRUE;
    default:
      return FALSE;
  }
}

void TfmPerformance::FormCreate() {
  FDpi = LayoutDpi();
  SetupAlphaPaintBoxes(TAlphaForm::Performance, FHandle, FInstance);
  // Its own taskbar button, though the settings window owns it.
  SetWindowLongPtrW(FHandle, GWL_EXSTYLE, GetWindowLongPtrW(FHandle, GWL_EXSTYLE) | WS_EX_APPWINDOW);

  const struct {
    int Id, Min, Max;
  } Sliders[] = {{IDC_PERF_TBFPS, 0, SpeedPositionCount - 1},
                 {IDC_PERF_TBSIZE, HeightPositionMin, HeightPositionMax}};
  for (const auto& Slider : Sliders) {
    const HWND Track = Item(Slider.Id);
    SendMessageW(Track, TBM_SETRANGE, TRUE, MAKELPARAM(Slider.Min, Slider.Max));
    SendMessageW(Track, TBM_SETTICFREQ, 1, 0);
    SendMessageW(Track, TBM_SETPAGESIZE, 0, 1);
  }
  // The picture is in pixels, not dialog units: its own size times the DPI.
  SetWindowPos(Item(IDC_PERF_PBMONITOR), nullptr, 0, 0, Scale(MonitorPictureWidth), Scale(MonitorPictureHeight),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  // Centred on the primary monitor, wherever its owner is.
  CentreOnPrimaryMonitor(FHandle);
  SetHints();
}

void TfmPerformance::SetHints() {
  FHints.Create(FHandle, FInstance, false, Scale(400));
  FHints.Add(Item(IDC_PERF_BTNRESETFPS), L"Reset speed to the \"Normal\" value");
  // The picture lets the mouse through to the dialog, to be dragged by: its
  // hint is for that area of the dialog.
  FHints.AddOverArea(Item(IDC_PERF_PBMONITOR), L"Picture height preview");
  FHints.Add(FHandle, {{IDOK, L"Apply changes and close window"}, {IDCANCEL, L"Cancel changes and close window"}});
}

void TfmPerformance::FormShow() {
  // Each showing starts from the settings as they are now.
  FEdit.emplace(Settings, GetSystemMetrics(SM_CMONITORS));
  SendMessageW(Item(IDC_PERF_TBFPS), TBM_SETPOS, TRUE, FEdit->SpeedPos());
  tbFPSChange();
  SendMessageW(Item(IDC_PERF_TBSIZE), TBM_SETPOS, TRUE, FEdit->HeightPos());
  tbSizeChange();
  const HWND SecondMonitor = Item(IDC_PERF_CBALLOWSECONDMONITOR);
  EnableWindow(SecondMonitor, FEdit->SecondMonitorEnabled());
  CheckDlgButton(FHandle, IDC_PERF_CBALLOWSECONDMONITOR, FEdit->SecondMonitorChecked() ? BST_CHECKED : BST_UNCHECKED);
  InvalidateRect(Item(IDC_PERF_LBDUALMONITORRUNNING), nullptr, TRUE);
}

void TfmPerformance::FormDestroy() {
  FreeAlphaPaintBoxes(TAlphaForm::Performance, FHandle);
  // The hints are the dialog's own window and go with it.
  FHints = {};
}

void TfmPerformance::tbFPSChange() {
  if (!FEdit) return;
  FEdit->SpeedChanged(static_cast<int>(SendMessageW(Item(IDC_PERF_TBFPS), TBM_GETPOS, 0, 0)));
  SetDlgItemTextW(FHandle, IDC_PERF_LBFPS, ToWide(SpeedCaption(FEdit->SpeedPos())).c_str());
  if (FSetFrameInterval) FSetFrameInterval(FEdit->FrameInterval());
}

void TfmPerformance::btnResetFPSClick() {
  if (!FEdit) return;
  FEdit->ResetSpeed();
  SendMessageW(Item(IDC_PERF_TBFPS), TBM_SETPOS, TRUE, FEdit->SpeedPos());
  tbFPSChange();
}

void TfmPerformance::tbSizeChange() {
  if (!FEdit) return;
  FEdit->HeightChanged(static_cast<int>(SendMessageW(Item(IDC_PERF_TBSIZE), TBM_GETPOS, 0, 0)));
  InvalidateRect(Item(IDC_PERF_PBMONITOR), nullptr, FALSE);
  SetDlgItemTextW(FHandle, IDC_PERF_LBHEIGHT, ToWide(HeightCaption(FEdit->ChosenHeight())).c_str());
}

void TfmPerformance::pbMonitorPaint(const DRAWITEMSTRUCT& Draw) {
  // The picture is put together at its own size, where the bands cover whole
  // rows, and only then stretched to the box as one image.
  const int Width = MonitorPictureWidth, Height = MonitorPictureHeight;
  HDC Picture = CreateCompatibleDC(Draw.hDC);
  HBITMAP Canvas = CreateCompatibleBitmap(Draw.hDC, Width, Height);
  const HGDIOBJ OldCanvas = SelectObject(Picture, Canvas);
  const RECT Whole{0, 0, Width, Height};
  FillRect(Picture, &Whole, GetSysColorBrush(COLOR_BTNFACE));
  if (FMonitor != nullptr) {
    HDC Source = CreateCompatibleDC(Draw.hDC);
    const HGDIOBJ OldSource = SelectObject(Source, FMonitor);
    TransparentBlt(Picture, 0, 0, Width, Height, Source, 0, 0, Width, Height, MonitorTransparent);
    SelectObject(Source, OldSource);
    DeleteDC(Source);
  }
  if (FEdit) {
    const TMonitorBands Bands = MonitorBands(FEdit->ChosenHeight());
    const HBRUSH Black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (const TPixelRect& Band : {Bands.Top, Bands.Bottom}) {
      const RECT R{Band.Left, Band.Top, Band.Right, Band.Bottom};
      FillRect(Picture, &R, Black);
    }
  }
  const RECT& Box = Draw.rcItem;
  const int BoxWidth = Box.right - Box.left, BoxHeight = Box.bottom - Box.top;
  if (BoxWidth == Width && BoxHeight == Height) {
    BitBlt(Draw.hDC, Box.left, Box.top, Width, Height, Picture, 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(Draw.hDC, HALFTONE);
    SetBrushOrgEx(Draw.hDC, 0, 0, nullptr);
    StretchBlt(Draw.hDC, Box.left, Box.top, BoxWidth, BoxHeight, Picture, 0, 0, Width, Height, SRCCOPY);
  }
  SelectObject(Picture, OldCanvas);
  DeleteObject(Canvas);
  DeleteDC(Picture);
}

void TfmPerformance::btnOkClick() {
  if (FEdit) FEdit->Ok(IsDlgButtonChecked(FHandle, IDC_PERF_CBALLOWSECONDMONITOR) == BST_CHECKED);
  EndDialog(FHandle, IDOK);
}

void TfmPerformance::btnCancelClick() {
  if (FEdit) {
    FEdit->Cancel();
    if (FSetFrameInterval) FSetFrameInterval(FEdit->FrameInterval());
  }
  EndDialog(FHandle, IDCANCEL);
}

void TfmPerformance::MouseDownToEasyMove() { emberdell::MouseDownToEasyMove(FHandle); }

}  // namespace emberdell
