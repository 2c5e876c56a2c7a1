#include "tests/win32/harness/scr_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/win32/harness/scr_process.h"
#include "win32/host/uWindow.h"
#include "win32/engine/uBitmapFormat.h"

namespace emberdell::test {

namespace {

BOOL CALLBACK CollectMonitor(HMONITOR Monitor, HDC, LPRECT, LPARAM Data) {
  MONITORINFO Info{};
  Info.cbSize = sizeof Info;
  if (GetMonitorInfoW(Monitor, &Info)) reinterpret_cast<std::vector<RECT>*>(Data)->push_back(Info.rcMonitor);
  return TRUE;
}

int Red(COLORREF C) { return GetRValue(C); }
int Green(COLORREF C) { return GetGValue(C); }
int Blue(COLORREF C) { return GetBValue(C); }

bool IsWhite(COLORREF C) { return Red(C) >= 250 && Green(C) >= 250 && Blue(C) >= 250; }

// Every sample point of an area: a grid with a 16-pixel pitch, off the
// edges, leaving out the bottom rows (the run keeps its bottom row black).
template <typename TVisit>
void ForEachSample(const RECT& Area, TVisit Visit) {
  for (int Y = Area.top + 8; Y < Area.bottom - 8; Y += 16)
    for (int X = Area.left + 8; X < Area.right - 4; X += 16) Visit(X, Y);
}

constexpr wchar_t kBackdropClass[] = L"EmberdellTestBackdrop";

void PaintPattern(HDC Dc, const RECT& Client, TBackdrop::TPattern Pattern) {
  const int W = Client.right, H = Client.bottom;
  if (Pattern == TBackdrop::TPattern::LeftBlock) {
    FillRect(Dc, &Client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RECT Block{W / 12, H / 6, W / 3, H * 5 / 6};
    FillRect(Dc, &Block, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return;
  }
  FillRect(Dc, &Client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HPEN Pen = CreatePen(PS_SOLID, 6, RGB(0, 0, 0));
  HGDIOBJ OldPen = SelectObject(Dc, Pen);
  HGDIOBJ OldBrush = SelectObject(Dc, GetStockObject(NULL_BRUSH));
  // Strong outlines well above the bottom rows, which must stay white.
  Rectangle(Dc, W / 8, H / 8, W * 3 / 8, H * 3 / 8);
  Rectangle(Dc, W * 5 / 8, H / 6, W * 7 / 8, H / 2);
  Rectangle(Dc, W / 4, H * 5 / 8, W * 3 / 4, H * 13 / 16);
  MoveToEx(Dc, W / 2, H / 8, nullptr);
  LineTo(Dc, W * 9 / 16, H / 2);
  SelectObject(Dc, OldBrush);
  SelectObject(Dc, OldPen);
  DeleteObject(Pen);
}

LRESULT CALLBACK BackdropProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == WM_PAINT) {
    PAINTSTRUCT Paint;
    HDC Dc = BeginPaint(Window, &Paint);
    RECT Client;
    GetClientRect(Window, &Client);
    PaintPattern(Dc, Client, static_cast<TBackdrop::TPattern>(GetWindowLongPtrW(Window, GWLP_USERDATA)));
    EndPaint(Window, &Paint);
    return 0;
  }
  if (Message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(Window, Message, WParam, LParam);
}

RECT VirtualScreen() {
  const int X = GetSystemMetrics(SM_XVIRTUALSCREEN), Y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return RECT{X, Y, X + GetSystemMetrics(SM_CXVIRTUALSCREEN), Y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

}  // namespace

std::vector<RECT> MonitorRects() {
  std::vector<RECT> Rects;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&Rects));
  return Rects;
}

std::vector<uint32_t> ReadPixels(HDC Source, int X, int Y, int W, int H) {
  std::vector<uint32_t> Out;
  if (W <= 0 || H <= 0) return Out;
  BITMAPINFO Info = Bgr32Format(W, -H);
  HDC Memory = CreateCompatibleDC(Source);
  void* Bits = nullptr;
  HBITMAP Bitmap = CreateDIBSection(Source, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  if (Bitmap != nullptr && Bits != nullptr) {
    HGDIOBJ Old = SelectObject(Memory, Bitmap);
    if (BitBlt(Memory, 0, 0, W, H, Source, X, Y, SRCCOPY)) {
      GdiFlush();
      Out.resize(static_cast<size_t>(W) * H);
      std::memcpy(Out.data(), Bits, Out.size() * 4);
    }
    SelectObject(Memory, Old);
  }
  if (Bitmap != nullptr) DeleteObject(Bitmap);
  DeleteDC(Memory);
  for (uint32_t& P : Out) P &= 0xFFFFFF;
  return Out;
}

TScreenGrab::TScreenGrab(const RECT& Area) : FArea(Area) {
  HDC Screen = GetDC(nullptr);
  FPixels = ReadPixels(Screen, Area.left, Area.top, Area.right - Area.left, Area.bottom - Area.top);
  ReleaseDC(nullptr, Screen);
}

COLORREF TScreenGrab::At(int X, int Y) const {
  const uint32_t P = FPixels[static_cast<size_t>(Y - FArea.top) * (FArea.right - FArea.left) + (X - FArea.left)];
  return RGB((P >> 16) & 0xFF, (P >> 8) & 0xFF, P & 0xFF);
}

bool IsFlameColour(COLORREF C) {
  const int Max = std::max({Red(C), Green(C), Blue(C)}), Min = std::min({Red(C), Green(C), Blue(C)});
  return Max >= 64 && Max - Min >= 48;
}

bool IsDark(COLORREF C) { return std::max({Red(C), Green(C), Blue(C)}) < 64; }

TBackdrop::TBackdrop() {
  WNDCLASSW Class{};
  Class.lpfnWndProc = BackdropProc;
  Class.hInstance = GetModuleHandleW(nullptr);
  Class.lpszClassName = kBackdropClass;
  Class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassW(&Class);
}

TBackdrop::~TBackdrop() {
  for (HWND Window : FWindows) DestroyWindow(Window);
}

bool TBackdrop::Add(const RECT& Area, TPattern Pattern) {
  HWND Window = CreateWindowExW(0, kBackdropClass, L"", WS_POPUP | WS_VISIBLE, Area.left, Area.top, Area.right - Area.left,
                                Area.bottom - Area.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (Window == nullptr) return false;
  SetWindowLongPtrW(Window, GWLP_USERDATA, static_cast<LONG_PTR>(Pattern));
  InvalidateRect(Window, nullptr, TRUE);
  UpdateWindow(Window);
  FWindows.push_back(Window);
  return true;
}

bool TBackdrop::Shown() {
  // A point in the white part of each pattern tells its window is painted.
  // Monitors may overlap (a virtual X server stacks its screens at the
  // origin), so the points are ones a later window on the top left leaves
  // uncovered: the bottom right corner of the outlines, the block of the
  // window on top.
  const bool Painted = WaitUntil(30000, [&] {
    for (HWND Window : FWindows) {
      RECT R;
      GetWindowRect(Window, &R);
      const auto Pattern = static_cast<TPattern>(GetWindowLongPtrW(Window, GWLP_USERDATA));
      const int X = Pattern == TPattern::LeftBlock ? R.left + (R.right - R.left) / 5 : R.right - 5;
      const int Y = Pattern == TPattern::LeftBlock ? R.top + (R.bottom - R.top) / 2 : R.bottom - 5;
      TScreenGrab Probe(RECT{X, Y, X + 1, Y + 1});
      if (!Probe.Valid() || !IsWhite(Probe.At(X, Y))) return false;
    }
    return true;
  });
  if (!Painted) return false;
  FReference.emplace(VirtualScreen());
  return FReference->Valid();
}

double FlameShareOverWhite(const TScreenGrab& Before, const TScreenGrab& Now, const RECT& Area) {
  int White = 0, Flame = 0;
  ForEachSample(Area, [&](int X, int Y) {
    if (!IsWhite(Before.At(X, Y))) return;
    ++White;
    if (IsFlameColour(Now.At(X, Y))) ++Flame;
  });
  return White == 0 ? 0.0 : double(Flame) / White;
}

double ChangedShare(const TScreenGrab& A, const TScreenGrab& B, const RECT& Area) {
  int All = 0, Changed = 0;
  ForEachSample(Area, [&](int X, int Y) {
    ++All;
    if (A.At(X, Y) != B.At(X, Y)) ++Changed;
  });
  return All == 0 ? 0.0 : double(Changed) / All;
}

void SendKey(WORD VirtualKey, bool Up) {
  INPUT Key{};
  Key.type = INPUT_KEYBOARD;
  Key.ki.wVk = VirtualKey;
  Key.ki.wScan = static_cast<WORD>(MapVirtualKeyW(VirtualKey, MAPVK_VK_TO_VSC));
  Key.ki.dwFlags = Up ? KEYEVENTF_KEYUP : 0;
  ASSERT_EQ(SendInput(1, &Key, sizeof Key), 1u);
}

void PressKey(WORD VirtualKey) {
  SendKey(VirtualKey, false);
  SendKey(VirtualKey, true);
}

void ClickLeft() {
  INPUT Click[2] = {};
  Click[0].type = Click[1].type = INPUT_MOUSE;
  Click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  Click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(2, Click, sizeof(INPUT)), 2u);
}

void MoveCursorTo(int X, int Y) {
  // Absolute mouse input lands on a pixel only up to rounding; the position
  // is set exactly and a move of nothing makes the system report it. Under
  // Wine the X server's report of an earlier warp can arrive afterwards and
  // put the cursor back, so the position is set again until it holds.
  POINT Now{};
  const bool Held = WaitUntil(5000, [&] {
    if (!SetCursorPos(X, Y)) return false;
    INPUT Move{};
    Move.type = INPUT_MOUSE;
    Move.mi.dwFlags = MOUSEEVENTF_MOVE;
    if (SendInput(1, &Move, sizeof Move) != 1u) return false;
    Sleep(30);
    GetCursorPos(&Now);
    return Now.x == X && Now.y == Y;
  });
  ASSERT_TRUE(Held) << "the cursor stays at " << Now.x << "," << Now.y << " instead of " << X << "," << Y;
}

HWND Control(HWND Window, int Id) { return FindDescendant(Window, Id); }

}  // namespace emberdell::test
