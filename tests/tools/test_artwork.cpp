#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "tools/uArtwork.h"

using namespace emberdell;

namespace {

unsigned U16(const std::vector<uint8_t>& f, size_t i) { return f[i] | f[i + 1] << 8; }
uint32_t U32(const std::vector<uint8_t>& f, size_t i) { return U16(f, i) | uint32_t(U16(f, i + 2)) << 16; }
uint32_t Be32(const std::vector<uint8_t>& f, size_t i) {
  return uint32_t(f[i]) << 24 | uint32_t(f[i + 1]) << 16 | uint32_t(f[i + 2]) << 8 | f[i + 3];
}
bool White(TRgba p) { return p.R == 255 && p.G == 255 && p.B == 255; }

struct TPiece {
  const char* Name;
  std::function<TArtImage()> Draw;
  int Width, Height;
};

}  // namespace

TEST(Artwork, EveryPieceHasItsSize) {
  const TPiece Pieces[] = {
      {"tabs", TabPictures, 80, 20},
      {"tree", TreePictures, 128, 16},
      {"logo", [] { return Logo(1); }, 447, 78},
      {"logo 2x", [] { return Logo(2); }, 894, 156},
      {"monitor", MonitorPicture, 89, 80},
      {"group icon 48", [] { return GroupIcon(TGroupIcon::Sound, 48); }, 48, 48},
      {"program icon 256", [] { return ProgramIcon(256); }, 256, 256},
  };
  for (const TPiece& p : Pieces) {
    const TArtImage Image = p.Draw();
    EXPECT_EQ(Image.Width, p.Width) << p.Name;
    EXPECT_EQ(Image.Height, p.Height) << p.Name;
    EXPECT_EQ(Image.Pixels.size(), size_t(p.Width) * p.Height) << p.Name;
  }
}

// Every icon at every size: clear corners, a solid body and anti-aliased
// (partly transparent) edges.
TEST(Artwork, IconsHaveClearCornersSolidBodiesAndSoftEdges) {
  std::vector<std::pair<std::string, TArtImage>> Icons;
  for (TGroupIcon Icon : AllGroupIcons)
    for (int Size : GroupIconSizes) Icons.push_back({GroupIconName(Icon) + std::to_string(Size), GroupIcon(Icon, Size)});
  for (int Size : ProgramIconSizes) Icons.push_back({"program" + std::to_string(Size), ProgramIcon(Size)});
  for (const auto& [Name, Image] : Icons) {
    const int n = Image.Width - 1;
    for (auto [x, y] : {std::pair{0, 0}, {n, 0}, {0, n}, {n, n}}) EXPECT_EQ(Image.At(x, y).A, 0) << Name;
    size_t Opaque = 0, Soft = 0;
    for (const TRgba& p : Image.Pixels) Opaque += p.A == 255, Soft += p.A > 0 && p.A < 255;
    EXPECT_GT(Opaque, Image.Pixels.size() / 4) << Name;
    EXPECT_GE(Soft, size_t(Image.Width / 4)) << Name;
  }
}

// The performance dialog keys the picture on white and paints bands over the
// screen, so the outside must be exactly white, the monitor never white, and
// the screen exactly where the dialog thinks it is.
TEST(Artwork, MonitorIsKeyedOnWhiteAndItsScreenIsExactlyTheScreenRect) {
  const TArtImage m = MonitorPicture();
  const TArtRect& S = MonitorScreenRect;
  EXPECT_EQ(S.Left, 6);
  EXPECT_EQ(S.Top, 8);
  EXPECT_EQ(S.Right, 82);
  EXPECT_EQ(S.Bottom, 64);
  for (int x = 0; x < m.Width; ++x) EXPECT_TRUE(White(m.At(x, 0))) << x;
  for (int y = 0; y < m.Height; ++y) EXPECT_TRUE(White(m.At(0, y)) && White(m.At(88, y))) << y;
  for (int x : {1, 10, 20, 70, 80, 87}) EXPECT_TRUE(White(m.At(x, 79))) << x;  // beside the foot
  for (int y = 3; y < 70; ++y)
    for (int x = 2; x < 87; ++x) ASSERT_FALSE(White(m.At(x, y))) << x << "," << y;
  for (const TRgba& p : m.Pixels) ASSERT_EQ(p.A, 255);

  // The screen glows red; the bezel around it is neutral grey.
  const auto Warm = [&](int x, int y) { return m.At(x, y).R - m.At(x, y).B >= 40; };
  for (int y = S.Top; y < S.Bottom; ++y)
    for (int x = S.Left; x < S.Right; ++x) ASSERT_TRUE(Warm(x, y)) << x << "," << y;
  for (int x = S.Left - 1; x <= S.Right; ++x) EXPECT_FALSE(Warm(x, S.Top - 1) || Warm(x, S.Bottom)) << x;
  for (int y = S.Top - 1; y <= S.Bottom; ++y) EXPECT_FALSE(Warm(S.Left - 1, y) || Warm(S.Right, y)) << y;
}

// The greyed tree pictures are plainly grey; the others are not, and a
// ticked box is not an empty one.
TEST(Artwork, TreePicturesGreyedAndTicked) {
  const TArtImage t = TreePictures();
  const auto Cell = [&](int i, const std::function<void(TRgba)>& f) {
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) f(t.At(i * 16 + x, y));
  };
  for (int i = 0; i < TreePictureCount; ++i) {
    int Coloured = 0, Drawn = 0;
    Cell(i, [&](TRgba p) {
      Drawn += p.A > 0;
      Coloured += p.A > 0 && std::abs(p.R - p.B) > 24;
    });
    EXPECT_GT(Drawn, 80) << i;
    if (i % 2 == 1) {
      EXPECT_EQ(Coloured, 0) << i;
    } else if (i >= 2) {
      EXPECT_GT(Coloured, 8) << i;
    }
  }
  int Different = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) Different += !(t.At(x, y) == t.At(32 + x, y));
  EXPECT_GT(Different, 12);
}

// An icon file reads back: the directory, 32-bit bitmap entries with a
// double-height header, and the 256-pixel entry as a PNG.
TEST(Artwork, ProgramIconFileHoldsEverySize) {
  std::vector<TArtImage> Images;
  for (int Size : ProgramIconSizes) Images.push_back(ProgramIcon(Size));
  const std::vector<uint8_t> f = IconFile(Images);
  ASSERT_EQ(U16(f, 2), 1u);
  ASSERT_EQ(U16(f, 4), 5u);
  uint32_t Next = 6 + 16 * 5;
  const int Sizes[] = {16, 24, 32, 48, 256};
  for (int i = 0; i < 5; ++i) {
    const size_t e = 6 + 16 * size_t(i);
    EXPECT_EQ(f[e], Sizes[i] & 255) << i;
    EXPECT_EQ(f[e + 1], Sizes[i] & 255) << i;
    EXPECT_EQ(U16(f, e + 6), 32u) << i;
    const uint32_t Size = U32(f, e + 8), Offset = U32(f, e + 12);
    EXPECT_EQ(Offset, Next) << i;
    Next = Offset + Size;
    ASSERT_LE(Next, f.size());
    if (Sizes[i] == 256) {
      EXPECT_EQ(Be32(f, Offset), 0x89504E47u);
      EXPECT_EQ(Be32(f, Offset + 16), 256u);  // IHDR width
    } else {
      const uint32_t Mask = ((Sizes[i] + 31) / 32) * 4 * Sizes[i];
      EXPECT_EQ(U32(f, Offset), 40u) << i;
      EXPECT_EQ(U32(f, Offset + 8), uint32_t(2 * Sizes[i])) << i;
      EXPECT_EQ(U16(f, Offset + 14), 32u) << i;
      EXPECT_EQ(Size, 40 + uint32_t(Sizes[i] * Sizes[i] * 4) + Mask) << i;
      // Bottom-up: the first stored pixel is the image's bottom-left one.
      const TRgba p = Images[i].At(0, Sizes[i] - 1);
      EXPECT_EQ(f[Offset + 40 + 3], p.A) << i;
    }
  }
  EXPECT_EQ(Next, f.size());
}

// The PNG's chunks carry correct CRCs and its stored zlib stream inflates
// back to the pixels.
TEST(Artwork, PngReadsBackToThePixels) {
  TArtImage Image(300, 120);  // more than one stored block
  for (int y = 0; y < Image.Height; ++y)
    for (int x = 0; x < Image.Width; ++x) Image.At(x, y) = {uint8_t(x), uint8_t(y), uint8_t(x ^ y), uint8_t(x + y)};
  const std::vector<uint8_t> f = PngFile(Image);
  std::vector<uint8_t> Z;
  size_t At = 8;
  int Chunks = 0;
  while (At < f.size()) {
    const uint32_t Len = Be32(f, At);
    uint32_t c = 0xFFFFFFFF;
    for (size_t i = At + 4; i < At + 8 + Len; ++i) {
      c ^= f[i];
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
    }
    EXPECT_EQ(~c, Be32(f, At + 8 + Len)) << Chunks;
    if (std::string(f.begin() + long(At) + 4, f.begin() + long(At) + 8) == "IDAT")
      Z.insert(Z.end(), f.begin() + long(At) + 8, f.begin() + long(At + 8 + Len));
    At += 12 + Len, ++Chunks;
  }
  EXPECT_EQ(Chunks, 3);
  std::vector<uint8_t> Raw;
  size_t p = 2;
  for (bool Last = false; !Last;) {
    Last = Z[p] & 1;
    const unsigned n = U16(Z, p + 1);
    ASSERT_EQ(n ^ 0xFFFF, U16(Z, p + 3));
    Raw.insert(Raw.end(), Z.begin() + long(p) + 5, Z.begin() + long(p + 5 + n));
    p += 5 + n;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t v : Raw) a = (a + v) % 65521, b = (b + a) % 65521;
  EXPECT_EQ(Be32(Z, p), b << 16 | a);
  ASSERT_EQ(Raw.size(), size_t(Image.Height) * (Image.Width * 4 + 1));
  const size_t Row = Image.Width * 4 + 1;
  EXPECT_EQ(Raw[Row * 7], 0);  // no filter
  EXPECT_EQ(Raw[Row * 7 + 1 + 4 * 5 + 2], 5 ^ 7);
}

// 24-bit bitmaps: headers, padded rows bottom-up, the mask colour under
// clear pixels and partly clear ones laid over the matte.
TEST(Artwork, BitmapFileMasksAndMattes) {
  TArtImage Image(3, 2);
  Image.At(0, 0) = {10, 20, 30, 255};
  Image.At(1, 0) = {0, 0, 0, 128};
  const std::vector<uint8_t> f = BitmapFile(Image, {255, 0, 255, 255}, {200, 200, 200, 255});
  ASSERT_EQ(f.size(), 54u + 2 * 12);
  EXPECT_EQ(U32(f, 2), f.size());
  EXPECT_EQ(U32(f, 18), 3u);
  EXPECT_EQ(U32(f, 22), 2u);
  EXPECT_EQ(U16(f, 28), 24u);
  const size_t Top = 54 + 12;  // the top row is stored second
  const std::vector<uint8_t> TopRow(f.begin() + Top, f.begin() + Top + 9);
  // Opaque as drawn, half black over the matte of 200, then the mask colour.
  EXPECT_EQ(TopRow, (std::vector<uint8_t>{30, 20, 10, 100, 100, 100, 255, 0, 255}));
  EXPECT_EQ(f[54], 255);  // the bottom row is all clear
}
