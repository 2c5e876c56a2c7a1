#include "tools/uArtwork.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>

namespace emberdell {
namespace {

constexpr float Pi = 3.14159265f;
constexpr float Far = 1e6f;

struct TColour {
  float R, G, B, A = 1;
};

TColour Mix(TColour a, TColour b, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t, a.A + (b.A - a.A) * t};
}
TColour WithAlpha(TColour c, float a) { return {c.R, c.G, c.B, a}; }

// The fire palette every piece is painted from.
constexpr TColour Ink{0.24f, 0.07f, 0.03f}, Ember{0.55f, 0.07f, 0.03f}, Red{0.85f, 0.19f, 0.05f},
    Orange{1, 0.52f, 0.08f}, Amber{1, 0.7f, 0.16f}, Yellow{1, 0.88f, 0.36f}, Cream{1, 0.96f, 0.8f},
    Char{0.27f, 0.23f, 0.22f}, Ash{0.62f, 0.58f, 0.56f}, Smoke{0.88f, 0.86f, 0.84f}, Paper{1, 0.995f, 0.98f};

// Shapes are signed distances in drawing units: negative inside, positive
// outside, about one unit per unit away from the edge. Outlines and glows
// are then the same shape grown.
using TShape = std::function<float(float, float)>;
using TPaint = std::function<TColour(float, float)>;

TShape Circle(float Cx, float Cy, float R) {
  return [=](float x, float y) { return std::hypot(x - Cx, y - Cy) - R; };
}
TShape RoundBox(float L, float T, float R, float B, float Radius) {
  const float Cx = (L + R) / 2, Cy = (T + B) / 2, Hx = (R - L) / 2 - Radius, Hy = (B - T) / 2 - Radius;
  return [=](float x, float y) {
    const float qx = std::fabs(x - Cx) - Hx, qy = std::fabs(y - Cy) - Hy;
    return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - Radius;
  };
}
float SegmentDistance(float x, float y, float X0, float Y0, float X1, float Y1) {
  const float dx = X1 - X0, dy = Y1 - Y0, Len2 = dx * dx + dy * dy;
  const float t = Len2 > 0 ? std::clamp(((x - X0) * dx + (y - Y0) * dy) / Len2, 0.0f, 1.0f) : 0;
  return std::hypot(X0 + t * dx - x, Y0 + t * dy - y);
}
// A stroke with round ends.
TShape Segment(float X0, float Y0, float X1, float Y1, float Width) {
  return [=](float x, float y) { return SegmentDistance(x, y, X0, Y0, X1, Y1) - Width / 2; };
}
// A round stroke along a circle from angle A0 counter-clockwise to A1
// (degrees, 0 pointing right, 90 up).
TShape Arc(float Cx, float Cy, float R, float A0, float A1, float Width) {
  const float a0 = A0 * Pi / 180, Span = (A1 - A0) * Pi / 180;
  const float Ex0 = Cx + R * std::cos(a0), Ey0 = Cy - R * std::sin(a0);
  const float Ex1 = Cx + R * std::cos(a0 + Span), Ey1 = Cy - R * std::sin(a0 + Span);
  return [=](float x, float y) {
    const float a = std::atan2(-(y - Cy), x - Cx);
    const float Rel = std::fmod(a - a0 + 4 * Pi, 2 * Pi);
    if (Rel <= Span) return std::fabs(std::hypot(x - Cx, y - Cy) - R) - Width / 2;
    return std::min(std::hypot(x - Ex0, y - Ey0), std::hypot(x - Ex1, y - Ey1)) - Width / 2;
  };
}
// Any simple polygon.
TShape Polygon(std::vector<std::array<float, 2>> P) {
  return [P](float x, float y) {
    float d = Far;
    bool Inside = false;
    for (size_t i = 0, j = P.size() - 1; i < P.size(); j = i++) {
      d = std::min(d, SegmentDistance(x, y, P[j][0], P[j][1], P[i][0], P[i][1]));
      if ((P[i][1] > y) != (P[j][1] > y) &&
          x < (P[j][0] - P[i][0]) * (y - P[i][1]) / (P[j][1] - P[i][1]) + P[i][0])
        Inside = !Inside;
    }
    return Inside ? -d : d;
  };
}
// A flame: a round foot of radius R whose top tapers to a tip Height above
// the bottom, the tip bent sideways by Lean.
TShape Flame(float Cx, float Bottom, float Height, float R, float Lean) {
  const float Base = Bottom - R, Span = Height - R;
  return [=](float x, float y) {
    const float Foot = std::hypot(x - Cx, y - Base) - R;
    const float t = (Base - y) / Span;
    if (t < 0) return Foot;
    if (t > 1) return std::min(Foot, std::hypot(x - Cx - Lean, y - (Bottom - Height)));
    const float Half = R * std::pow(1 - t, 1.15f) * (1 + 0.25f * std::sin(Pi * t));
    const float Centre = Cx + Lean * t * t;
    // The edge's slope, so that the distance stays about right where the
    // flame narrows quickly.
    const float Slope = (R * 1.4f + std::fabs(2 * Lean * t)) / Span;
    return std::min(Foot, (std::fabs(x - Centre) - Half) / std::sqrt(1 + Slope * Slope));
  };
}
TShape Union(TShape a, TShape b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
TShape Intersect(TShape a, TShape b) {
  return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}
TShape Subtract(TShape a, TShape b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
TShape Arrowhead(float TipX, float TipY, float DirX, float DirY, float Length, float HalfWidth) {
  const float n = std::hypot(DirX, DirY), ux = DirX / n, uy = DirY / n;
  const float Bx = TipX - ux * Length, By = TipY - uy * Length;
  return Polygon({{TipX, TipY}, {Bx - uy * HalfWidth, By + ux * HalfWidth}, {Bx + uy * HalfWidth, By - ux * HalfWidth}});
}

TPaint Solid(TColour c) {
  return [=](float, float) { return c; };
}
// From C0 at (X0, Y0) to C1 at (X1, Y1).
TPaint Linear(float X0, float Y0, TColour C0, float X1, float Y1, TColour C1) {
  const float dx = X1 - X0, dy = Y1 - Y0, Len2 = dx * dx + dy * dy;
  return [=](float x, float y) { return Mix(C0, C1, ((x - X0) * dx + (y - Y0) * dy) / Len2); };
}
TPaint Vertical(float Top, TColour CTop, float Bottom, TColour CBottom) {
  return Linear(0, Top, CTop, 0, Bottom, CBottom);
}
TPaint Radial(float Cx, float Cy, float R, TColour Centre, TColour Edge) {
  return [=](float x, float y) { return Mix(Centre, Edge, std::hypot(x - Cx, y - Cy) / R); };
}

// A straight-alpha canvas in drawing units: Scale pixels per unit. Coverage
// is sampled 4 x 4 per pixel.
class TCanvas {
 public:
  TCanvas(int W, int H, float Scale, TColour Fill = {0, 0, 0, 0})
      : FW(W), FH(H), FScale(Scale), FPixels(size_t(W) * H, Fill) {}

  float Pixel() const { return 1 / FScale; }
  // An outline one pixel wide at small sizes and one unit wide when large.
  float Line() const { return std::max(1.0f, Pixel()); }

  void Fill(const TShape& Shape, const TPaint& Paint, float Grow = 0) {
    const float Margin = 2 * Pixel();
    for (int y = 0; y < FH; ++y)
      for (int x = 0; x < FW; ++x) {
        const float Ux = (x + 0.5f) / FScale, Uy = (y + 0.5f) / FScale;
        const float d = Shape(Ux, Uy) - Grow;
        float Coverage;
        if (d > Margin) continue;
        if (d < -Margin) {
          Coverage = 1;
        } else {
          int Hits = 0;
          for (int sy = 0; sy < 4; ++sy)
            for (int sx = 0; sx < 4; ++sx)
              Hits += Shape((x + (sx + 0.5f) / 4) / FScale, (y + (sy + 0.5f) / 4) / FScale) <= Grow;
          if (Hits == 0) continue;
          Coverage = Hits / 16.0f;
        }
        Over(x, y, Paint(Ux, Uy), Coverage);
      }
  }
  void Fill(const TShape& Shape, TColour Colour, float Grow = 0) { Fill(Shape, Solid(Colour), Grow); }
  // The shape with a dark rim around it.
  void Outlined(const TShape& Shape, const TPaint& Paint, TColour Rim = Ink) {
    Fill(Shape, Rim, Line());
    Fill(Shape, Paint);
  }
  // A soft light around (and under) a shape, fading out over Radius units.
  void Glow(const TShape& Shape, TColour Colour, float Radius) {
    for (int y = 0; y < FH; ++y)
      for (int x = 0; x < FW; ++x) {
        const float d = std::max(0.0f, Shape((x + 0.5f) / FScale, (y + 0.5f) / FScale));
        if (d >= Radius) continue;
        const float t = 1 - d / Radius;
        Over(x, y, Colour, t * t);
      }
  }
  // Sets every pixel from a function of its centre, opaque.
  void Paint(const TPaint& Paint) {
    for (int y = 0; y < FH; ++y)
      for (int x = 0; x < FW; ++x) At(x, y) = WithAlpha(Paint((x + 0.5f) / FScale, (y + 0.5f) / FScale), 1);
  }
  TColour& At(int X, int Y) { return FPixels[size_t(Y) * FW + X]; }

  TArtImage Image() const {
    TArtImage Out(FW, FH);
    const auto Byte = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
    for (size_t i = 0; i < FPixels.size(); ++i) {
      const TColour& p = FPixels[i];
      Out.Pixels[i] = p.A <= 0 ? TRgba{0, 0, 0, 0} : TRgba{Byte(p.R), Byte(p.G), Byte(p.B), Byte(p.A)};
    }
    return Out;
  }

 private:
  void Over(int x, int y, TColour c, float Coverage) {
    const float a = c.A * Coverage;
    TColour& p = At(x, y);
    const float Out = a + p.A * (1 - a);
    if (Out <= 0) return;
    p.R = (c.R * a + p.R * p.A * (1 - a)) / Out;
    p.G = (c.G * a + p.G * p.A * (1 - a)) / Out;
    p.B = (c.B * a + p.B * p.A * (1 - a)) / Out;
    p.A = Out;
  }

  int FW, FH;
  float FScale;
  std::vector<TColour> FPixels;
};

void Paste(TArtImage& To, const TArtImage& From, int X, int Y) {
  for (int y = 0; y < From.Height; ++y)
    for (int x = 0; x < From.Width; ++x) To.At(X + x, Y + y) = From.At(x, y);
}

// The family's flame: a red-to-amber body with a dark rim and a pale heart.
void DrawFlame(TCanvas& c, float Cx, float Bottom, float Height, float R, float Lean, bool Rim = true) {
  const TShape Body = Flame(Cx, Bottom, Height, R, Lean);
  const TPaint BodyPaint = Vertical(Bottom - Height, Red, Bottom, Amber);
  if (Rim)
    c.Outlined(Body, BodyPaint);
  else
    c.Fill(Body, BodyPaint);
  const float h = Height * 0.55f;
  c.Fill(Flame(Cx + Lean * 0.15f, Bottom - R * 0.25f, h, R * 0.55f, Lean * 0.35f),
         Vertical(Bottom - h, Yellow, Bottom, Cream));
}

// Two crossed logs between Left and Right, their cut ends glowing.
void DrawLogs(TCanvas& c, float Left, float Right, float Top, float Bottom, float Thickness, bool Ends) {
  const TColour Wood{0.52f, 0.27f, 0.12f}, WoodDark{0.3f, 0.13f, 0.06f};
  for (const auto& [X0, Y0, X1, Y1] : {std::array<float, 4>{Left, Bottom, Right, Top}, {Left, Top, Right, Bottom}}) {
    c.Outlined(Segment(X0, Y0, X1, Y1, Thickness),
               Linear(0, Top - Thickness / 2, Wood, 0, Bottom + Thickness / 2, WoodDark));
    if (Ends) c.Fill(Circle(X1 - Thickness * 0.05f, Y1, Thickness * 0.28f), Amber);
  }
}

// A picture of a sunset over dark hills inside the box, with a pale mat and rim.
void DrawLandscape(TCanvas& c, float L, float T, float R, float B) {
  const float Mat = std::max(1.5f, (R - L) / 14);
  c.Outlined(RoundBox(L, T, R, B, 1.2f), Vertical(T, Paper, B, Smoke));
  const float il = L + Mat, it = T + Mat, ir = R - Mat, ib = B - Mat;
  const TShape Inner = RoundBox(il, it, ir, ib, 0.5f);
  c.Fill(Inner, Vertical(it, Red, ib, Yellow));
  const float w = ir - il, h = ib - it;
  c.Fill(Intersect(Inner, Circle(il + w * 0.68f, it + h * 0.5f, h * 0.24f)), Cream);
  c.Fill(Intersect(Inner, Union(Circle(il + w * 0.22f, ib + h * 0.55f, h * 0.95f),
                                Circle(il + w * 0.85f, ib + h * 0.9f, h * 1.1f))),
         Vertical(it + h * 0.4f, Ember, ib, Ink));
}

void DrawGroupIcon(TCanvas& c, TGroupIcon Icon) {
  switch (Icon) {
    case TGroupIcon::Background:
      DrawLandscape(c, 2.5f, 5, 29.5f, 27);
      break;
    case TGroupIcon::ChangePresets: {
      DrawFlame(c, 12, 23, 14, 4.3f, 1);
      DrawFlame(c, 20.5f, 23.5f, 11.5f, 3.8f, -1);
      // Two arrows chasing each other round the flames.
      const TShape Top = Union(Arc(16, 16, 12.5f, 35, 150, 2.4f), Arrowhead(29.6f, 14.2f, 0.3f, 1, 5.5f, 3.4f));
      const TShape Low = Union(Arc(16, 16, 12.5f, 215, 330, 2.4f), Arrowhead(2.4f, 17.8f, -0.3f, -1, 5.5f, 3.4f));
      c.Outlined(Union(Top, Low), Vertical(3, Ash, 29, Char));
      break;
    }
    case TGroupIcon::EditPreset: {
      DrawFlame(c, 12, 28.5f, 22, 7.5f, 2);
      // A pen lying across the flame's right side, writing at the bottom.
      const TShape Body = Segment(20.5f, 19, 27.5f, 6, 5);
      const TShape Cone = Polygon({{16.2f, 27.8f}, {18.2f, 17.8f}, {22.8f, 20.2f}});
      c.Fill(Union(Body, Cone), Ink, c.Line());
      c.Fill(Cone, Vertical(18, Cream, 27, Ash));
      c.Fill(Body, Linear(18, 13, Yellow, 23, 15.5f, Orange));
      c.Fill(Segment(26.3f, 8.2f, 28, 5, 4.6f), Red);
      c.Fill(Polygon({{16.2f, 27.8f}, {16.9f, 24.4f}, {18.5f, 25.2f}}), Ink);
      break;
    }
    case TGroupIcon::Exit: {
      // A doorway with firelight inside and an arrow stepping out of it.
      c.Outlined(RoundBox(4, 3, 19, 29, 1.2f), Vertical(3, Char, 29, Ink));
      c.Fill(RoundBox(6.5f, 5.5f, 16.5f, 29, 0.6f), Vertical(5, Ink, 29, Red));
      c.Fill(Flame(11.5f, 29, 11, 3.5f, 0.6f), Vertical(18, Orange, 29, Yellow));
      const TShape Arrow = Union(Segment(13, 16, 24, 16, 4), Arrowhead(30.5f, 16, 1, 0, 8, 6.5f));
      c.Outlined(Arrow, Vertical(9, Yellow, 23, Orange));
      break;
    }
    case TGroupIcon::Performance: {
      // A gauge whose scale warms from yellow to red, the needle well up it.
      const float Cx = 16, Cy = 17.5f;
      c.Outlined(Circle(Cx, Cy, 13.5f), Radial(Cx, Cy - 4, 16, Paper, Smoke));
      const TPaint Scale = [=](float x, float y) {
        const float a = std::atan2(-(y - Cy), x - Cx) * 180 / Pi;  // 210 at the start, -30 at the end
        const float t = ((a < -90 ? a + 360 : a) - 210) / -240;
        return Mix(Yellow, Red, t);
      };
      c.Fill(Arc(Cx, Cy, 9.5f, -30, 210, 3.6f), Scale);
      c.Fill(Union(Segment(Cx, Cy, Cx + 7.5f, Cy - 6.5f, 2.2f), Circle(Cx, Cy, 2.6f)), Ink);
      c.Fill(Circle(Cx, Cy, 1.2f), Orange);
      c.Fill(RoundBox(12, 24, 20, 26.5f, 1), Ember);
      break;
    }
    case TGroupIcon::Screenshot: {
      c.Outlined(Union(RoundBox(2.5f, 10, 29.5f, 27, 3), RoundBox(9.5f, 6, 19.5f, 12, 1.5f)),
                 Vertical(6, Ash, 27, Char));
      c.Fill(RoundBox(4, 14, 28, 15.5f, 0.4f), WithAlpha(Ink, 0.5f));
      c.Fill(Circle(16, 18.5f, 6.8f), Ink);
      c.Fill(Circle(16, 18.5f, 5.6f), Vertical(12, Smoke, 25, Ash));
      c.Fill(Circle(16, 18.5f, 4.2f), Radial(16, 19.5f, 4.6f, Yellow, Ember));
      c.Fill(Circle(14.6f, 17, 1.2f), WithAlpha(Cream, 0.9f));
      c.Fill(RoundBox(23, 11.5f, 27, 13.5f, 0.6f), Yellow);
      break;
    }
    case TGroupIcon::Sound: {
      const TShape Speaker = Union(RoundBox(3, 12, 10, 21, 1), Polygon({{8, 12.5f}, {16, 5.5f}, {16, 27.5f}, {8, 20.5f}}));
      c.Outlined(Speaker, Vertical(5, Ash, 27, Char));
      const TShape Waves = Union(Arc(15, 16.5f, 6.5f, -45, 45, 2.6f), Arc(15, 16.5f, 12, -48, 48, 2.6f));
      c.Outlined(Waves, Vertical(4, Yellow, 29, Orange));
      break;
    }
    case TGroupIcon::Support: {
      // A lifebuoy in red and cream quarters.
      const float Cx = 16, Cy = 16;
      const TShape Ring = [=](float x, float y) { return std::fabs(std::hypot(x - Cx, y - Cy) - 9.5f) - 4.5f; };
      const TPaint Quarters = [=](float x, float y) {
        const float a = std::atan2(y - Cy, x - Cx) + Pi / 4 + 2 * Pi;
        const bool Light = int(a / (Pi / 2)) % 2 == 0;
        const float Shade = std::clamp((x - Cx + y - Cy) / 28, -0.5f, 0.5f) + 0.5f;
        return Light ? Mix(Cream, Smoke, Shade) : Mix(Red, Ember, Shade);
      };
      c.Outlined(Ring, Quarters);
      c.Fill(Arc(Cx, Cy, 9.5f, 100, 170, 1.2f), WithAlpha(Paper, 0.55f));
      break;
    }
  }
}

TColour Greyed(TColour c) {
  const float v = 0.55f + 0.4f * (0.3f * c.R + 0.59f * c.G + 0.11f * c.B);
  return {v, v, v, c.A};
}

// Tree pictures draw in their own 16-unit box; Grey turns every colour grey.
void DrawTreePicture(TCanvas& c, int Index) {
  const bool G = Index % 2 == 1;
  const auto C = [G](TColour x) { return G ? Greyed(x) : x; };
  const TColour Rim = G ? TColour{0.62f, 0.62f, 0.62f} : Char;
  const int Kind = Index / 2;
  if (Kind < 2) {
    c.Outlined(RoundBox(2.5f, 2.5f, 13.5f, 13.5f, 1.5f), Vertical(2, C(Paper), 14, C(Smoke)), Rim);
    if (Kind == 1)
      c.Fill(Union(Segment(4.6f, 8, 7, 10.6f, 2.3f), Segment(7, 10.6f, 11.6f, 4.8f, 2.3f)),
             G ? TColour{0.6f, 0.6f, 0.6f} : Ember);
  } else {
    const TColour Back{0.88f, 0.58f, 0.18f}, Front{1, 0.8f, 0.38f};
    const TColour Outline = G ? TColour{0.6f, 0.6f, 0.6f} : Ink;
    c.Outlined(Union(RoundBox(1, 2.5f, 7, 6, 0.8f), RoundBox(1, 4, 15, 13.5f, 1)), Vertical(3, C(Back), 14, C(Ember)),
               Outline);
    if (Kind == 2)
      c.Fill(RoundBox(1.5f, 6, 14.5f, 13.5f, 0.8f), Vertical(6, C(Front), 14, C(Amber)));
    else
      c.Outlined(Polygon({{4, 7.5f}, {15.5f, 7.5f}, {13, 13.5f}, {1, 13.5f}}), Vertical(7, C(Front), 14, C(Amber)),
                 Outline);
  }
}

// Tab pictures draw in their own 20-unit box.
void DrawTabPicture(TCanvas& c, int Index) {
  switch (Index) {
    case 0:
      c.Outlined(Circle(10, 10, 8.5f), Radial(8, 7, 11, Amber, Red));
      c.Fill(Circle(10, 5.6f, 1.6f), Cream);
      c.Fill(RoundBox(8.6f, 8.2f, 11.4f, 15.2f, 0.7f), Cream);
      break;
    case 1: {
      TShape Gear = Circle(10, 10, 6);
      for (int k = 0; k < 8; ++k) {
        const float a = k * Pi / 4;
        Gear = Union(Gear, Segment(10 + 5 * std::cos(a), 10 + 5 * std::sin(a), 10 + 7.6f * std::cos(a),
                                   10 + 7.6f * std::sin(a), 3));
      }
      c.Outlined(Subtract(Gear, Circle(10, 10, 2.5f)), Vertical(1, Ash, 19, Char));
      break;
    }
    case 2:
      DrawLandscape(c, 1, 3, 19, 17);
      break;
    case 3:
      DrawFlame(c, 10, 18.8f, 17.5f, 6.2f, 1.2f);
      break;
  }
}

// The letters of the logo's name, drawn as round strokes: x-height 26,
// ascenders 40, strokes StrokeWidth wide; each returns the shape and its advance.
constexpr float XHeight = 26, Ascent = 40, StrokeWidth = 7;
struct TGlyph {
  TShape Shape;
  float Width;
};
TGlyph Glyph(char Letter, float X, float Baseline) {
  const float o = StrokeWidth / 2, w = StrokeWidth, Top = Baseline - Ascent + o, Low = Baseline - o;
  const float Bowl = XHeight / 2 - o, Mid = Baseline - XHeight / 2;
  switch (Letter) {
    case 'E': {
      const float W = 23;
      TShape s = Union(Segment(X + o, Top, X + o, Low, w), Segment(X + o, Top, X + W - o, Top, w));
      s = Union(s, Segment(X + o, Baseline - Ascent / 2, X + W - 3 - o, Baseline - Ascent / 2, w));
      return {Union(s, Segment(X + o, Low, X + W - o, Low, w)), W};
    }
    case 'm': {
      const float s1 = X + o, s2 = X + 19, s3 = X + 38 - o, R = (s2 - s1) / 2, Cy = Baseline - XHeight + o + R;
      TShape s = Union(Segment(s1, Baseline - XHeight + o, s1, Low, w), Arc(s1 + R, Cy, R, 0, 180, w));
      s = Union(s, Union(Segment(s2, Cy, s2, Low, w), Arc(s2 + R, Cy, R, 0, 180, w)));
      return {Union(s, Segment(s3, Cy, s3, Low, w)), 38};
    }
    case 'b':
      return {Union(Segment(X + o, Top, X + o, Low, w), Arc(X + 26 - o - Bowl, Mid, Bowl, 0, 360, w)), 26};
    case 'd':
      return {Union(Segment(X + 26 - o, Top, X + 26 - o, Low, w), Arc(X + o + Bowl, Mid, Bowl, 0, 360, w)), 26};
    case 'e':
      return {Union(Arc(X + o + Bowl, Mid, Bowl, 0, 318, w), Segment(X + o, Mid, X + o + 2 * Bowl, Mid, w * 0.8f)),
              2 * Bowl + w};
    case 'r': {
      const float R = 9;
      return {Union(Segment(X + o, Baseline - XHeight + o, X + o, Low, w),
                    Arc(X + o + R, Baseline - XHeight + o + R, R, 35, 180, w)),
              19};
    }
    case 'l':
      return {Segment(X + o, Top, X + o, Low, w), w};
  }
  return {[](float, float) { return Far; }, 0};
}

// Tongues of fire along the bottom of a scene Width units wide: how high the
// fire reaches at x.
float FireLine(float x, float Base, float Seed) {
  return Base + 0.45f * Base * std::sin(x * 0.045f + Seed) + 0.3f * Base * std::sin(x * 0.13f + 1 + Seed * 2) +
         0.25f * Base * std::sin(x * 0.31f + 2 + Seed * 3);
}
void DrawFireBand(TCanvas& c, float Width, float Bottom, float Base) {
  for (int Layer = 0; Layer < 2; ++Layer) {
    const float Seed = Layer * 1.7f, Reach = Base * (Layer == 0 ? 1.3f : 0.8f);
    const TShape Band = [=](float x, float y) { return y < Bottom - 2 * Reach ? Far : (Bottom - FireLine(x, Reach, Seed)) - y; };
    const TColour Tip = Layer == 0 ? WithAlpha(Red, 0.7f) : Orange, Foot = Layer == 0 ? Ember : Yellow;
    c.Glow(Band, WithAlpha(Red, 0.35f), Reach * 0.6f);
    c.Fill(Band, Vertical(Bottom - 2 * Reach, Tip, Bottom, Foot));
  }
  (void)Width;
}

void Put16(std::vector<uint8_t>& f, unsigned v) { f.push_back(uint8_t(v)), f.push_back(uint8_t(v >> 8)); }
void Put32(std::vector<uint8_t>& f, uint32_t v) { Put16(f, v & 0xFFFF), Put16(f, v >> 16); }
void Put32Be(std::vector<uint8_t>& f, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) f.push_back(uint8_t(v >> s));
}

uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFF;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

void PngChunk(std::vector<uint8_t>& f, const char* Type, const std::vector<uint8_t>& Data) {
  Put32Be(f, uint32_t(Data.size()));
  const size_t Start = f.size();
  f.insert(f.end(), Type, Type + 4);
  f.insert(f.end(), Data.begin(), Data.end());
  Put32Be(f, Crc32(f.data() + Start, f.size() - Start));
}

bool WriteBytes(const std::string& Path, const std::vector<uint8_t>& Bytes) {
  FILE* f = std::fopen(Path.c_str(), "wb");
  if (!f) return false;
  const bool Ok = std::fwrite(Bytes.data(), 1, Bytes.size(), f) == Bytes.size();
  return std::fclose(f) == 0 && Ok;
}

}  // namespace

const char* GroupIconName(TGroupIcon Icon) {
  switch (Icon) {
    case TGroupIcon::Support: return "SUPPORT";
    case TGroupIcon::EditPreset: return "EDITPRESET";
    case TGroupIcon::ChangePresets: return "CHANGEPRESETS";
    case TGroupIcon::Exit: return "EXIT";
    case TGroupIcon::Screenshot: return "SCREENSHOT";
    case TGroupIcon::Sound: return "SOUND";
    case TGroupIcon::Performance: return "PERFORMANCE";
    case TGroupIcon::Background: return "BACKGROUND";
  }
  return "";
}

TArtImage GroupIcon(TGroupIcon Icon, int Size) {
  TCanvas c(Size, Size, Size / 32.0f);
  DrawGroupIcon(c, Icon);
  return c.Image();
}

namespace {

// Count pictures of Size x Size in a row, each drawn at scale 1.
TArtImage PictureStrip(int Size, int Count, void (*Draw)(TCanvas&, int)) {
  TArtImage Strip(Size * Count, Size);
  for (int i = 0; i < Count; ++i) {
    TCanvas c(Size, Size, 1);
    Draw(c, i);
    Paste(Strip, c.Image(), i * Size, 0);
  }
  return Strip;
}

}  // namespace

TArtImage TabPictures() { return PictureStrip(TabPictureSize, TabPictureCount, DrawTabPicture); }

TArtImage TreePictures() { return PictureStrip(TreePictureSize, TreePictureCount, DrawTreePicture); }

TArtImage ProgramIcon(int Size) {
  TCanvas c(Size, Size, Size / 32.0f);
  const TShape Body = Flame(15.5f, 26.5f, 25, 9.5f, 3);
  if (Size >= 32) c.Glow(Body, WithAlpha(Orange, 0.55f), 3);
  DrawFlame(c, 15.5f, 26.5f, 25, 9.5f, 3);
  DrawLogs(c, 5.5f, 26.5f, 24, 28, 4.4f, Size >= 24);
  return c.Image();
}

TArtImage PenPicture() {
  TCanvas c(PenSize, PenSize, 1);
  // Along the pen (s) from the tip and across it (d); the tip sits on the
  // hot spot pixel's centre.
  const float Tx = PenTipX + 0.5f, Ty = PenTipY + 0.5f, r = std::sqrt(0.5f);
  const auto At = [=](float s, float d) { return std::array<float, 2>{Tx + (s + d) * r, Ty + (d - s) * r}; };
  const auto Seg = [&](float s0, float s1, float Width) {
    const auto a = At(s0, 0), b = At(s1, 0);
    return Segment(a[0], a[1], b[0], b[1], Width);
  };
  const TShape Cone = Polygon({At(-0.9f, 0), At(6.5f, 3.3f), At(6.5f, -3.3f)});
  const TShape Body = Seg(6.5f, 23, 6.6f);
  c.Fill(Union(Cone, Body), Ink, 1);
  c.Fill(Cone, Linear(At(0, 0)[0], At(0, 0)[1], Ash, At(6, 0)[0], At(6, 0)[1], Cream));
  const auto Edge = At(0, 3.3f), Other = At(0, -3.3f);
  c.Fill(Body, Linear(Edge[0], Edge[1], Yellow, Other[0], Other[1], Orange));
  c.Fill(Seg(20.5f, 23, 6.6f), Linear(Edge[0], Edge[1], Red, Other[0], Other[1], Ember));
  c.Fill(Seg(6.5f, 6.5f, 1.2f), Ink);
  c.Fill(Polygon({At(-0.9f, 0), At(2.6f, 1.4f), At(2.6f, -1.4f)}), Ink);
  return c.Image();
}

TArtImage MonitorPicture() {
  constexpr TColour Bezel{0.33f, 0.31f, 0.3f}, BezelLow{0.17f, 0.16f, 0.16f}, Rim{0.1f, 0.1f, 0.1f};
  TCanvas c(MonitorWidth, MonitorHeight, 1);
  c.Outlined(Polygon({{38, 68}, {51, 68}, {54, 75}, {35, 75}}), Vertical(68, BezelLow, 75, Bezel), Rim);
  c.Outlined(RoundBox(22, 74, 67, 79, 2), Vertical(74, Bezel, 79, BezelLow), Rim);
  c.Outlined(RoundBox(2, 2.5f, 87, 70, 3), Vertical(2, Bezel, 70, BezelLow), Rim);
  c.Fill(RoundBox(4.5f, 6.5f, 83.5f, 65.5f, 0.8f), Vertical(6, Rim, 66, TColour{0.45f, 0.43f, 0.42f}));
  c.Fill(Circle(80.5f, 67.7f, 1.1f), Amber);

  // The screen: a small fire of its own.
  const TArtRect& S = MonitorScreenRect;
  TCanvas Screen(S.Right - S.Left, S.Bottom - S.Top, 1);
  const float W = float(S.Right - S.Left), H = float(S.Bottom - S.Top);
  Screen.Paint(Vertical(0, TColour{0.22f, 0.04f, 0.02f}, H, TColour{0.4f, 0.07f, 0.02f}));
  DrawFireBand(Screen, W, H, 7);
  DrawFlame(Screen, W * 0.28f, H + 2, 30, 8, 2, false);
  DrawFlame(Screen, W * 0.55f, H + 2, 44, 11, -3, false);
  DrawFlame(Screen, W * 0.8f, H + 2, 26, 7, 2, false);
  const TArtImage Fire = Screen.Image();

  TArtImage Out = c.Image();
  for (TRgba& p : Out.Pixels) {
    // Hard edges against the transparent colour, and never that colour on the monitor.
    p = p.A < 128 ? TRgba{255, 255, 255, 255} : TRgba{p.R, p.G, p.B, 255};
  }
  for (int y = 0; y < Fire.Height; ++y)
    for (int x = 0; x < Fire.Width; ++x) {
      const TRgba f = Fire.At(x, y);
      Out.At(S.Left + x, S.Top + y) = {f.R, f.G, f.B, 255};
    }
  for (int y = 0; y < Out.Height; ++y)
    for (int x = 0; x < Out.Width; ++x) {
      TRgba& p = Out.At(x, y);
      const bool OnMonitor = c.At(x, y).A >= 0.5f || (x >= S.Left && x < S.Right && y >= S.Top && y < S.Bottom);
      if (OnMonitor && p == TRgba{255, 255, 255, 255}) p.B = 254;
    }
  return Out;
}

TArtImage Logo(int Zoom) {
  const float W = LogoWidth, H = LogoHeight;
  TCanvas c(LogoWidth * Zoom, LogoHeight * Zoom, float(Zoom));
  c.Paint(Vertical(0, TColour{0.07f, 0.025f, 0.02f}, H, TColour{0.3f, 0.06f, 0.02f}));
  DrawFireBand(c, W, H, 8);
  // The emblem: the program's flame, glowing.
  const TShape Emblem = Flame(43, 68, 60, 19, 6);
  c.Glow(Emblem, WithAlpha(Orange, 0.5f), 12);
  DrawFlame(c, 43, 68, 60, 19, 6);
  DrawLogs(c, 16, 70, 64.5f, 73, 8, true);

  // The name, warm letters with a dark rim on a soft glow.
  const float Baseline = 57;
  float x = 88;
  TShape Name = [](float, float) { return Far; };
  for (char Letter : std::string("Emberdell")) {
    const TGlyph g = Glyph(Letter, x, Baseline);
    Name = Union(Name, g.Shape);
    x += g.Width + 5.5f;
  }
  c.Glow(Name, WithAlpha(Orange, 0.45f), 9);
  c.Fill(Name, Ink, 2);
  c.Fill(Name, Vertical(Baseline - Ascent, Cream, Baseline, Amber));
  return c.Image();
}

std::vector<uint8_t> PngFile(const TArtImage& Image) {
  std::vector<uint8_t> Raw;
  Raw.reserve(size_t(Image.Height) * (Image.Width * 4 + 1));
  for (int y = 0; y < Image.Height; ++y) {
    Raw.push_back(0);  // no filter
    for (int x = 0; x < Image.Width; ++x) {
      const TRgba p = Image.At(x, y);
      Raw.insert(Raw.end(), {p.R, p.G, p.B, p.A});
    }
  }
  // zlib stream of stored blocks, at most 65535 bytes each.
  std::vector<uint8_t> Z{0x78, 0x01};
  for (size_t At = 0; At < Raw.size() || At == 0;) {
    const size_t n = std::min<size_t>(65535, Raw.size() - At);
    Z.push_back(At + n == Raw.size() ? 1 : 0);
    Put16(Z, unsigned(n)), Put16(Z, unsigned(~n & 0xFFFF));
    Z.insert(Z.end(), Raw.begin() + At, Raw.begin() + At + n);
    At += n;
    if (n == 0) break;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t v : Raw) a = (a + v) % 65521, b = (b + a) % 65521;
  Put32Be(Z, b << 16 | a);

  std::vector<uint8_t> f{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> Header;
  Put32Be(Header, Image.Width), Put32Be(Header, Image.Height);
  Header.insert(Header.end(), {8, 6, 0, 0, 0});  // 8 bits per channel, RGBA
  PngChunk(f, "IHDR", Header);
  PngChunk(f, "IDAT", Z);
  PngChunk(f, "IEND", {});
  return f;
}

std::vector<uint8_t> CursorFile(const TArtImage& Image, int HotX, int HotY) {
  std::vector<uint8_t> f = IconFile({Image});
  // A cursor directory: type 2, and the entry's planes and bit count carry
  // the hot spot.
  f[2] = 2;
  f[10] = uint8_t(HotX), f[11] = uint8_t(HotX >> 8), f[12] = uint8_t(HotY), f[13] = uint8_t(HotY >> 8);
  return f;
}

std::vector<uint8_t> IconFile(const std::vector<TArtImage>& Images) {
  std::vector<std::vector<uint8_t>> Entries;
  for (const TArtImage& Image : Images) {
    if (Image.Width >= 256) {
      Entries.push_back(PngFile(Image));
      continue;
    }
    std::vector<uint8_t> e;
    const uint32_t MaskRow = ((Image.Width + 31) / 32) * 4;
    Put32(e, 40), Put32(e, Image.Width), Put32(e, Image.Height * 2), Put16(e, 1), Put16(e, 32);
    Put32(e, 0), Put32(e, Image.Width * Image.Height * 4), Put32(e, 0), Put32(e, 0), Put32(e, 0), Put32(e, 0);
    for (int y = Image.Height - 1; y >= 0; --y)
      for (int x = 0; x < Image.Width; ++x) {
        const TRgba p = Image.At(x, y);
        e.insert(e.end(), {p.B, p.G, p.R, p.A});
      }
    // The AND mask marks the fully transparent pixels, for readers that ignore alpha.
    for (int y = Image.Height - 1; y >= 0; --y)
      for (uint32_t i = 0; i < MaskRow; ++i) {
        uint8_t Bits = 0;
        for (int k = 0; k < 8; ++k) {
          const int x = int(i * 8) + k;
          if (x < Image.Width && Image.At(x, y).A == 0) Bits |= uint8_t(0x80 >> k);
        }
        e.push_back(Bits);
      }
    Entries.push_back(std::move(e));
  }
  std::vector<uint8_t> f;
  Put16(f, 0), Put16(f, 1), Put16(f, unsigned(Images.size()));
  uint32_t Offset = 6 + 16 * uint32_t(Images.size());
  for (size_t i = 0; i < Images.size(); ++i) {
    f.push_back(uint8_t(Images[i].Width & 255)), f.push_back(uint8_t(Images[i].Height & 255));
    f.push_back(0), f.push_back(0);
    Put16(f, 1), Put16(f, 32), Put32(f, uint32_t(Entries[i].size())), Put32(f, Offset);
    Offset += uint32_t(Entries[i].size());
  }
  for (const auto& e : Entries) f.insert(f.end(), e.begin(), e.end());
  return f;
}

std::vector<uint8_t> BitmapFile(const TArtImage& Image, TRgba MaskColour, TRgba Matte, uint8_t MaskAlpha) {
  const uint32_t Row = (uint32_t(Image.Width) * 3 + 3) & ~3u, Size = 54 + Row * Image.Height;
  std::vector<uint8_t> f{'B', 'M'};
  Put32(f, Size), Put32(f, 0), Put32(f, 54);
  Put32(f, 40), Put32(f, Image.Width), Put32(f, Image.Height), Put16(f, 1), Put16(f, 24);
  Put32(f, 0), Put32(f, Row * Image.Height), Put32(f, 3780), Put32(f, 3780), Put32(f, 0), Put32(f, 0);
  for (int y = Image.Height - 1; y >= 0; --y) {
    const size_t Start = f.size();
    for (int x = 0; x < Image.Width; ++x) {
      const TRgba p = Image.At(x, y);
      if (p.A < MaskAlpha) {
        f.insert(f.end(), {MaskColour.B, MaskColour.G, MaskColour.R});
        continue;
      }
      const auto Blend = [&](uint8_t c, uint8_t m) { return uint8_t((c * p.A + m * (255 - p.A) + 127) / 255); };
      f.insert(f.end(), {Blend(p.B, Matte.B), Blend(p.G, Matte.G), Blend(p.R, Matte.R)});
    }
    f.resize(Start + Row, 0);
  }
  return f;
}

TArtImage Preview(const TArtImage& Image, int Zoom, TRgba Background) {
  TArtImage Out(Image.Width * Zoom, Image.Height * Zoom);
  for (int y = 0; y < Out.Height; ++y)
    for (int x = 0; x < Out.Width; ++x) {
      const TRgba p = Image.At(x / Zoom, y / Zoom);
      const auto Blend = [&](uint8_t c, uint8_t m) { return uint8_t((c * p.A + m * (255 - p.A) + 127) / 255); };
      Out.At(x, y) = {Blend(p.R, Background.R), Blend(p.G, Background.G), Blend(p.B, Background.B), 255};
    }
  return Out;
}

bool WriteArtwork(const std::string& Folder, std::string& Error) {
  const std::string Out = Folder + "/";
  const auto Write = [&](const std::string& Name, const std::vector<uint8_t>& Bytes) {
    if (WriteBytes(Out + Name, Bytes)) return true;
    if (Error.empty()) Error = "cannot write " + Out + Name;
    return false;
  };
  bool Ok = true;
  for (TGroupIcon Icon : AllGroupIcons) {
    std::vector<TArtImage> Sizes;
    for (int Size : GroupIconSizes) Sizes.push_back(GroupIcon(Icon, Size));
    Ok = Write(std::string("PIC32_") + GroupIconName(Icon) + ".ico", IconFile(Sizes)) && Ok;
  }
  std::vector<TArtImage> Program;
  for (int Size : ProgramIconSizes) Program.push_back(ProgramIcon(Size));
  Ok = Write("program.ico", IconFile(Program)) && Ok;
  // The tabs sit on the dialog's face colour, the tree on the window colour.
  Ok = Write("settings_tabs.bmp", BitmapFile(TabPictures(), {255, 0, 255, 255}, {240, 240, 240, 255})) && Ok;
  Ok = Write("settings_tree.bmp", BitmapFile(TreePictures())) && Ok;
  Ok = Write("logo.bmp", BitmapFile(Logo(1))) && Ok;
  Ok = Write("logo2x.bmp", BitmapFile(Logo(2))) && Ok;
  Ok = Write("monitor.bmp", BitmapFile(MonitorPicture())) && Ok;
  return Ok;
}

}  // namespace emberdell
