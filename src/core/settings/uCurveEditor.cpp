#include "core/settings/uCurveEditor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace emberdell {

uint32_t ChannelBits(unsigned Channels) {
  return ((Channels & chRed) ? RedBits : 0) | ((Channels & chGreen) ? GreenBits : 0) |
         ((Channels & chBlue) ? BlueBits : 0);
}

TCurves CurvesOf(const TFlamePreset& Preset) {
  TCurves c;
  std::memcpy(c.Red, Preset.Red, 256);
  std::memcpy(c.Green, Preset.Green, 256);
  std::memcpy(c.Blue, Preset.Blue, 256);
  return c;
}

void SetCurves(TFlamePreset& Preset, const TCurves& Curves) {
  std::memcpy(Preset.Red, Curves.Red, 256);
  std::memcpy(Preset.Green, Curves.Green, 256);
  std::memcpy(Preset.Blue, Curves.Blue, 256);
}

uint32_t TPixelBuffer::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return 0;
  return FPixels[size_t(Y) * FWidth + X];
}

void TPixelBuffer::SetPixel(int X, int Y, uint32_t Colour) {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return;
  FPixels[size_t(Y) * FWidth + X] = Colour;
}

void TPixelBuffer::Fill(uint32_t Colour) { std::fill(FPixels.begin(), FPixels.end(), Colour); }

void TPixelBuffer::FillColumns(int Left, int Right, uint32_t Colour) {
  if (Left > Right) std::swap(Left, Right);
  Left = std::max(Left, 0);
  Right = std::min(Right, FWidth - 1);
  for (int y = 0; y < FHeight; ++y)
    for (int x = Left; x <= Right; ++x) FPixels[size_t(y) * FWidth + x] = Colour;
}

namespace {

// The three curves and their pixel components, in one order.
constexpr uint32_t kBits[3] = {RedBits, GreenBits, BlueBits};
constexpr unsigned kChannels[3] = {chRed, chGreen, chBlue};
constexpr int kShift[3] = {16, 8, 0};

uint8_t* Curve(TCurves& c, int i) { return i == 0 ? c.Red : i == 1 ? c.Green : c.Blue; }
const uint8_t* Curve(const TCurves& c, int i) { return i == 0 ? c.Red : i == 1 ? c.Green : c.Blue; }

// Components that are at 255 in Colour.
uint32_t FullBits(uint32_t Colour) {
  uint32_t Bits = 0;
  for (uint32_t b : kBits)
    if ((Colour & b) == b) Bits |= b;
  return Bits;
}

}  // namespace

TCurves ReadCurveImage(const TPixelBuffer& Image) {
  TCurves c;
  for (int ch = 0; ch < 3; ++ch) {
    uint8_t* Values = Curve(c, ch);
    for (int x = 0; x < 256; ++x) {
      Values[x] = 255;
      for (int y = Image.Height() - 1; y >= 0; --y)
        if (Image.Pixel(x, y) & kBits[ch]) {
          Values[x] = static_cast<uint8_t>(2 * y);
          break;
        }
    }
  }
  return c;
}

void DrawCurveImage(TPixelBuffer& Image, const TCurves& Curves) {
  Image.Fill(0);
  for (int x = 0; x < 256; ++x)
    for (int ch = 0; ch < 3; ++ch) {
      const int y = Curve(Curves, ch)[x] / 2;
      Image.SetPixel(x, y, Image.Pixel(x, y) | kBits[ch]);
    }
}

void PaintPaletteStrip(TPixelBuffer& Strip, const TCurves& Curves) {
  for (int x = 0; x < Strip.Width(); ++x) {
    if (x > 255) {
      // The strip is one column wider than the palette, as the image is;
      // the last column repeats the hottest colour.
      Strip.FillColumns(x, x, Strip.Pixel(255, 0));
      continue;
    }
    uint32_t Colour = 0;
    for (int ch = 0; ch < 3; ++ch) Colour |= uint32_t(255 - Curve(Curves, ch)[x]) << kShift[ch];
    Strip.FillColumns(x, x, Colour);
  }
}

void SmoothCurves(TCurves& Curves, unsigned Channels) {
  for (int ch = 0; ch < 3; ++ch) {
    uint8_t* v = Curve(Curves, ch);
    v[0] = v[1];
    v[255] = v[254];
    if (!(Channels & kChannels[ch])) continue;
    for (int i = 1; i <= 254; ++i) v[i] = static_cast<uint8_t>((2 * v[i - 1] + v[i] + 2 * v[i + 1]) / 5);
  }
}

void DrawLineOr(TPixelBuffer& Image, int X0, int Y0, int X1, int Y1, uint32_t Colour) {
  const int dx = X1 - X0, dy = Y1 - Y0;
  const int Steps = std::max(std::abs(dx), std::abs(dy));
  // Along the major axis one pixel per step; the minor coordinate is rounded,
  // halves away from the start. Step Steps (the end point) is left out.
  for (int t = 0; t < Steps; ++t) {
    const auto Minor = [&](int d) {
      const int a = std::abs(d);
      const int Offset = (2 * t * a + Steps) / (2 * Steps);
      return d < 0 ? -Offset : Offset;
    };
    const int x = X0 + (std::abs(dx) == Steps ? (dx < 0 ? -t : t) : Minor(dx));
    const int y = Y0 + (std::abs(dy) == Steps && std::abs(dx) != Steps ? (dy < 0 ? -t : t) : Minor(dy));
    Image.SetPixel(x, y, Image.Pixel(x, y) | Colour);
  }
}

TCurveEditor::TCurveEditor()
    : FImage(CurveImageWidth, CurveImageHeight), FPalette(PaletteStripWidth, PaletteStripHeight) {}

void TCurveEditor::Show(const TCurves& Curves) {
  DrawCurveImage(FImage, Curves);
  PaintPaletteStrip(FPalette, Curves);
}

void TCurveEditor::MouseDown(int X, int Y) {
  FPenX = X;
  FPenY = Y;
  FLastX = X;
  FLastY = Y;
  FDrawing = true;
}

bool TCurveEditor::MouseMove(int X, int Y) {
  if (!FDrawing) return false;
  X = std::clamp(X, 0, CurveImageWidth - 1);
  Y = std::clamp(Y, 0, CurveImageHeight - 1);

  // A pixel of an unticked channel's curve right under the point takes that
  // channel along for this segment.
  const uint32_t Pen = FImage.Pixel(X, Y) | ChannelBits(FChannels);
  const uint32_t PenFull = FullBits(Pen);

  if (FLastX < X)
    for (int x = std::max(FLastX, 0); x <= X - 1; ++x)
      for (int y = 0; y < CurveImageHeight; ++y) FImage.SetPixel(x, y, FImage.Pixel(x, y) & ~PenFull);
  else if (FLastX > X)
    for (int x = X + 1; x <= std::min(FLastX, CurveImageWidth - 1); ++x)
      for (int y = 0; y < CurveImageHeight; ++y) FImage.SetPixel(x, y, FImage.Pixel(x, y) & ~PenFull);

  DrawLineOr(FImage, FPenX, FPenY, X, Y, Pen);
  FPenX = X;
  FPenY = Y;

  uint32_t Strip = FPalette.Pixel(X, 1);
  const uint32_t Intensity = uint32_t(255 - 2 * Y);
  for (int ch = 0; ch < 3; ++ch)
    if (PenFull & kBits[ch]) Strip = (Strip & ~kBits[ch]) | (Intensity << kShift[ch]);
  FPalette.FillColumns(FLastX, X, Strip);

  FLastX = X;
  FLastY = Y;
  return true;
}

bool TCurveEditor::MouseUp(TCurves& Curves) {
  if (!FDrawing) return false;
  FDrawing = false;
  SmoothDrawing();
  Curves = CurvesFromImage();
  return true;
}

void TCurveEditor::SmoothDrawing() {
  TCurves Work = ReadCurveImage(FImage);
  SmoothCurves(Work, FChannels);
  Show(Work);
}

}  // namespace emberdell
