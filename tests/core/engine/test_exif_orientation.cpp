// Photos stored sideways: the Exif orientation read from the block a camera
// writes, damaged blocks read as "as stored", and pictures turned upright
// when they are decoded.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "core/engine/uExifOrientation.h"
#include "core/engine/uImageFiles.h"

namespace emberdell {
namespace {

using TBytes = std::vector<uint8_t>;

struct TEntry {
  uint16_t Tag, Type;
  uint32_t Count, Value;
};
constexpr uint16_t Orientation = 0x0112, Make = 0x010F;
constexpr uint16_t Ascii = 2, Short = 3, Long = 4;

// The payload of an APP1 marker as cameras write it: "Exif\0\0", a TIFF
// header in the given byte order and one directory at offset Directory.
TBytes ExifPayload(bool BigEndian, const std::vector<TEntry>& Entries, uint32_t Directory = 8) {
  TBytes B = {'E', 'x', 'i', 'f', 0, 0};
  const auto U16 = [&](uint32_t V) {
    if (BigEndian)
      B.insert(B.end(), {uint8_t(V >> 8), uint8_t(V)});
    else
      B.insert(B.end(), {uint8_t(V), uint8_t(V >> 8)});
  };
  const auto U32 = [&](uint32_t V) {
    if (BigEndian) {
      U16(V >> 16);
      U16(V & 0xFFFF);
    } else {
      U16(V & 0xFFFF);
      U16(V >> 16);
    }
  };
  B.insert(B.end(), BigEndian ? std::initializer_list<uint8_t>{'M', 'M'} : std::initializer_list<uint8_t>{'I', 'I'});
  U16(42);
  U32(Directory);
  // A directory further on is reached through padding; one past any
  // sensible size is written at the usual place, where it must not be found.
  if (Directory <= 256) B.resize(6 + size_t{Directory}, 0);
  U16(static_cast<uint32_t>(Entries.size()));
  for (const TEntry& E : Entries) {
    U16(E.Tag);
    U16(E.Type);
    U32(E.Count);
    if (E.Type == Short) {
      U16(E.Value);  // a short sits in the first half of the value field
      U16(0);
    } else {
      U32(E.Value);
    }
  }
  U32(0);  // no next directory
  return B;
}

TOrientation Read(const TBytes& Payload) {
  // An exact-size copy, so a read past the end is caught by the sanitizers.
  const TBytes Copy(Payload);
  return ExifOrientation(Copy.data(), Copy.size());
}

TEST(ExifOrientation, ReadFromEitherByteOrderAndAsStoredWhenDamaged) {
  const TEntry Rotated{Orientation, Short, 1, 6};
  TBytes WrongOrder = ExifPayload(false, {Rotated});
  WrongOrder[7] = 'M';  // "IM"
  TBytes WrongMagic = ExifPayload(true, {Rotated});
  WrongMagic[9] = 43;
  TBytes NotExif = ExifPayload(false, {Rotated});
  NotExif[4] = 'x';
  TBytes TooManyEntries = ExifPayload(false, {{Make, Ascii, 4, 0}});
  TooManyEntries[14] = 0xF4, TooManyEntries[15] = 0x01;  // 500 entries claimed, one there
  TBytes ManyWithTheTagFirst = ExifPayload(true, {Rotated});
  ManyWithTheTagFirst[14] = 0x01, ManyWithTheTagFirst[15] = 0xF4;
  TBytes JustPastTheEnd = ExifPayload(true, {Rotated}, 27);
  JustPastTheEnd.resize(6 + 27);  // the directory would start where the block ends

  struct TCase {
    const char* What;
    TBytes Payload;
    TOrientation Expected;
  };
  const TCase Cases[] = {
      {"little-endian", ExifPayload(false, {Rotated}), TOrientation::Rotate90},
      {"big-endian", ExifPayload(true, {{Orientation, Short, 1, 8}}), TOrientation::Rotate270},
      {"after another tag", ExifPayload(false, {{Make, Ascii, 4, 0x6E6F6E41}, {Orientation, Short, 1, 3}}),
       TOrientation::Rotate180},
      {"directory further on", ExifPayload(true, {{Orientation, Short, 1, 5}}, 40), TOrientation::Transpose},
      {"stored as a long", ExifPayload(false, {{Orientation, Long, 1, 2}}), TOrientation::MirrorHorizontal},
      {"value 0", ExifPayload(false, {{Orientation, Short, 1, 0}}), TOrientation::AsStored},
      {"value 9", ExifPayload(true, {{Orientation, Short, 1, 9}}), TOrientation::AsStored},
      {"stored as text", ExifPayload(false, {{Orientation, Ascii, 1, 6}}), TOrientation::AsStored},
      {"no value", ExifPayload(false, {{Orientation, Short, 0, 6}}), TOrientation::AsStored},
      {"no orientation", ExifPayload(false, {{Make, Ascii, 4, 0}}), TOrientation::AsStored},
      {"wrong byte order marker", WrongOrder, TOrientation::AsStored},
      {"wrong TIFF magic", WrongMagic, TOrientation::AsStored},
      {"not an Exif block", NotExif, TOrientation::AsStored},
      {"directory past the end", ExifPayload(false, {Rotated}, 0xFFFFFFF0u), TOrientation::AsStored},
      {"directory just past the end", JustPastTheEnd, TOrientation::AsStored},
      {"more entries claimed than there are", TooManyEntries, TOrientation::AsStored},
      {"the tag before the missing entries", ManyWithTheTagFirst, TOrientation::Rotate90},
      {"empty", TBytes{}, TOrientation::AsStored},
  };
  for (const TCase& C : Cases) EXPECT_EQ(Read(C.Payload), C.Expected) << C.What;
  EXPECT_EQ(ExifOrientation(nullptr, 100), TOrientation::AsStored);
}

TEST(ExifOrientation, ACutBlockIsReadOnlyWhereTheEntryIsWhole) {
  for (bool BigEndian : {false, true}) {
    const TBytes Full = ExifPayload(BigEndian, {{Make, Ascii, 4, 0}, {Orientation, Short, 1, 7}});
    // "Exif\0\0", the TIFF header, the count and two entries.
    const size_t EntryEnd = 6 + 8 + 2 + 2 * 12;
    for (size_t Length = 0; Length <= Full.size(); ++Length) {
      const TBytes Cut(Full.begin(), Full.begin() + static_cast<ptrdiff_t>(Length));
      EXPECT_EQ(Read(Cut), Length >= EntryEnd ? TOrientation::Transverse : TOrientation::AsStored)
          << (BigEndian ? "big" : "little") << "-endian, cut at " << Length;
    }
  }
}

// ---------------------------------------------------------------------------
// Decoding turns the picture upright.

// Six flat 8 x 8 blocks, three across and two down, each its own grey:
//   A B C
//   D E F
constexpr int Levels[6] = {20, 60, 100, 140, 180, 220};

TBytes BlocksJpeg(bool Progressive) {
  constexpr int Width = 24, Height = 16;
  jpeg_compress_struct Info;
  jpeg_error_mgr Errors;
  Info.err = jpeg_std_error(&Errors);
  jpeg_create_compress(&Info);
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
  jpeg_mem_dest(&Info, &Buffer, &Size);
  Info.image_width = Width;
  Info.image_height = Height;
  Info.input_components = 1;
  Info.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&Info);
  jpeg_set_quality(&Info, 100, TRUE);
  if (Progressive) jpeg_simple_progression(&Info);
  jpeg_start_compress(&Info, TRUE);
  JSAMPLE Row[Width];
  while (Info.next_scanline < Info.image_height) {
    const int Y = static_cast<int>(Info.next_scanline) / 8;
    for (int X = 0; X < Width; ++X) Row[X] = static_cast<JSAMPLE>(Levels[Y * 3 + X / 8]);
    JSAMPROW Pointer = Row;
    jpeg_write_scanlines(&Info, &Pointer, 1);
  }
  jpeg_finish_compress(&Info);
  TBytes Result(Buffer, Buffer + Size);
  jpeg_destroy_compress(&Info);
  std::free(Buffer);
  return Result;
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

// The blocks of the decoded picture, as letters, row by row.
std::string BlocksOf(const TPixelImage& Image) {
  std::string Text;
  for (int By = 0; By < Image.Height / 8; ++By) {
    if (By > 0) Text += '/';
    for (int Bx = 0; Bx < Image.Width / 8; ++Bx) {
      const uint8_t* P = Image.Pixels.data() + ((By * 8 + 4) * static_cast<size_t>(Image.Width) + Bx * 8 + 4) * 4;
      char Letter = '?';
      for (int i = 0; i < 6; ++i)
        if (std::abs(P[0] - Levels[i]) <= 4 && P[0] == P[1] && P[1] == P[2]) Letter = static_cast<char>('A' + i);
      Text += Letter;
    }
  }
  return Text;
}

TEST(ExifOrientation, EveryOrientationIsTurnedUprightWhenDecoded) {
  const struct {
    uint32_t Value;
    const char* Upright;
  } Cases[] = {
      {1, "ABC/DEF"}, {2, "CBA/FED"},    {3, "FED/CBA"},    {4, "DEF/ABC"},
      {5, "AD/BE/CF"}, {6, "DA/EB/FC"}, {7, "FC/EB/DA"}, {8, "CF/BE/AD"},
  };
  for (bool Progressive : {false, true}) {
    const TBytes Plain = BlocksJpeg(Progressive);
    for (const auto& C : Cases) {
      for (bool BigEndian : {false, true}) {
        SCOPED_TRACE(testing::Message() << "orientation " << C.Value << (Progressive ? ", progressive" : "")
                                        << (BigEndian ? ", big-endian" : ""));
        const TBytes Jpeg = WithApp1(Plain, {ExifPayload(BigEndian, {{Orientation, Short, 1, C.Value}})});
        TPixelImage Image;
        std::string Error;
        ASSERT_TRUE(DecodeJpeg(Jpeg.data(), Jpeg.size(), Image, Error)) << Error;
        ASSERT_EQ(Image.Pixels.size(), size_t(Image.Width) * Image.Height * 4);
        EXPECT_EQ(BlocksOf(Image), C.Upright);
      }
    }
  }
}

TEST(ExifOrientation, DecodingWithADamagedOrAnotherBlockKeepsThePictureAsStored) {
  const TBytes Plain = BlocksJpeg(false);
  const TBytes Rotated = ExifPayload(false, {{Orientation, Short, 1, 6}});
  const TBytes Cut(Rotated.begin(), Rotated.begin() + 20);
  const TBytes Xmp = {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', '.', 'x', 0};
  struct TCase {
    const char* What;
    std::vector<TBytes> Payloads;
    const char* Upright;
  };
  const TCase Cases[] = {
      {"no block", {}, "ABC/DEF"},
      {"a cut block", {Cut}, "ABC/DEF"},
      {"directory past the end", {ExifPayload(true, {{Orientation, Short, 1, 6}}, 5000)}, "ABC/DEF"},
      {"only another APP1 block", {Xmp}, "ABC/DEF"},
      {"another APP1 block first", {Xmp, Rotated}, "DA/EB/FC"},
  };
  for (const TCase& C : Cases) {
    const TBytes Jpeg = WithApp1(Plain, C.Payloads);
    TPixelImage Image;
    std::string Error;
    ASSERT_TRUE(DecodeJpeg(Jpeg.data(), Jpeg.size(), Image, Error)) << C.What << ": " << Error;
    EXPECT_EQ(BlocksOf(Image), C.Upright) << C.What;
  }
}

}  // namespace
}  // namespace emberdell
