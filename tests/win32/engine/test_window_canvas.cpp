// The window canvas against the plain way of drawing an 8-bit frame: the same
// frame handed to the system as a palette image and drawn by the canvas must
// leave the same pixels in the window, and those are the colour table's.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/engine/uCore.h"
#include "win32/engine/uWindowCanvas.h"
#include "tests/support/changed_blocks.h"
#include "tests/win32/harness/scr_screen.h"

namespace emberdell::test {
namespace {

LRESULT CALLBACK PlainProc(HWND Window, UINT Message, WPARAM W, LPARAM L) {
  if (Message == WM_PAINT) {
    // The test draws; painting only settles the request.
    ValidateRect(Window, nullptr);
    return 0;
  }
  if (Message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(Window, Message, W, L);
}

class TPlainWindow {
 public:
  TPlainWindow(int Width, int Height) {
    WNDCLASSW Class{};
    Class.lpfnWndProc = PlainProc;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.lpszClassName = L"EmberdellCanvasTest";
    RegisterClassW(&Class);
    FWindow = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, Class.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 40,
                              40, Width, Height, nullptr, nullptr, Class.hInstance, nullptr);
    Pump();
  }
  ~TPlainWindow() {
    if (FWindow != nullptr) DestroyWindow(FWindow);
  }
  HWND Handle() const { return FWindow; }
  static void Pump() {
    MSG Msg;
    while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&Msg);
  }

 private:
  HWND FWindow = nullptr;
};

// The window's pixels as 0x00RRGGBB, top row first, read from its own context.
std::vector<uint32_t> Capture(HWND Window, int W, int H) {
  HDC Dc = GetDC(Window);
  std::vector<uint32_t> Out = ReadPixels(Dc, 0, 0, W, H);
  ReleaseDC(Window, Dc);
  return Out;
}

void Clear(HWND Window, COLORREF Colour) {
  HDC Dc = GetDC(Window);
  HBRUSH Brush = CreateSolidBrush(Colour);
  RECT All{0, 0, 4096, 4096};
  FillRect(Dc, &All, Brush);
  DeleteObject(Brush);
  ReleaseDC(Window, Dc);
}

// How frames reached the screen before the canvas had a section of its own.
void DrawAsPaletteImage(HWND Window, const TBitmapInfo8& Info, const uint8_t* Bits) {
  HDC Dc = GetDC(Window);
  const int W = Info.biWidth, H = -Info.biHeight;
  SetDIBitsToDevice(Dc, 0, 0, W, H, 0, 0, 0, H, Bits, reinterpret_cast<const BITMAPINFO*>(&Info), DIB_RGB_COLORS);
  ReleaseDC(Window, Dc);
}

struct TFrame {
  TBitmapInfo8 Info{};
  std::vector<uint8_t> Bits;  // rows padded to four bytes
  std::vector<uint8_t> Index; // unpadded, for the expected colours
};

// Every index appears, in an order that is not the pixel order, over colours
// that differ in each channel.
TFrame MakeFrame(int W, int H, int Shift) {
  TFrame F;
  F.Info.biSize = 40;
  F.Info.biWidth = W;
  F.Info.biHeight = -H;
  F.Info.biPlanes = 1;
  F.Info.biBitCount = 8;
  F.Info.biClrUsed = F.Info.biClrImportant = 256;
  for (int j = 0; j < 256; ++j) {
    F.Info.Colors[j][0] = uint8_t(255 - j);
    F.Info.Colors[j][1] = uint8_t(j * 37 + Shift);
    F.Info.Colors[j][2] = uint8_t(j ^ 0xA5);
    F.Info.Colors[j][3] = 0;
  }
  const size_t Stride = DibStride(W);
  F.Bits.assign(Stride * size_t(H), 0xEE);  // padding that must not show
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const uint8_t I = uint8_t((size_t(y) * W + x) * 167 + Shift);
      F.Bits[size_t(y) * Stride + x] = I;
      F.Index.push_back(I);
    }
  return F;
}

// Pixels of Shown (0x00RRGGBB) that are not F's colour table entry.
int WrongPixels(const TFrame& F, const std::vector<uint32_t>& Shown) {
  if (Shown.size() != F.Index.size()) return -1;
  int Wrong = 0;
  for (size_t i = 0; i < Shown.size(); ++i) {
    const uint8_t* Entry = F.Info.Colors[F.Index[i]];
    Wrong += Shown[i] != (uint32_t(Entry[0]) | uint32_t(Entry[1]) << 8 | uint32_t(Entry[2]) << 16);
  }
  return Wrong;
}

TEST(WindowCanvas, ShowsTheSamePixelsAsThePaletteImage) {
  constexpr int MaxW = 64, MaxH = 40;
  TPlainWindow Window(MaxW, MaxH);
  ASSERT_NE(Window.Handle(), nullptr);
  // One canvas over frames of changing sizes, as a restarted preview gives it.
  TWindowCanvas Canvas(Window.Handle());
  struct TCase {
    int W, H, Shift;
  };
  for (const TCase& C : {TCase{37, 23, 0}, TCase{40, 20, 3}, TCase{1, 1, 9}, TCase{63, 40, 200}, TCase{37, 23, 5}}) {
    SCOPED_TRACE(testing::Message() << C.W << " x " << C.H);
    TFrame F = MakeFrame(C.W, C.H, C.Shift);
    TPlainWindow::Pump();

    Clear(Window.Handle(), RGB(255, 0, 255));
    DrawAsPaletteImage(Window.Handle(), F.Info, F.Bits.data());
    const std::vector<uint32_t> Before = Capture(Window.Handle(), C.W, C.H);

    Clear(Window.Handle(), RGB(0, 255, 0));
    Canvas.DrawFrame(F.Info, F.Bits.data(), support::AllBlocks(C.W, C.H));
    const std::vector<uint32_t> After = Capture(Window.Handle(), C.W, C.H);

    ASSERT_EQ(Before.size(), size_t(C.W) * C.H);
    ASSERT_EQ(After.size(), Before.size());
    EXPECT_EQ(Before, After) << "pixels that differ from the palette image";
    EXPECT_EQ(0, WrongPixels(F, After)) << "pixels that are not the colour table's";

    // The next frames change a few pixels (a corner, a row's end, a patch)
    // with the same colour table: only those are copied, and the window
    // shows each frame whole.
    for (int Step = 1; Step <= 3; ++Step) {
      TFrame& G = F;
      const std::vector<uint8_t> Was = G.Bits;
      auto Set = [&](int x, int y) {
        const uint8_t I = uint8_t(G.Index[size_t(y) * C.W + x] + 11 * Step);
        G.Index[size_t(y) * C.W + x] = I;
        G.Bits[size_t(y) * DibStride(C.W) + x] = I;
      };
      Set(0, 0);
      Set(C.W - 1, C.H / 2);
      for (int y = C.H / 3; y < std::min(C.H, C.H / 3 + 3); ++y)
        for (int x = C.W / 2; x < std::min(C.W, C.W / 2 + 5 * Step); ++x) Set(x, y);
      Canvas.DrawFrame(G.Info, G.Bits.data(),
                       support::BlocksThatDiffer(Was.data(), G.Bits.data(), C.W, C.H, DibStride(C.W)));
      EXPECT_EQ(0, WrongPixels(G, Capture(Window.Handle(), C.W, C.H))) << "after changed frame " << Step;
    }

    // The system loses the window's pixels (here painted over) and asks for
    // a repaint: the next frame, though unchanged, is copied whole.
    Clear(Window.Handle(), RGB(0, 255, 0));
    TWindowCanvas::WindowExposed(Window.Handle());
    Canvas.DrawFrame(F.Info, F.Bits.data(), support::BlocksThatDiffer(F.Bits.data(), F.Bits.data(), C.W, C.H, DibStride(C.W)));
    EXPECT_EQ(0, WrongPixels(F, Capture(Window.Handle(), C.W, C.H))) << "after a repaint request";
  }

  // A loss nobody reports is repaired by the whole copy every two seconds.
  const TFrame Last = MakeFrame(37, 23, 5);
  Canvas.DrawFrame(Last.Info, Last.Bits.data(), support::AllBlocks(37, 23));
  Clear(Window.Handle(), RGB(0, 255, 0));
  Sleep(2100);
  Canvas.DrawFrame(Last.Info, Last.Bits.data(),
                   support::BlocksThatDiffer(Last.Bits.data(), Last.Bits.data(), 37, 23, DibStride(37)));
  EXPECT_EQ(0, WrongPixels(Last, Capture(Window.Handle(), 37, 23))) << "two seconds after an unreported loss";
}

}  // namespace
}  // namespace emberdell::test
