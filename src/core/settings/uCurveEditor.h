// The curve image of the flame style editor and its palette strip, as plain
// pixel buffers the window only has to blit.
//
// Column x (0..255) of the 257 x 128 image is temperature x; column 256 can be
// drawn on but is never read. Row y stands for the stored curve value 2y, so
// the top row is full intensity. A channel's curve sets that colour component
// of a pixel to full, added to what the pixel holds, so crossing curves mix.
#pragma once

#include <cstdint>
#include <vector>

#include "core/styles/uPresets.h"

namespace emberdell {

inline constexpr int CurveImageWidth = 257;
inline constexpr int CurveImageHeight = 128;
inline constexpr int PaletteStripWidth = 257;
inline constexpr int PaletteStripHeight = 20;

// Channel bits for the ticked "Edit Channels" boxes.
enum : unsigned { chRed = 1, chGreen = 2, chBlue = 4, chAll = 7 };

// Pixels are 0x00RRGGBB, which in memory is blue, green, red, reserved: a
// top-down 32-bit DIB of the same size shows them as they are.
inline constexpr uint32_t RedBits = 0x00FF0000, GreenBits = 0x0000FF00, BlueBits = 0x000000FF;
uint32_t ChannelBits(unsigned Channels);

struct TCurves {
  uint8_t Red[256];
  uint8_t Green[256];
  uint8_t Blue[256];
};
TCurves CurvesOf(const TFlamePreset& Preset);
void SetCurves(TFlamePreset& Preset, const TCurves& Curves);

class TPixelBuffer {
 public:
  TPixelBuffer(int Width, int Height) : FWidth(Width), FHeight(Height), FPixels(size_t(Width) * Height, 0) {}
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  const uint32_t* Data() const { return FPixels.data(); }
  // Reads outside the buffer give black; writes there are dropped (a stroke
  // may start beside the image).
  uint32_t Pixel(int X, int Y) const;
  void SetPixel(int X, int Y, uint32_t Colour);
  void Fill(uint32_t Colour);
  // Columns Left..Right (either order, both included, clipped), every row.
  void FillColumns(int Left, int Right, uint32_t Colour);

 private:
  int FWidth, FHeight;
  std::vector<uint32_t> FPixels;
};

// Each column's value per channel: 2y of the lowest row whose pixel has that
// component, or 255 when no row of the column has it.
TCurves ReadCurveImage(const TPixelBuffer& Image);
// Black, then one pixel per column and channel at row value div 2.
void DrawCurveImage(TPixelBuffer& Image, const TCurves& Curves);
// Column x shows 255 - curve[x] per component: the flame's own palette.
void PaintPaletteStrip(TPixelBuffer& Strip, const TCurves& Curves);
// The ends take their neighbours' values (every channel), then each ticked
// channel gets one pass of (2 prev + self + 2 next) div 5 from temperature 1
// to 254, prev being the value already smoothed.
void SmoothCurves(TCurves& Curves, unsigned Channels);
// A line in the manner of the platform's line drawing: the end point is not
// drawn. Each pixel is ORed with Colour.
void DrawLineOr(TPixelBuffer& Image, int X0, int Y0, int X1, int Y1, uint32_t Colour);

// The mouse stroke on the curve image and the strip that follows it live.
class TCurveEditor {
 public:
  TCurveEditor();

  const TPixelBuffer& Image() const { return FImage; }
  const TPixelBuffer& Palette() const { return FPalette; }
  unsigned Channels() const { return FChannels; }
  void SetChannels(unsigned Channels) { FChannels = Channels & chAll; }
  bool Drawing() const { return FDrawing; }

  // ShowPreset's first two steps.
  void Show(const TCurves& Curves);

  // imDrawMouseDown, any button: the pen goes to (X, Y) as it is.
  void MouseDown(int X, int Y);
  // imDrawMouseMove; false (nothing changed) unless a stroke is in progress.
  bool MouseMove(int X, int Y);
  // imDrawMouseUp: SmoothDrawing, then the curves for CurvesFromImage. False
  // when no stroke was in progress (nothing to take over).
  bool MouseUp(TCurves& Curves);

  void SmoothDrawing();
  TCurves CurvesFromImage() const { return ReadCurveImage(FImage); }

 private:
  TPixelBuffer FImage;
  TPixelBuffer FPalette;
  unsigned FChannels = chAll;
  bool FDrawing = false;
  int FLastX = 0, FLastY = 0;
  int FPenX = 0, FPenY = 0;
};

}  // namespace emberdell
