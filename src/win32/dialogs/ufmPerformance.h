// TfmPerformance: the speed and picture-height dialog of the settings window.
// The speed is live on the running preview; the rest is stored on OK.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "core/dialogs/uPerformanceSettings.h"
#include "win32/host/uDpi.h"
#include "win32/host/uHints.h"
#include "win32/host/uWindow.h"

namespace emberdell {

class TfmPerformance : public TDialog<TfmPerformance> {
 public:
  // SetFrameInterval changes the frame-pacing period, in ms; it is called on
  // every speed change and on Cancel.
  TfmPerformance(HINSTANCE Instance, std::function<void(uint32_t)> SetFrameInterval);
  ~TfmPerformance();
  // Shows the dialog modally over Owner, from the current settings.
  void Execute(HWND Owner);

  friend class TDialog<TfmPerformance>;

 private:
  INT_PTR DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  INT_PTR Command(int Id, int Code, HWND Control);

  void FormCreate();
  void FormShow();
  void FormDestroy();
  void SetHints();
  void tbFPSChange();
  void btnResetFPSClick();
  void tbSizeChange();
  void pbMonitorPaint(const DRAWITEMSTRUCT& Draw);
  void btnOkClick();
  void btnCancelClick();
  void MouseDownToEasyMove();

  HWND Item(int Id) const { return GetDlgItem(FHandle, Id); }
  int Scale(int Pixels) const { return ScaleToDpi(Pixels, FDpi); }

  HINSTANCE FInstance;
  std::function<void(uint32_t)> FSetFrameInterval;
  // What this showing of the dialog did to the settings; from FormShow on.
  std::optional<TPerformanceEdit> FEdit;
  HBITMAP FMonitor = nullptr;  // null when the picture is missing: the bands alone
  THints FHints;
  int FDpi = 96;
};

}  // namespace emberdell
