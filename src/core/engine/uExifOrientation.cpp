#include "core/engine/uExifOrientation.h"

#include <cstring>

namespace emberdell {

namespace {

constexpr uint8_t ExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t OrientationTag = 0x0112;
constexpr uint16_t TypeShort = 3, TypeLong = 4;
constexpr uint64_t TiffHeaderSize = 8, EntrySize = 12;

// The TIFF structure inside the block, in the byte order its header names.
class TTiffReader {
 public:
  TTiffReader(const uint8_t* Data, uint64_t Size, bool BigEndian) : FData(Data), FSize(Size), FBig(BigEndian) {}

  bool Has(uint64_t Offset, uint64_t Length) const { return Offset <= FSize && Length <= FSize - Offset; }
  uint16_t U16(uint64_t Offset) const {
    const uint8_t* P = FData + Offset;
    return static_cast<uint16_t>(FBig ? P[0] << 8 | P[1] : P[1] << 8 | P[0]);
  }
  uint32_t U32(uint64_t Offset) const {
    const uint32_t A = U16(Offset), B = U16(Offset + 2);
    return FBig ? A << 16 | B : B << 16 | A;
  }

 private:
  const uint8_t* FData;
  uint64_t FSize;
  bool FBig;
};

}  // namespace

TOrientation ExifOrientation(const uint8_t* Data, size_t Size) {
  if (Data == nullptr || Size < sizeof ExifHeader + TiffHeaderSize ||
      std::memcmp(Data, ExifHeader, sizeof ExifHeader) != 0)
    return TOrientation::AsStored;
  const uint8_t* Tiff = Data + sizeof ExifHeader;
  const uint64_t TiffSize = Size - sizeof ExifHeader;
  bool BigEndian;
  if (Tiff[0] == 'I' && Tiff[1] == 'I')
    BigEndian = false;
  else if (Tiff[0] == 'M' && Tiff[1] == 'M')
    BigEndian = true;
  else
    return TOrientation::AsStored;
  const TTiffReader Reader(Tiff, TiffSize, BigEndian);
  if (Reader.U16(2) != 42) return TOrientation::AsStored;
  // Offsets count from the TIFF header and may point anywhere; every read is
  // checked against what the block really holds.
  const uint64_t Directory = Reader.U32(4);
  if (!Reader.Has(Directory, 2)) return TOrientation::AsStored;
  const uint64_t Entries = Reader.U16(Directory);
  for (uint64_t i = 0; i < Entries; ++i) {
    const uint64_t Entry = Directory + 2 + i * EntrySize;
    if (!Reader.Has(Entry, EntrySize)) break;
    if (Reader.U16(Entry) != OrientationTag) continue;
    const uint16_t Type = Reader.U16(Entry + 2);
    if (Reader.U32(Entry + 4) < 1) break;
    // The value sits in the entry itself; a few writers store it as a long.
    uint32_t Value = 0;
    if (Type == TypeShort)
      Value = Reader.U16(Entry + 8);
    else if (Type == TypeLong)
      Value = Reader.U32(Entry + 8);
    if (Value >= 1 && Value <= 8) return static_cast<TOrientation>(Value);
    break;
  }
  return TOrientation::AsStored;
}

TOrientedLayout OrientedLayout(TOrientation Orientation, int Width, int Height) {
  const int64_t W = Width, H = Height;
  TOrientedLayout L;
  L.UprightWidth = Width;
  L.UprightHeight = Height;
  switch (Orientation) {
    case TOrientation::MirrorHorizontal:
      L.FirstRow = W - 1, L.RowStep = W, L.Step = -1;
      break;
    case TOrientation::Rotate180:
      L.FirstRow = (H - 1) * W + W - 1, L.RowStep = -W, L.Step = -1;
      break;
    case TOrientation::MirrorVertical:
      L.FirstRow = (H - 1) * W, L.RowStep = -W, L.Step = 1;
      break;
    case TOrientation::Transpose:
      L.FirstRow = 0, L.RowStep = 1, L.Step = H;
      break;
    case TOrientation::Rotate90:
      L.FirstRow = H - 1, L.RowStep = -1, L.Step = H;
      break;
    case TOrientation::Transverse:
      L.FirstRow = (W - 1) * H + H - 1, L.RowStep = -1, L.Step = -H;
      break;
    case TOrientation::Rotate270:
      L.FirstRow = (W - 1) * H, L.RowStep = 1, L.Step = -H;
      break;
    case TOrientation::AsStored:
    default:
      L.FirstRow = 0, L.RowStep = W, L.Step = 1;
      break;
  }
  // The quarter turns and the diagonal mirrors swap the sides.
  if (static_cast<int>(Orientation) >= 5 && static_cast<int>(Orientation) <= 8) {
    L.UprightWidth = Height;
    L.UprightHeight = Width;
  }
  return L;
}

}  // namespace emberdell
