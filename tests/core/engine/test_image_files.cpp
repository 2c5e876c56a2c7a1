// Picture files: JPEG files are made here with libjpeg itself, bitmaps are
// put together byte by byte, and both are then damaged in the ways files
// from the wild are.
#include "core/engine/uImageFiles.h"
#include "core/engine/uExifOrientation.h"
#include "core/shared/uFileUtils.h"
#include "tests/support/reference_jpeg.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace emberdell {
namespace {

namespace fs = std::filesystem;

using TBytes = std::vector<uint8_t>;

struct TRgb {
  int R, G, B;
};

// Four flat quadrants; their centres survive chroma subsampling unchanged.
const TRgb kQuadrants[4] = {{230, 20, 30}, {20, 200, 40}, {30, 40, 220}, {240, 240, 60}};

TRgb QuadrantColour(int X, int Y, int Width, int Height) {
  return kQuadrants[(Y >= Height / 2 ? 2 : 0) + (X >= Width / 2 ? 1 : 0)];
}

TBytes EncodeJpeg(int Width, int Height, int Components, J_COLOR_SPACE InSpace,
                  const std::function<void(int, int, JSAMPLE*)>& Fill, bool Progressive = false,
                  int Quality = 95, J_COLOR_SPACE FileSpace = JCS_UNKNOWN) {
  return support::EncodeTestJpeg(Width, Height, Components, InSpace, Fill, Progressive, 0, Quality, FileSpace);
}

TBytes QuadrantJpeg(int Width, int Height, bool Progressive = false, int Quality = 95) {
  return EncodeJpeg(
      Width, Height, 3, JCS_RGB,
      [&](int X, int Y, JSAMPLE* P) {
        const TRgb C = QuadrantColour(X, Y, Width, Height);
        P[0] = static_cast<JSAMPLE>(C.R);
        P[1] = static_cast<JSAMPLE>(C.G);
        P[2] = static_cast<JSAMPLE>(C.B);
      },
      Progressive, Quality);
}

// Offsets of the header segments (each at its 0xFF) up to and including the
// first start-of-scan.
std::vector<size_t> HeaderSegments(const TBytes& Jpeg) {
  std::vector<size_t> Offsets;
  size_t At = 2;
  while (At + 4 <= Jpeg.size() && Jpeg[At] == 0xFF) {
    Offsets.push_back(At);
    if (Jpeg[At + 1] == 0xDA) break;
    At += 2 + (Jpeg[At + 2] << 8 | Jpeg[At + 3]);
  }
  return Offsets;
}

size_t FindSegment(const TBytes& Jpeg, uint8_t Code) {
  for (size_t At : HeaderSegments(Jpeg))
    if (Jpeg[At + 1] == Code) return At;
  return 0;
}

// Every quantisation value of every table in the header.
std::vector<int> QuantisationValues(const TBytes& Jpeg) {
  std::vector<int> Values;
  for (size_t At : HeaderSegments(Jpeg)) {
    if (Jpeg[At + 1] != 0xDB) continue;
    const size_t End = At + 2 + (Jpeg[At + 2] << 8 | Jpeg[At + 3]);
    size_t P = At + 4;
    while (P < End) {
      const bool Wide = (Jpeg[P] >> 4) != 0;
      ++P;
      for (int I = 0; I < 64; ++I, P += Wide ? 2 : 1)
        Values.push_back(Wide ? (Jpeg[P] << 8 | Jpeg[P + 1]) : Jpeg[P]);
    }
  }
  return Values;
}

void PatchJpegSize(TBytes& Jpeg, int Width, int Height) {
  size_t Sof = FindSegment(Jpeg, 0xC0);
  if (Sof == 0) Sof = FindSegment(Jpeg, 0xC2);
  ASSERT_NE(Sof, 0u);
  Jpeg[Sof + 5] = static_cast<uint8_t>(Height >> 8);
  Jpeg[Sof + 6] = static_cast<uint8_t>(Height);
  Jpeg[Sof + 7] = static_cast<uint8_t>(Width >> 8);
  Jpeg[Sof + 8] = static_cast<uint8_t>(Width);
}

const uint8_t* PixelAt(const TPixelImage& Image, int X, int Y) {
  return Image.Pixels.data() + (static_cast<size_t>(Y) * Image.Width + X) * 4;
}

void ExpectPixelNear(const TPixelImage& Image, int X, int Y, TRgb Want, int Tolerance) {
  const uint8_t* P = PixelAt(Image, X, Y);
  EXPECT_NEAR(P[2], Want.R, Tolerance) << "red at " << X << "," << Y;
  EXPECT_NEAR(P[1], Want.G, Tolerance) << "green at " << X << "," << Y;
  EXPECT_NEAR(P[0], Want.B, Tolerance) << "blue at " << X << "," << Y;
}

void ExpectQuadrants(const TPixelImage& Image, int Tolerance) {
  const int W = Image.Width, H = Image.Height;
  for (int Q = 0; Q < 4; ++Q) {
    const int X = (Q % 2) * W / 2 + W / 4, Y = (Q / 2) * H / 2 + H / 4;
    ExpectPixelNear(Image, X, Y, kQuadrants[Q], Tolerance);
  }
}

void ExpectReservedZero(const TPixelImage& Image) {
  ASSERT_EQ(Image.Pixels.size(), static_cast<size_t>(Image.Width) * Image.Height * 4);
  for (size_t I = 3; I < Image.Pixels.size(); I += 4) ASSERT_EQ(Image.Pixels[I], 0) << I;
}

// Decodes a JPEG that must decode: a picture of Width x Height (when Width is
// not 0) whose reserved bytes are zero. Callers wrap it in
// ASSERT_NO_FATAL_FAILURE.
void DecodeWhole(const TBytes& Jpeg, TPixelImage& Image, int Width = 0, int Height = 0) {
  std::string Error;
  ASSERT_TRUE(DecodeJpeg(Jpeg.data(), Jpeg.size(), Image, Error)) << Error;
  if (Width != 0) {
    ASSERT_EQ(Image.Width, Width);
    ASSERT_EQ(Image.Height, Height);
  }
  ExpectReservedZero(Image);
}

// Either a whole picture or a clean refusal: nothing half-filled.
void ExpectCleanResult(bool Ok, const TPixelImage& Image, const std::string& Error, int Width,
                       int Height) {
  if (Ok) {
    EXPECT_EQ(Image.Width, Width);
    EXPECT_EQ(Image.Height, Height);
    EXPECT_EQ(Image.Pixels.size(), static_cast<size_t>(Width) * Height * 4);
  } else {
    EXPECT_FALSE(Error.empty());
    EXPECT_TRUE(Image.Pixels.empty());
    EXPECT_EQ(Image.Width, 0);
  }
}

// ---------------------------------------------------------------------------

TEST(JpegDecodeTest, ColourBaselineAndProgressiveDecodeToBgrZero) {
  for (bool Progressive : {false, true}) {
    SCOPED_TRACE(Progressive ? "progressive" : "baseline");
    const TBytes Jpeg = QuadrantJpeg(64, 48, Progressive);
    TPixelImage Image;
    ASSERT_NO_FATAL_FAILURE(DecodeWhole(Jpeg, Image, 64, 48));
    ExpectQuadrants(Image, 12);
  }
}

TEST(JpegDecodeTest, GreyscaleDecodesToGreyPixels) {
  const TBytes Jpeg = EncodeJpeg(40, 20, 1, JCS_GRAYSCALE,
                                 [](int X, int, JSAMPLE* P) { *P = static_cast<JSAMPLE>(X * 6); });
  TPixelImage Image;
  ASSERT_NO_FATAL_FAILURE(DecodeWhole(Jpeg, Image, 40, 20));
  for (int Y = 0; Y < 20; ++Y)
    for (int X = 0; X < 40; ++X) {
      const uint8_t* P = PixelAt(Image, X, Y);
      ASSERT_EQ(P[0], P[1]);
      ASSERT_EQ(P[1], P[2]);
      ASSERT_NEAR(P[2], X * 6, 6) << X << "," << Y;
    }
}

// Adobe's CMYK files store 255 - ink, in CMYK or in YCCK.
TEST(JpegDecodeTest, AdobeCmykAndYcckDecodeToRgb) {
  struct TInk {
    int C, M, Y, K;
    TRgb Want;
  };
  const TInk Inks[4] = {{0, 255, 255, 0, {255, 0, 0}},
                        {255, 0, 255, 0, {0, 255, 0}},
                        {255, 255, 0, 0, {0, 0, 255}},
                        {0, 0, 0, 128, {127, 127, 127}}};
  for (J_COLOR_SPACE Space : {JCS_CMYK, JCS_YCCK}) {
    SCOPED_TRACE(Space == JCS_CMYK ? "CMYK" : "YCCK");
    const TBytes Jpeg = EncodeJpeg(
        32, 32, 4, JCS_CMYK,
        [&](int X, int Y, JSAMPLE* P) {
          const TInk& Ink = Inks[(Y >= 16 ? 2 : 0) + (X >= 16 ? 1 : 0)];
          P[0] = static_cast<JSAMPLE>(255 - Ink.C);
          P[1] = static_cast<JSAMPLE>(255 - Ink.M);
          P[2] = static_cast<JSAMPLE>(255 - Ink.Y);
          P[3] = static_cast<JSAMPLE>(255 - Ink.K);
        },
        false, 95, Space);
    ASSERT_NE(FindSegment(Jpeg, 0xEE), 0u) << "libjpeg should have written an Adobe marker";
    TPixelImage Image;
    ASSERT_NO_FATAL_FAILURE(DecodeWhole(Jpeg, Image, 32, 32));
    for (int Q = 0; Q < 4; ++Q) ExpectPixelNear(Image, (Q % 2) * 16 + 8, (Q / 2) * 16 + 8, Inks[Q].Want, 10);
  }
}

TEST(JpegDecodeTest, OddSizesKeepTheirSize) {
  for (auto [W, H] : {std::pair{1, 1}, std::pair{17, 9}, std::pair{9, 17}, std::pair{3, 250}}) {
    const TBytes Jpeg = EncodeJpeg(W, H, 3, JCS_RGB, [](int, int, JSAMPLE* P) {
      P[0] = 200;
      P[1] = 100;
      P[2] = 50;
    });
    TPixelImage Image;
    ASSERT_NO_FATAL_FAILURE(DecodeWhole(Jpeg, Image, W, H));
    ExpectPixelNear(Image, W - 1, H - 1, {200, 100, 50}, 6);
  }
}

TEST(JpegDecodeTest, LimitsAndEmptySizesAreRefusedFromTheHeader) {
  TBytes Jpeg = QuadrantJpeg(64, 48);
  TPixelImage Image;
  std::string Error;
  TPictureLimits Limits;
  Limits.MaxSide = 64;
  Limits.MaxBytes = 64 * 48 * 4;
  EXPECT_TRUE(DecodeJpeg(Jpeg.data(), Jpeg.size(), Image, Error, Limits)) << Error;
  Limits.MaxSide = 63;
  EXPECT_FALSE(DecodeJpeg(Jpeg.data(), Jpeg.size(), Image, Error, Limits));
  EXPECT_EQ(Error, "picture too large (64 x 48)");
  Limits.MaxSide = 64;
  Limits.MaxBytes = 64 * 48 * 4 - 1;
  EXPECT_FALSE(DecodeJpeg(Jpeg.data(), Jpeg.size(), Image, Error, Limits));
  EXPECT_TRUE(Image.Pixels.empty());

  // 60000 x 60000 would need 14 GB: refused from the header alone.
  PatchJpegSize(Jpeg, 60000, 60000);
  EXPECT_FALSE(DecodeJpeg(Jpeg.data(), Jpeg.size(), Image, Error));
  EXPECT_EQ(Error, "picture too large (60000 x 60000)");
  // Within the side limit but not the byte limit.
  PatchJpegSize(Jpeg, 19000, 19000);
  EXPECT_FALSE(DecodeJpeg(Jpeg.data(), Jpeg.size(), Image, Error));
  EXPECT_EQ(Error, "picture too large (19000 x 19000)");
  for (auto [W, H] : {std::pair{0, 48}, std::pair{64, 0}}) {
    PatchJpegSize(Jpeg, W, H);
    EXPECT_FALSE(DecodeJpeg(Jpeg.data(), Jpeg.size(), Image, Error));
    ExpectCleanResult(false, Image, Error, 0, 0);
  }
}

// A broken progressive file as built by hand: three full-size components
// (so 600 MB of coefficients for a 20000 x 5000 picture), one scan and then
// EntropyBytes of data that end without an end marker.
TBytes HugeProgressiveClaim(size_t EntropyBytes) {
  TBytes B = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
  B.insert(B.end(), 64, 1);
  const uint8_t Frame[] = {0xFF, 0xC2, 0x00, 0x11, 0x08, 0x13, 0x88, 0x4E, 0x20, 0x03,
                           1,    0x11, 0,    2,    0x11, 0,    3,    0x11, 0};
  B.insert(B.end(), std::begin(Frame), std::end(Frame));
  // One DC table: the single code "0", for a difference of 0.
  const uint8_t Table[] = {0xFF, 0xC4, 0x00, 0x14, 0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  B.insert(B.end(), std::begin(Table), std::end(Table));
  const uint8_t Scan[] = {0xFF, 0xDA, 0x00, 0x0C, 0x03, 1, 0x00, 2, 0x00, 3, 0x00, 0x00, 0x00, 0x00};
  B.insert(B.end(), std::begin(Scan), std::end(Scan));
  B.insert(B.end(), EntropyBytes, 0x00);
  return B;
}

// A small real file whose header now claims a big picture.
TBytes PatchedClaim(int Width, int Height) {
  TBytes Jpeg = QuadrantJpeg(64, 48);
  PatchJpegSize(Jpeg, Width, Height);
  return Jpeg;
}

TBytes FlatJpeg(int Width, int Height) {
  return EncodeJpeg(Width, Height, 3, JCS_RGB, [](int, int, JSAMPLE* P) { P[0] = P[1] = P[2] = 90; }, false, 50);
}

struct TClaim {
  const char* What;
  TBytes Jpeg;
  bool Readable;
};

std::vector<TClaim> Claims() {
  return {
      {"200 bytes claiming 20000 x 5000", HugeProgressiveClaim(200 - 126), false},
      {"enough data to be believed, too much memory asked", HugeProgressiveClaim(200000), false},
      {"a small baseline file claiming 8000 x 6000", PatchedClaim(8000, 6000), false},
      {"a flat picture that packs tightly", FlatJpeg(2000, 1500), true},
  };
}

TEST(JpegDecodeTest, FilesClaimingMorePictureThanTheyHoldFailCleanly) {
  for (const TClaim& C : Claims()) {
    TPixelImage Image;
    std::string Error;
    const bool Ok = DecodeJpeg(C.Jpeg.data(), C.Jpeg.size(), Image, Error);
    EXPECT_EQ(Ok, C.Readable) << C.What << ": " << Error;
    if (!C.Readable) ExpectCleanResult(Ok, Image, Error, 0, 0);
  }
}

#ifdef __linux__
// The process's peak of mapped memory, in kB; a fresh process for each
// measurement, since the peak never comes down.
long PeakMappedKb() {
  std::ifstream Status("/proc/self/status");
  std::string Line;
  while (std::getline(Status, Line))
    if (Line.rfind("VmPeak:", 0) == 0) return std::strtol(Line.c_str() + 7, nullptr, 10);
  return -1;
}
#endif

TEST(JpegDecodeTest, ABrokenFileCostsNoMoreMemoryThanItsHeaderIsWorth) {
#ifdef __linux__
  if (PeakMappedKb() < 0) GTEST_SKIP() << "no /proc/self/status";
  // Each case in a process of its own, started afresh.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const TClaim& C : Claims()) {
    if (C.Readable) continue;
    EXPECT_EXIT(
        {
          const long Before = PeakMappedKb();
          TPixelImage Image;
          std::string Error;
          const bool Ok = DecodeJpeg(C.Jpeg.data(), C.Jpeg.size(), Image, Error);
          const long GrewKb = PeakMappedKb() - Before;
          std::fprintf(stderr, "peak grew by %ld kB\n", GrewKb);
          std::exit(!Ok && GrewKb < 32 * 1024 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "")
        << C.What;
  }
#else
  GTEST_SKIP() << "the peak is read from /proc";
#endif
}

// ---------------------------------------------------------------------------
// Exif blocks as cameras write them.

struct TExifEntry {
  uint16_t Tag, Type;
  uint32_t Count, Value;
};
constexpr uint16_t ExifOrientationTag = 0x0112, ExifShort = 3;

// The payload of an APP1 marker: "Exif\0\0", a TIFF header in the given byte
// order and one directory at offset Directory. A directory further on is
// reached through padding; one past any sensible size is written at the
// usual place, where it must not be found.
TBytes ExifPayload(bool BigEndian, const std::vector<TExifEntry>& Entries, uint32_t Directory = 8) {
  TBytes B = {'E', 'x', 'i', 'f', 0, 0, BigEndian ? uint8_t('M') : uint8_t('I'), BigEndian ? uint8_t('M') : uint8_t('I')};
  const auto U16 = [&](uint32_t V) {
    B.push_back(uint8_t(BigEndian ? V >> 8 : V));
    B.push_back(uint8_t(BigEndian ? V : V >> 8));
  };
  const auto U32 = [&](uint32_t V) {
    U16(BigEndian ? V >> 16 : V & 0xFFFF);
    U16(BigEndian ? V & 0xFFFF : V >> 16);
  };
  U16(42);
  U32(Directory);
  if (Directory <= 256) B.resize(6 + size_t{Directory}, 0);
  U16(static_cast<uint32_t>(Entries.size()));
  for (const TExifEntry& E : Entries) {
    U16(E.Tag);
    U16(E.Type);
    U32(E.Count);
    // A short sits in the first half of the value field.
    if (E.Type == ExifShort) {
      U16(E.Value);
      U16(0);
    } else {
      U32(E.Value);
    }
  }
  U32(0);  // no next directory
  return B;
}

// The JPEG with APP1 segments holding these payloads right after its start.
TBytes WithApp1(const TBytes& Jpeg, const std::vector<TBytes>& Payloads) {
  TBytes Out(Jpeg.begin(), Jpeg.begin() + 2);
  for (const TBytes& P : Payloads) {
    const size_t Length = P.size() + 2;
    Out.insert(Out.end(), {0xFF, 0xE1, uint8_t(Length >> 8), uint8_t(Length)});
    Out.insert(Out.end(), P.begin(), P.end());
  }
  Out.insert(Out.end(), Jpeg.begin() + 2, Jpeg.end());
  return Out;
}

TEST(ExifOrientation, ReadFromEitherByteOrderAndAsStoredWhenDamaged) {
  const TExifEntry Rotated{ExifOrientationTag, ExifShort, 1, 6};
  const auto Patched = [](TBytes B, size_t At, std::initializer_list<uint8_t> Bytes) {
    for (uint8_t Byte : Bytes) B[At++] = Byte;
    return B;
  };
  TBytes JustPast = ExifPayload(true, {Rotated}, 27);
  JustPast.resize(6 + 27);  // the directory would start where the block ends
  const struct {
    const char* What;
    TBytes Payload;
    TOrientation Expected;
  } Cases[] = {
      {"little-endian", ExifPayload(false, {Rotated}), TOrientation::Rotate90},
      {"big-endian", ExifPayload(true, {{ExifOrientationTag, ExifShort, 1, 8}}), TOrientation::Rotate270},
      {"after another tag", ExifPayload(false, {{0x010F, 2, 4, 0}, {ExifOrientationTag, ExifShort, 1, 3}}),
       TOrientation::Rotate180},
      {"directory further on", ExifPayload(true, {{ExifOrientationTag, ExifShort, 1, 5}}, 40), TOrientation::Transpose},
      {"stored as a long", ExifPayload(false, {{ExifOrientationTag, 4, 1, 2}}), TOrientation::MirrorHorizontal},
      {"value 0", ExifPayload(false, {{ExifOrientationTag, ExifShort, 1, 0}}), TOrientation::AsStored},
      {"value 9", ExifPayload(true, {{ExifOrientationTag, ExifShort, 1, 9}}), TOrientation::AsStored},
      {"stored as text", ExifPayload(false, {{ExifOrientationTag, 2, 1, 6}}), TOrientation::AsStored},
      {"wrong byte order marker", Patched(ExifPayload(false, {Rotated}), 7, {'M'}), TOrientation::AsStored},
      {"wrong TIFF magic", Patched(ExifPayload(true, {Rotated}), 9, {43}), TOrientation::AsStored},
      {"not an Exif block", Patched(ExifPayload(false, {Rotated}), 4, {'x'}), TOrientation::AsStored},
      {"directory past the end", ExifPayload(false, {Rotated}, 0xFFFFFFF0u), TOrientation::AsStored},
      {"directory just past the end", JustPast, TOrientation::AsStored},
      {"500 entries claimed, one there", Patched(ExifPayload(false, {{0x010F, 2, 4, 0}}), 14, {0xF4, 0x01}),
       TOrientation::AsStored},
      {"the tag before the missing entries", Patched(ExifPayload(true, {Rotated}), 14, {0x01, 0xF4}),
       TOrientation::Rotate90},
      {"empty", TBytes{}, TOrientation::AsStored},
  };
  for (const auto& C : Cases) {
    // An exact-size copy, so a read past the end is caught by the sanitizers.
    const TBytes Copy(C.Payload);
    EXPECT_EQ(ExifOrientation(Copy.data(), Copy.size()), C.Expected) << C.What;
  }
}

TEST(ExifOrientation, ACutBlockIsReadOnlyWhereTheEntryIsWhole) {
  for (bool BigEndian : {false, true}) {
    const TBytes Full = ExifPayload(BigEndian, {{0x010F, 2, 4, 0}, {ExifOrientationTag, ExifShort, 1, 7}});
    const size_t EntryEnd = 6 + 8 + 2 + 2 * 12;  // "Exif\0\0", the TIFF header, the count, two entries
    for (size_t Length = 0; Length <= Full.size(); ++Length) {
      const TBytes Cut(Full.begin(), Full.begin() + static_cast<ptrdiff_t>(Length));
      EXPECT_EQ(ExifOrientation(Cut.data(), Cut.size()),
                Length >= EntryEnd ? TOrientation::Transverse : TOrientation::AsStored)
          << (BigEndian ? "big" : "little") << "-endian, cut at " << Length;
    }
  }
}

// Six flat 8 x 8 blocks, three across and two down, each its own grey:
//   A B C
//   D E F
constexpr int kBlockLevels[6] = {20, 60, 100, 140, 180, 220};

TBytes BlocksJpeg(bool Progressive) {
  return EncodeJpeg(
      24, 16, 1, JCS_GRAYSCALE, [](int X, int Y, JSAMPLE* P) { P[0] = JSAMPLE(kBlockLevels[Y / 8 * 3 + X / 8]); },
      Progressive, 100);
}

// The blocks of a decoded picture as letters, row by row.
std::string BlocksOf(const TPixelImage& Image) {
  std::string Text;
  for (int By = 0; By < Image.Height / 8; ++By) {
    if (By > 0) Text += '/';
    for (int Bx = 0; Bx < Image.Width / 8; ++Bx) {
      const uint8_t* P = PixelAt(Image, Bx * 8 + 4, By * 8 + 4);
      char Letter = '?';
      for (int i = 0; i < 6; ++i)
        if (std::abs(P[0] - kBlockLevels[i]) <= 4 && P[0] == P[1] && P[1] == P[2]) Letter = char('A' + i);
      Text += Letter;
    }
  }
  return Text;
}

TEST(JpegDecodeTest, PhotosAreTurnedUprightByTheirExifOrientation) {
  const TBytes Xmp = {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', 0};
  const TBytes Cut = [] {
    TBytes P = ExifPayload(false, {{ExifOrientationTag, ExifShort, 1, 6}});
    P.resize(20);
    return P;
  }();
  const struct {
    uint32_t Value;  // 0: the blocks below instead
    std::vector<TBytes> Blocks;
    const char* Upright;
  } Cases[] = {
      {1, {}, "ABC/DEF"},  {2, {}, "CBA/FED"},  {3, {}, "FED/CBA"},  {4, {}, "DEF/ABC"},
      {5, {}, "AD/BE/CF"}, {6, {}, "DA/EB/FC"}, {7, {}, "FC/EB/DA"}, {8, {}, "CF/BE/AD"},
      {0, {}, "ABC/DEF"},  // no block
      {0, {Cut}, "ABC/DEF"},
      {0, {Xmp, ExifPayload(true, {{ExifOrientationTag, ExifShort, 1, 6}})}, "DA/EB/FC"},  // Exif after XMP
  };
  for (bool Progressive : {false, true}) {
    const TBytes Plain = BlocksJpeg(Progressive);
    for (const auto& C : Cases) {
      for (bool BigEndian : {false, true}) {
        SCOPED_TRACE(testing::Message() << "orientation " << C.Value << ", " << C.Blocks.size() << " blocks"
                                        << (Progressive ? ", progressive" : "") << (BigEndian ? ", big-endian" : ""));
        const std::vector<TBytes> Blocks =
            C.Value != 0 ? std::vector<TBytes>{ExifPayload(BigEndian, {{ExifOrientationTag, ExifShort, 1, C.Value}})}
                         : C.Blocks;
        const TBytes Jpeg = WithApp1(Plain, Blocks);
        TPixelImage Image;
        ASSERT_NO_FATAL_FAILURE(DecodeWhole(Jpeg, Image));
        EXPECT_EQ(BlocksOf(Image), C.Upright);
      }
    }
  }
}

TEST(JpegDecodeTest, TruncatedFilesFailAtEveryLength) {
  for (bool Progressive : {false, true}) {
    const TBytes Full = QuadrantJpeg(48, 32, Progressive);
    for (size_t Length = 0; Length < Full.size(); Length += Length < 64 ? 1 : 13) {
      SCOPED_TRACE(testing::Message() << (Progressive ? "progressive" : "baseline") << " cut at "
                                      << Length << " of " << Full.size());
      // An exact-size copy, so reading past the end is caught by the sanitizers.
      const TBytes Cut(Full.begin(), Full.begin() + static_cast<ptrdiff_t>(Length));
      TPixelImage Image;
      std::string Error;
      const bool Ok = DecodeJpeg(Cut.data(), Cut.size(), Image, Error);
      EXPECT_FALSE(Ok);
      ExpectCleanResult(Ok, Image, Error, 0, 0);
    }
    // Losing only the end marker is still a truncated file.
    const TBytes NoEnd(Full.begin(), Full.end() - 2);
    TPixelImage Image;
    std::string Error;
    EXPECT_FALSE(DecodeJpeg(NoEnd.data(), NoEnd.size(), Image, Error));
    EXPECT_NE(Error.find("truncated"), std::string::npos) << Error;
  }
}

TEST(JpegDecodeTest, GarbageFails) {
  std::mt19937 Random(12345);
  for (size_t Length : {1, 2, 3, 100, 5000}) {
    for (bool WithStartMarker : {false, true}) {
      TBytes Data(Length);
      for (uint8_t& B : Data) B = static_cast<uint8_t>(Random());
      if (WithStartMarker && Length >= 2) {
        Data[0] = 0xFF;
        Data[1] = 0xD8;
      }
      TPixelImage Image;
      std::string Error;
      EXPECT_FALSE(DecodeJpeg(Data.data(), Data.size(), Image, Error)) << Length;
      ExpectCleanResult(false, Image, Error, 0, 0);
    }
  }
  TPixelImage Image;
  std::string Error;
  EXPECT_FALSE(DecodeJpeg(nullptr, 0, Image, Error));
  EXPECT_FALSE(Error.empty());
}

// libjpeg repairs these and warns; the warning must neither end the process
// nor lose the picture.
TEST(JpegDecodeTest, RepairableDamageStillDecodes) {
  const TBytes Clean = QuadrantJpeg(64, 48);
  const size_t Sof = FindSegment(Clean, 0xC0);
  ASSERT_NE(Sof, 0u);
  TBytes Stray = Clean;
  const uint8_t Junk[] = {0x12, 0x34, 0x56};
  Stray.insert(Stray.begin() + static_cast<ptrdiff_t>(Sof), std::begin(Junk), std::end(Junk));
  TPixelImage Image;
  std::string Error;
  ASSERT_TRUE(DecodeJpeg(Stray.data(), Stray.size(), Image, Error)) << Error;
  ExpectQuadrants(Image, 12);

  // Scrambled scan data: whatever libjpeg makes of it, the result is whole or
  // cleanly refused.
  const size_t ScanStart = FindSegment(Clean, 0xDA) + 14;
  std::mt19937 Random(777);
  for (int Round = 0; Round < 40; ++Round) {
    TBytes Damaged = Clean;
    for (int I = 0; I < 8; ++I)
      Damaged[ScanStart + Random() % (Damaged.size() - 2 - ScanStart)] = static_cast<uint8_t>(Random());
    const bool Ok = DecodeJpeg(Damaged.data(), Damaged.size(), Image, Error);
    ExpectCleanResult(Ok, Image, Error, 64, 48);
  }
}

// ---------------------------------------------------------------------------
// Bitmaps built by hand.

struct TBmpSpec {
  int Width = 3;
  int Height = 2;  // negative: top-down
  int Bits = 24;
  uint32_t HeaderSize = 40;
  uint32_t Compression = 0;
  uint32_t Masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
};

TRgb BmpColour(int X, int Y) {
  return {(200 - 11 * X - Y) & 255, (50 * Y + 3) & 255, (40 * X + 7 * Y + 1) & 255};
}

void Put32(TBytes& Data, size_t At, uint32_t V) {
  for (int I = 0; I < 4; ++I) Data[At + I] = static_cast<uint8_t>(V >> (8 * I));
}

// Pixels are BmpColour(X, Y) with Y counted from the top row of the picture.
TBytes BuildBmp(const TBmpSpec& Spec) {
  const int Height = Spec.Height < 0 ? -Spec.Height : Spec.Height;
  const size_t BytesPerPixel = Spec.Bits == 32 ? 4 : 3;
  const size_t Stride = (Spec.Width * BytesPerPixel + 3) / 4 * 4;
  const bool MasksAfterHeader = Spec.Compression == 3 && Spec.HeaderSize == 40;
  const size_t Offset = 14 + Spec.HeaderSize + (MasksAfterHeader ? 12 : 0);
  TBytes Data(Offset + Stride * Height, 0);
  Data[0] = 'B';
  Data[1] = 'M';
  Put32(Data, 2, static_cast<uint32_t>(Data.size()));
  Put32(Data, 10, static_cast<uint32_t>(Offset));
  Put32(Data, 14, Spec.HeaderSize);
  Put32(Data, 18, static_cast<uint32_t>(Spec.Width));
  Put32(Data, 22, static_cast<uint32_t>(Spec.Height));
  Data[26] = 1;
  Data[28] = static_cast<uint8_t>(Spec.Bits);
  Put32(Data, 30, Spec.Compression);
  if (Spec.Compression == 3)
    for (int I = 0; I < 3; ++I) Put32(Data, 54 + 4 * I, Spec.Masks[I]);
  for (int Row = 0; Row < Height; ++Row) {
    const int Y = Spec.Height < 0 ? Row : Height - 1 - Row;
    for (int X = 0; X < Spec.Width; ++X) {
      uint8_t* P = &Data[Offset + Row * Stride + X * BytesPerPixel];
      const TRgb C = BmpColour(X, Y);
      P[0] = static_cast<uint8_t>(C.B);
      P[1] = static_cast<uint8_t>(C.G);
      P[2] = static_cast<uint8_t>(C.R);
      if (BytesPerPixel == 4) P[3] = 0xA5;  // must not show up in the output
    }
    for (size_t Pad = Spec.Width * BytesPerPixel; Pad < Stride; ++Pad)
      Data[Offset + Row * Stride + Pad] = 0xEE;  // nor must padding
  }
  return Data;
}

void ExpectBmpPixels(const TPixelImage& Image, int Width, int Height) {
  ASSERT_EQ(Image.Width, Width);
  ASSERT_EQ(Image.Height, Height);
  ASSERT_EQ(Image.Pixels.size(), static_cast<size_t>(Width) * Height * 4);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      const uint8_t* P = PixelAt(Image, X, Y);
      const TRgb C = BmpColour(X, Y);
      ASSERT_EQ(P[0], C.B) << X << "," << Y;
      ASSERT_EQ(P[1], C.G) << X << "," << Y;
      ASSERT_EQ(P[2], C.R) << X << "," << Y;
      ASSERT_EQ(P[3], 0) << X << "," << Y;
    }
}

// Bmp must decode to the test pattern of Width x Height.
void ExpectBmpDecodes(const TBytes& Bmp, int Width, int Height) {
  TPixelImage Image;
  std::string Error;
  ASSERT_TRUE(DecodeBmp(Bmp.data(), Bmp.size(), Image, Error)) << Error;
  ExpectBmpPixels(Image, Width, Height);
}

TEST(BmpDecodeTest, Reads24BitBothDirectionsWithRowPadding) {
  for (int Width : {1, 2, 3, 4, 5}) {
    for (int Height : {1, 3, -1, -3}) {
      SCOPED_TRACE(testing::Message() << Width << " x " << Height);
      TBmpSpec Spec;
      Spec.Width = Width;
      Spec.Height = Height;
      ExpectBmpDecodes(BuildBmp(Spec), Width, Height < 0 ? -Height : Height);
    }
  }
}

TEST(BmpDecodeTest, Reads32BitPlainAndBitfieldsWithLaterHeaders) {
  for (uint32_t HeaderSize : {40u, 108u, 124u}) {
    for (uint32_t Compression : {0u, 3u}) {
      for (int Height : {4, -4}) {
        SCOPED_TRACE(testing::Message() << "header " << HeaderSize << " compression "
                                        << Compression << " height " << Height);
        TBmpSpec Spec;
        Spec.Width = 5;
        Spec.Height = Height;
        Spec.Bits = 32;
        Spec.HeaderSize = HeaderSize;
        Spec.Compression = Compression;
        ExpectBmpDecodes(BuildBmp(Spec), 5, 4);
      }
    }
  }
}

TEST(BmpDecodeTest, RefusesWhatItCannotReadWithAReason) {
  struct TCase {
    const char* Name;
    std::function<void(TBmpSpec&)> Change;
    const char* Reason;
  };
  const TCase Cases[] = {
      {"8 bits", [](TBmpSpec& S) { S.Bits = 8; }, "8 bits"},
      {"16 bits", [](TBmpSpec& S) { S.Bits = 16; }, "16 bits"},
      {"RLE8", [](TBmpSpec& S) { S.Compression = 1; }, "RLE8"},
      {"24-bit bit fields", [](TBmpSpec& S) { S.Compression = 3; }, "compression"},
      {"other masks", [](TBmpSpec& S) {
         S.Bits = 32;
         S.Compression = 3;
         S.Masks[0] = 0x000000FF;
         S.Masks[2] = 0x00FF0000;
       }, "masks"},
      {"core header", [](TBmpSpec& S) { S.HeaderSize = 12; }, "header"},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TBmpSpec Spec;
    Case.Change(Spec);
    const TBytes Bmp = BuildBmp(Spec);
    TPixelImage Image;
    std::string Error;
    EXPECT_FALSE(DecodeBmp(Bmp.data(), Bmp.size(), Image, Error));
    EXPECT_NE(Error.find(Case.Reason), std::string::npos) << Error;
    ExpectCleanResult(false, Image, Error, 0, 0);
  }
}

TEST(BmpDecodeTest, DamagedFilesFailWithoutReadingOutside) {
  TBmpSpec Spec;
  Spec.Width = 5;
  Spec.Height = 3;
  const TBytes Full = BuildBmp(Spec);
  // The last row's single padding byte may be missing; anything shorter fails.
  for (size_t Length = 0; Length < Full.size(); ++Length) {
    const TBytes Cut(Full.begin(), Full.begin() + static_cast<ptrdiff_t>(Length));
    TPixelImage Image;
    std::string Error;
    const bool Ok = DecodeBmp(Cut.data(), Cut.size(), Image, Error);
    EXPECT_EQ(Ok, Length == Full.size() - 1) << Length;
    ExpectCleanResult(Ok, Image, Error, 5, 3);
  }

  auto Refused = [](TBytes Data, size_t At, uint32_t Value, const char* Reason = "") {
    Put32(Data, At, Value);
    TPixelImage Image;
    std::string Error;
    const bool Ok = DecodeBmp(Data.data(), Data.size(), Image, Error);
    EXPECT_NE(Error.find(Reason), std::string::npos) << Error;
    ExpectCleanResult(Ok, Image, Error, 0, 0);
    return !Ok;
  };
  EXPECT_TRUE(Refused(Full, 10, static_cast<uint32_t>(Full.size() + 100), "cut off"));
  EXPECT_TRUE(Refused(Full, 10, 0xFFFFFFF0u, "cut off"));
  EXPECT_TRUE(Refused(Full, 10, static_cast<uint32_t>(Full.size() - 1)));
  EXPECT_TRUE(Refused(Full, 10, 20));  // pixels inside the header
  EXPECT_TRUE(Refused(Full, 14, 0xFFFFFFF0u, "cut off"));
  EXPECT_TRUE(Refused(Full, 18, 0));
  EXPECT_TRUE(Refused(Full, 18, static_cast<uint32_t>(-5)));
  EXPECT_TRUE(Refused(Full, 22, 0));
  EXPECT_TRUE(Refused(Full, 22, 0x80000000u));
  EXPECT_TRUE(Refused(Full, 22, 4, "cut off"));
  EXPECT_TRUE(Refused(Full, 18, 100000, "picture too large (100000 x 3)"));
  EXPECT_TRUE(Refused(Full, 22, static_cast<uint32_t>(-100000), "picture too large (5 x 100000)"));
  TBytes Square = Full;
  Put32(Square, 18, 19000);
  EXPECT_TRUE(Refused(Square, 22, 19000, "picture too large (19000 x 19000)"));
}

// ---------------------------------------------------------------------------
// Files on disk.

class ImageFilesTest : public testing::Test {
 protected:
  std::string PathOf(const std::string& Name) const { return Temp.File(Name); }

  TBytes FileBytes(const std::string& Name) const {
    std::ifstream In(Name, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
  }
  void WriteBytes(const std::string& Name, const TBytes& Data) const {
    std::ofstream Out(Name, std::ios::binary);
    Out.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
    ASSERT_TRUE(Out.good());
  }

  support::TTempFolder Temp{"emberdell-images"};
};

// BmpColour pixels, with the reserved byte set to show it is not copied.
TBytes SourcePixels(int Width, int Height) {
  TBytes Pixels(static_cast<size_t>(Width) * Height * 4);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      uint8_t* P = &Pixels[(static_cast<size_t>(Y) * Width + X) * 4];
      const TRgb C = BmpColour(X, Y);
      P[0] = static_cast<uint8_t>(C.B);
      P[1] = static_cast<uint8_t>(C.G);
      P[2] = static_cast<uint8_t>(C.R);
      P[3] = 0x77;
    }
  return Pixels;
}

TBytes QuadrantPixels(int Width, int Height) {
  TBytes Pixels(static_cast<size_t>(Width) * Height * 4, 0x55);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      uint8_t* P = &Pixels[(static_cast<size_t>(Y) * Width + X) * 4];
      const TRgb C = QuadrantColour(X, Y, Width, Height);
      P[0] = static_cast<uint8_t>(C.B);
      P[1] = static_cast<uint8_t>(C.G);
      P[2] = static_cast<uint8_t>(C.R);
    }
  return Pixels;
}

TEST_F(ImageFilesTest, BmpWriterLayoutAndExactRoundTrip) {
  for (auto [W, H] : {std::pair{3, 2}, std::pair{5, 3}, std::pair{4, 1}, std::pair{1, 5}}) {
    SCOPED_TRACE(testing::Message() << W << " x " << H);
    const std::string Name = PathOf("shot.bmp");
    std::string Error;
    ASSERT_TRUE(WriteBmpFile(Name, W, H, SourcePixels(W, H).data(), Error)) << Error;

    const TBytes File = FileBytes(Name);
    const size_t Stride = (W * 3 + 3) / 4 * 4;
    ASSERT_EQ(File.size(), 54 + Stride * H);
    auto Field = [&](size_t At) {
      return File[At] | File[At + 1] << 8 | File[At + 2] << 16 | File[At + 3] << 24;
    };
    EXPECT_EQ(File[0], 'B');
    EXPECT_EQ(File[1], 'M');
    EXPECT_EQ(Field(2), static_cast<int>(File.size()));
    EXPECT_EQ(Field(10), 54);
    EXPECT_EQ(Field(14), 40);
    EXPECT_EQ(Field(18), W);
    EXPECT_EQ(Field(22), H);  // positive: bottom-up
    EXPECT_EQ(File[26] | File[27] << 8, 1);
    EXPECT_EQ(File[28] | File[29] << 8, 24);
    EXPECT_EQ(Field(30), 0);
    EXPECT_EQ(Field(34), static_cast<int>(Stride * H));
    EXPECT_EQ(Field(38), 0);
    EXPECT_EQ(Field(42), 0);
    // The first stored row is the picture's bottom row; padding is zero.
    const TRgb Bottom = BmpColour(0, H - 1);
    EXPECT_EQ(File[54], Bottom.B);
    EXPECT_EQ(File[56], Bottom.R);
    for (int Row = 0; Row < H; ++Row)
      for (size_t Pad = W * 3; Pad < Stride; ++Pad) EXPECT_EQ(File[54 + Row * Stride + Pad], 0);

    TPixelImage Image;
    ASSERT_TRUE(ReadPictureFile(Name, Image, Error)) << Error;
    ExpectBmpPixels(Image, W, H);
  }
}

TEST_F(ImageFilesTest, JpegWriterMakesProgressiveQuality100FilesThatDecodeBack) {
  const TBytes Pixels = QuadrantPixels(48, 32);
  const std::string Name = PathOf("shot.jpg");
  std::string Error;
  ASSERT_TRUE(WriteJpegFile(Name, 48, 32, Pixels.data(), 100, true, Error)) << Error;
  const TBytes File = FileBytes(Name);
  EXPECT_NE(FindSegment(File, 0xC2), 0u);
  EXPECT_EQ(FindSegment(File, 0xC0), 0u);
  const std::vector<int> Quant = QuantisationValues(File);
  ASSERT_GE(Quant.size(), 128u);
  for (int Value : Quant) EXPECT_EQ(Value, 1);
  TPixelImage Image;
  ASSERT_TRUE(ReadPictureFile(Name, Image, Error)) << Error;
  ASSERT_EQ(Image.Width, 48);
  ASSERT_EQ(Image.Height, 32);
  ExpectReservedZero(Image);
  ExpectQuadrants(Image, 6);

  ASSERT_TRUE(WriteJpegFile(Name, 48, 32, Pixels.data(), 75, false, Error)) << Error;
  const TBytes Baseline = FileBytes(Name);
  EXPECT_NE(FindSegment(Baseline, 0xC0), 0u);
  EXPECT_EQ(FindSegment(Baseline, 0xC2), 0u);
  const std::vector<int> Coarse = QuantisationValues(Baseline);
  EXPECT_GT(*std::max_element(Coarse.begin(), Coarse.end()), 1);
  ASSERT_TRUE(ReadPictureFile(Name, Image, Error)) << Error;
  ExpectQuadrants(Image, 16);
}

TEST_F(ImageFilesTest, WritersRefuseEmptyPicturesAndMissingFolders) {
  const TBytes Pixels = SourcePixels(4, 4);
  for (auto [W, H] : {std::pair{0, 4}, std::pair{4, 0}, std::pair{-1, 4}}) {
    const std::string Name = PathOf("empty.bmp");
    std::string Error;
    EXPECT_FALSE(WriteBmpFile(Name, W, H, Pixels.data(), Error));
    EXPECT_NE(Error.find(std::to_string(W) + " x " + std::to_string(H)), std::string::npos) << Error;
    Error.clear();
    EXPECT_FALSE(WriteJpegFile(Name, W, H, Pixels.data(), 100, true, Error));
    EXPECT_FALSE(Error.empty());
    EXPECT_FALSE(fs::exists(Name));
  }

  const std::string Missing = PathOf("no such folder/shot.bmp");
  const std::string Reason = std::strerror(ENOENT);
  std::string Error;
  EXPECT_FALSE(WriteBmpFile(Missing, 4, 4, Pixels.data(), Error));
  EXPECT_NE(Error.find(Missing), std::string::npos) << Error;
  EXPECT_NE(Error.find(Reason), std::string::npos) << Error;
  Error.clear();
  EXPECT_FALSE(WriteJpegFile(Missing, 4, 4, Pixels.data(), 100, true, Error));
  EXPECT_NE(Error.find(Reason), std::string::npos) << Error;
}

#if defined(__linux__)
// A full disk shows up only once buffers are flushed: the writers must notice
// and must not delete what they could not write to.
TEST_F(ImageFilesTest, FullDiskIsReportedNatively) {
  const std::string Full = "/dev/full";
  if (!fs::exists(Full)) GTEST_SKIP() << "no " << Full;
  const TBytes Pixels = SourcePixels(64, 64);
  const std::string Reason = std::strerror(ENOSPC);
  for (bool Jpeg : {false, true}) {
    std::string Error;
    const bool Ok = Jpeg ? WriteJpegFile(Full, 64, 64, Pixels.data(), 100, true, Error)
                         : WriteBmpFile(Full, 64, 64, Pixels.data(), Error);
    EXPECT_FALSE(Ok);
    EXPECT_NE(Error.find(Reason), std::string::npos) << Error;
    EXPECT_TRUE(fs::exists(Full));
  }
}
#endif

TEST_F(ImageFilesTest, ReadPictureFileGoesByContentNotName) {
  const TBytes Bmp = BuildBmp(TBmpSpec{});
  WriteBytes(PathOf("bitmap.jpg"), Bmp);
  WriteBytes(PathOf("photo.bmp"), QuadrantJpeg(32, 32));
  WriteBytes(PathOf("notes.jpg"), TBytes{'h', 'e', 'l', 'l', 'o'});
  WriteBytes(PathOf("empty.jpg"), TBytes{});
  TBytes BrokenBmp = Bmp;
  BrokenBmp.resize(30);
  WriteBytes(PathOf("broken.bmp"), BrokenBmp);

  TPixelImage Image;
  std::string Error;
  ASSERT_TRUE(ReadPictureFile(PathOf("bitmap.jpg"), Image, Error)) << Error;
  ExpectBmpPixels(Image, 3, 2);
  ASSERT_TRUE(ReadPictureFile(PathOf("photo.bmp"), Image, Error)) << Error;
  ExpectQuadrants(Image, 12);
  for (const char* Name : {"notes.jpg", "empty.jpg"}) {
    EXPECT_FALSE(ReadPictureFile(PathOf(Name), Image, Error));
    EXPECT_EQ(Error, "not a BMP or JPEG picture");
    EXPECT_TRUE(Image.Pixels.empty());
  }
  EXPECT_FALSE(ReadPictureFile(PathOf("broken.bmp"), Image, Error));
  EXPECT_NE(Error.find("broken.bmp"), std::string::npos) << Error;
  EXPECT_FALSE(ReadPictureFile(PathOf("missing.jpg"), Image, Error));
  EXPECT_NE(Error.find("missing.jpg"), std::string::npos) << Error;
  EXPECT_NE(Error.find(std::strerror(ENOENT)), std::string::npos) << Error;

  // A file far larger than any allowed picture is refused by its size.
  TBytes Huge(3u << 20, 0);
  Huge[0] = 'B';
  Huge[1] = 'M';
  WriteBytes(PathOf("huge.bmp"), Huge);
  TPictureLimits Small;
  Small.MaxBytes = 1000;
  EXPECT_FALSE(ReadPictureFile(PathOf("huge.bmp"), Image, Error, Small));
  EXPECT_NE(Error.find("too large"), std::string::npos) << Error;
}

TEST_F(ImageFilesTest, ReadWholeFileReadsExactlyWithinItsLimit) {
  TBytes Data(200001);
  std::mt19937 Random(99);
  for (uint8_t& B : Data) B = static_cast<uint8_t>(Random());
  const std::string Name = PathOf("data.bin");
  WriteBytes(Name, Data);

  TBytes Read;
  std::string Error;
  ASSERT_TRUE(ReadWholeFile(Name, Read, Error)) << Error;
  EXPECT_EQ(Read, Data);
  ASSERT_TRUE(ReadWholeFile(Name, Read, Error, Data.size())) << Error;
  EXPECT_EQ(Read, Data);
  EXPECT_FALSE(ReadWholeFile(Name, Read, Error, Data.size() - 1));
  EXPECT_NE(Error.find("too large"), std::string::npos) << Error;
  EXPECT_TRUE(Read.empty());

  WriteBytes(Name, TBytes{});
  ASSERT_TRUE(ReadWholeFile(Name, Read, Error)) << Error;
  EXPECT_TRUE(Read.empty());
  EXPECT_FALSE(ReadWholeFile(PathOf("absent.bin"), Read, Error));
  EXPECT_NE(Error.find("absent.bin"), std::string::npos) << Error;
  EXPECT_FALSE(ReadWholeFile(Temp.Path().string(), Read, Error));
  EXPECT_NE(Error.find("folder"), std::string::npos) << Error;
}

}  // namespace
}  // namespace emberdell
