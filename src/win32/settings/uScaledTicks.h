#pragma once
// The tick marks of a trackbar, drawn by the page that holds it: the common
// control draws them one pixel wide and a few high at any DPI, which at 192
// DPI leaves a row of dots. These grow with the DPI. The page answers the
// trackbar's NM_CUSTOMDRAW with TrackbarTicksDraw.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "win32/host/uDpi.h"

namespace emberdell {

// The answer to a trackbar's NM_CUSTOMDRAW (horizontal ones, ticks at the
// bottom or on top).
inline LRESULT TrackbarTicksDraw(const NMCUSTOMDRAW& Draw, int Dpi) {
  if (Draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (Draw.dwDrawStage != CDDS_ITEMPREPAINT || Draw.dwItemSpec != TBCD_TICS) return CDRF_DODEFAULT;
  const HWND Track = Draw.hdr.hwndFrom;
  const LONG Min = LONG(SendMessageW(Track, TBM_GETRANGEMIN, 0, 0));
  const LONG Max = LONG(SendMessageW(Track, TBM_GETRANGEMAX, 0, 0));
  // The ends, and the ticks between them that TBS_AUTOTICKS placed.
  std::vector<LONG> Positions{Min, Max};
  const int Inner = int(SendMessageW(Track, TBM_GETNUMTICS, 0, 0)) - 2;
  if (const auto* Ticks = reinterpret_cast<const DWORD*>(SendMessageW(Track, TBM_GETPTICS, 0, 0)))
    for (int i = 0; i < Inner; ++i) Positions.push_back(LONG(Ticks[i]));
  RECT Channel{}, Thumb{};
  SendMessageW(Track, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&Channel));
  SendMessageW(Track, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&Thumb));
  // The thumb's centre runs from one end of the channel to the other, less
  // half a thumb at each end.
  const int Half = (Thumb.right - Thumb.left) / 2;
  const int Left = Channel.left + Half, Width = (Channel.right - Half) - Left;
  const int Range = Max > Min ? int(Max - Min) : 1;
  const int TickWidth = ScaleToDpi(1, Dpi), TickHeight = ScaleToDpi(3, Dpi);
  // Under the thumb, or over it on a trackbar with its ticks on top.
  const bool Above = (GetWindowLongPtrW(Track, GWL_STYLE) & TBS_TOP) != 0;
  const int Top = Above ? Thumb.top - ScaleToDpi(1, Dpi) - TickHeight : Thumb.bottom + ScaleToDpi(1, Dpi);
  const HBRUSH Brush = GetSysColorBrush(COLOR_BTNTEXT);
  for (LONG Position : Positions) {
    const int X = Left + MulDiv(Width, int(Position - Min), Range) - TickWidth / 2;
    const RECT Tick{X, Top, X + TickWidth, Top + TickHeight};
    FillRect(Draw.hdc, &Tick, Brush);
  }
  return CDRF_SKIPDEFAULT;
}

}  // namespace emberdell
