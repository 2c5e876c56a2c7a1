// Draws the settings window's pictures at build time: the eight group icons
// (32-bit with soft alpha edges; each holds 32 x 32 and the sizes the window
// asks for at 120, 144 and 192 DPI: 40, 48 and 64), the strip of four 20 x 20 tab pictures
// and the strip of eight 16 x 16 tree pictures (check boxes and folders, each
// also greyed). They are plain placeholders; the artwork replaces them under
// the same resource names and sizes.
//
// Usage: emberdell-make-icons OUTPUT_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct TColour {
  float R, G, B, A;
};

// A straight-alpha RGBA canvas, top row first. The shapes are given in units
// of Scale pixels: a 64 x 64 canvas of scale 2 takes a 32 x 32 drawing.
struct TCanvas {
  int W, H;
  std::vector<TColour> Pixels;
  float Scale = 1;
  TCanvas(int Width, int Height, TColour Fill) : W(Width), H(Height), Pixels(size_t(Width) * Height, Fill) {}
  TColour& At(int X, int Y) { return Pixels[size_t(Y) * W + X]; }

  // Paints Colour where Coverage (0..1, sampled 4 x 4 per pixel) says so.
  void Shape(const std::function<bool(float, float)>& Inside, TColour Colour) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        int Hits = 0;
        for (int sy = 0; sy < 4; ++sy)
          for (int sx = 0; sx < 4; ++sx) Hits += Inside((x + (sx + 0.5f) / 4) / Scale, (y + (sy + 0.5f) / 4) / Scale);
        if (Hits == 0) continue;
        const float a = Colour.A * Hits / 16.0f;
        TColour& p = At(x, y);
        const float Out = a + p.A * (1 - a);
        if (Out <= 0) continue;
        p.R = (Colour.R * a + p.R * p.A * (1 - a)) / Out;
        p.G = (Colour.G * a + p.G * p.A * (1 - a)) / Out;
        p.B = (Colour.B * a + p.B * p.A * (1 - a)) / Out;
        p.A = Out;
      }
  }
  void Disc(float Cx, float Cy, float Radius, TColour C) {
    Shape([=](float x, float y) { return (x - Cx) * (x - Cx) + (y - Cy) * (y - Cy) <= Radius * Radius; }, C);
  }
  void Box(float L, float T, float R, float B, TColour C) {
    Shape([=](float x, float y) { return x >= L && x < R && y >= T && y < B; }, C);
  }
  void Line(float X0, float Y0, float X1, float Y1, float Width, TColour C) {
    Shape(
        [=](float x, float y) {
          const float dx = X1 - X0, dy = Y1 - Y0, Len2 = dx * dx + dy * dy;
          const float t = std::clamp(((x - X0) * dx + (y - Y0) * dy) / Len2, 0.0f, 1.0f);
          const float px = X0 + t * dx - x, py = Y0 + t * dy - y;
          return px * px + py * py <= Width * Width / 4;
        },
        C);
  }
  // A flame: a drop shape pointing up.
  void Flame(float Cx, float Bottom, float Size, TColour C) {
    Shape(
        [=](float x, float y) {
          const float v = (Bottom - y) / Size;  // 0 at the bottom, 1 at the tip
          if (v < 0 || v > 1) return false;
          const float Half = Size * 0.32f * std::sin(3.14159f * std::pow(1 - v, 0.8f));
          return std::fabs(x - Cx) <= Half;
        },
        C);
  }
};

void Put16(std::string& s, uint32_t v) { s += char(v & 255), s += char(v >> 8 & 255); }
void Put32(std::string& s, uint32_t v) { Put16(s, v & 0xFFFF), Put16(s, v >> 16); }
uint8_t Byte(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); }

bool WriteFile(const std::string& Path, const std::string& Bytes) {
  FILE* f = std::fopen(Path.c_str(), "wb");
  if (!f) return false;
  const bool Ok = std::fwrite(Bytes.data(), 1, Bytes.size(), f) == Bytes.size();
  return std::fclose(f) == 0 && Ok;
}

// 32-bit images with alpha, and all-zero AND masks, one icon file.
std::string Icon(const std::vector<TCanvas>& Images) {
  std::string s, Data;
  Put16(s, 0), Put16(s, 1), Put16(s, uint32_t(Images.size()));
  const uint32_t First = 6 + 16 * uint32_t(Images.size());
  for (const TCanvas& c : Images) {
    const uint32_t MaskRow = ((c.W + 31) / 32) * 4;
    const uint32_t Size = 40 + c.W * c.H * 4 + MaskRow * c.H;
    s += char(c.W), s += char(c.H), s += char(0), s += char(0);
    Put16(s, 1), Put16(s, 32), Put32(s, Size), Put32(s, First + uint32_t(Data.size()));
    Put32(Data, 40), Put32(Data, c.W), Put32(Data, c.H * 2), Put16(Data, 1), Put16(Data, 32);
    for (int i = 0; i < 6; ++i) Put32(Data, 0);
    for (int y = c.H - 1; y >= 0; --y)
      for (int x = 0; x < c.W; ++x) {
        const TColour& p = c.Pixels[size_t(y) * c.W + x];
        Data += char(Byte(p.B)), Data += char(Byte(p.G)), Data += char(Byte(p.R)), Data += char(Byte(p.A));
      }
    Data.append(size_t(MaskRow) * c.H, '\0');
  }
  return s + Data;
}

// A 24-bit bitmap; transparent parts become magenta, the image lists' mask colour.
std::string Bitmap(TCanvas& c) {
  std::string s;
  const uint32_t Row = (c.W * 3 + 3) & ~3u, Size = 54 + Row * c.H;
  s += "BM";
  Put32(s, Size), Put32(s, 0), Put32(s, 54);
  Put32(s, 40), Put32(s, c.W), Put32(s, c.H), Put16(s, 1), Put16(s, 24);
  Put32(s, 0), Put32(s, Row * c.H), Put32(s, 3780), Put32(s, 3780), Put32(s, 0), Put32(s, 0);
  for (int y = c.H - 1; y >= 0; --y) {
    std::string Line;
    for (int x = 0; x < c.W; ++x) {
      const TColour& p = c.At(x, y);
      if (p.A < 0.5f) {
        Line += char(255), Line += char(0), Line += char(255);
      } else {
        Line += char(Byte(p.B)), Line += char(Byte(p.G)), Line += char(Byte(p.R));
      }
    }
    Line.resize(Row, '\0');
    s += Line;
  }
  return s;
}

constexpr TColour Clear{0, 0, 0, 0}, White{1, 1, 1, 1}, Dark{0.2f, 0.2f, 0.2f, 1}, Orange{1, 0.55f, 0.1f, 1},
    Yellow{1, 0.85f, 0.2f, 1}, Red{0.85f, 0.15f, 0.05f, 1}, Blue{0.2f, 0.45f, 0.85f, 1}, Green{0.25f, 0.65f, 0.3f, 1},
    Grey{0.55f, 0.55f, 0.55f, 1}, Folder{0.95f, 0.78f, 0.35f, 1}, FolderDark{0.8f, 0.6f, 0.2f, 1};

TColour Greyed(TColour c) {
  const float v = 0.6f + 0.4f * (0.3f * c.R + 0.59f * c.G + 0.11f * c.B) * 0.6f;
  return {v, v, v, c.A};
}

// The eight group icons: a round badge with a symbol of its group.
void DrawIcon(TCanvas& c, const std::string& Name) {
  c.Disc(16, 16, 15, Dark);
  c.Disc(16, 16, 13.5f, {0.35f, 0.12f, 0.05f, 1});
  if (Name == "BACKGROUND") {
    c.Box(7, 9, 25, 23, White), c.Box(8.5f, 10.5f, 23.5f, 21.5f, Blue);
    c.Shape([](float x, float y) { return y > 21.5f - (x - 8) * 0.6f && y < 21.5f && x > 8.5f && x < 23.5f; }, Green);
  } else if (Name == "CHANGEPRESETS") {
    c.Flame(12, 25, 15, Red), c.Flame(20, 25, 13, Yellow);
  } else if (Name == "EDITPRESET") {
    c.Flame(13, 26, 17, Orange), c.Line(14, 23, 25, 8, 3, White), c.Line(13, 25, 15, 22, 2, Dark);
  } else if (Name == "EXIT") {
    c.Box(9, 8, 20, 25, Grey), c.Line(15, 16.5f, 26, 16.5f, 3, Yellow), c.Line(22, 12.5f, 26, 16.5f, 3, Yellow),
        c.Line(22, 20.5f, 26, 16.5f, 3, Yellow);
  } else if (Name == "PERFORMANCE") {
    c.Disc(16, 18, 10, White), c.Disc(16, 18, 8, Dark), c.Line(16, 18, 22, 12, 2.5f, Orange), c.Disc(16, 18, 2, Orange);
  } else if (Name == "SCREENSHOT") {
    c.Box(7, 11, 25, 23, Grey), c.Box(12, 8, 19, 11, Grey), c.Disc(16, 17, 4.5f, Dark), c.Disc(16, 17, 3, Orange);
  } else if (Name == "SOUND") {
    c.Box(8, 13, 12, 20, White), c.Shape([](float x, float y) { return x >= 12 && x < 18 && std::fabs(y - 16.5f) < (x - 12) * 0.9f + 3.5f; }, White);
    c.Line(21, 12, 23, 16.5f, 2, Yellow), c.Line(23, 16.5f, 21, 21, 2, Yellow);
  } else if (Name == "SUPPORT") {
    c.Box(7, 10, 25, 22, White), c.Line(7.5f, 10.5f, 16, 17, 1.6f, Dark), c.Line(24.5f, 10.5f, 16, 17, 1.6f, Dark);
  }
}

// Tab pictures 0..3: information, gear, landscape, flame (the tabs show 2, 3, 1, 0).
void DrawTab(TCanvas& c, int i) {
  const float o = i * 20.0f;
  switch (i) {
    case 0: c.Disc(o + 10, 10, 8, Blue), c.Box(o + 9, 5, o + 11, 12, White), c.Box(o + 9, 13, o + 11, 15, White); break;
    case 1: c.Disc(o + 10, 10, 8, Grey), c.Disc(o + 10, 10, 3.5f, White); break;
    case 3: c.Flame(o + 10, 19, 17, Red), c.Flame(o + 10, 19, 10, Yellow); break;
    case 2: c.Box(o + 2, 4, o + 18, 16, Dark), c.Box(o + 3, 5, o + 17, 15, Blue),
            c.Shape([o](float x, float y) { return y > 15 - (x - o - 3) * 0.5f && y < 15 && x > o + 3 && x < o + 17; }, Green);
            break;
  }
}

// Tree pictures: 0 empty box, 2 ticked box, 4 closed folder, 6 open folder;
// the odd ones greyed.
void DrawTree(TCanvas& c, int i) {
  const bool G = i % 2 == 1;
  auto Col = [G](TColour x) { return G ? Greyed(x) : x; };
  const float o = i * 16.0f;
  if (i < 4) {
    c.Box(o + 2, 2, o + 14, 14, Col(Dark)), c.Box(o + 3, 3, o + 13, 13, Col(White));
    if (i >= 2) c.Line(o + 4.5f, 8, o + 7, 11, 2, Col(Dark)), c.Line(o + 7, 11, o + 11.5f, 4.5f, 2, Col(Dark));
  } else {
    c.Box(o + 1, 3, o + 7, 5, Col(FolderDark)), c.Box(o + 1, 4, o + 15, 13, Col(FolderDark));
    if (i < 6) {
      c.Box(o + 2, 6, o + 14, 12, Col(Folder));
    } else {
      c.Shape([o](float x, float y) { return y >= 7 && y < 13 && x >= o + 3 + (y - 7) * -0.3f + 1 && x < o + 16 - (y - 7) * 0.4f; }, Col(Folder));
    }
  }
}

}  // namespace

int main(int Count, char** Args) {
  if (Count != 2) {
    std::fprintf(stderr, "usage: emberdell-make-icons OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string Out = std::string(Args[1]) + "/";
  bool Ok = true;
  for (const char* Name :
       {"SUPPORT", "EDITPRESET", "CHANGEPRESETS", "EXIT", "SCREENSHOT", "SOUND", "PERFORMANCE", "BACKGROUND"}) {
    std::vector<TCanvas> Sizes;
    for (int Size : {32, 40, 48, 64}) {
      TCanvas c(Size, Size, Clear);
      c.Scale = Size / 32.0f;
      DrawIcon(c, Name);
      Sizes.push_back(std::move(c));
    }
    Ok = WriteFile(Out + "PIC32_" + Name + ".ico", Icon(Sizes)) && Ok;
  }
  TCanvas Tabs(80, 20, Clear);
  for (int i = 0; i < 4; ++i) DrawTab(Tabs, i);
  Ok = WriteFile(Out + "settings_tabs.bmp", Bitmap(Tabs)) && Ok;
  TCanvas Tree(128, 16, Clear);
  for (int i = 0; i < 8; ++i) DrawTree(Tree, i);
  Ok = WriteFile(Out + "settings_tree.bmp", Bitmap(Tree)) && Ok;
  if (!Ok) std::fprintf(stderr, "emberdell-make-icons: cannot write into %s\n", Args[1]);
  return Ok ? 0 : 1;
}
