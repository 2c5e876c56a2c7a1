// The orientation a camera records in a JPEG's Exif block, and where each
// stored pixel lands once the picture is turned upright. Phones store most
// photos as the sensor saw them and say in this tag how to turn them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace emberdell {

// The Exif orientation values: how the stored picture must be turned to be
// upright. 1 is "as stored".
enum class TOrientation : uint8_t {
  AsStored = 1,
  MirrorHorizontal = 2,
  Rotate180 = 3,
  MirrorVertical = 4,
  Transpose = 5,     // mirrored along the top-left to bottom-right diagonal
  Rotate90 = 6,      // a quarter turn clockwise
  Transverse = 7,    // mirrored along the other diagonal
  Rotate270 = 8,     // a quarter turn counter-clockwise
};

// The orientation in the payload of an APP1 marker (starting with
// "Exif\0\0"). Anything else, a damaged block, or a value outside 1..8 means
// as stored. Never reads outside Data[0, Size).
TOrientation ExifOrientation(const uint8_t* Data, size_t Size);

// Where the rows of a Width x Height stored picture go in the upright one:
// stored pixel (X, Y) lands at pixel index RowStart(Y) + X * Step of the
// upright picture, which is UprightWidth x UprightHeight.
struct TOrientedLayout {
  int UprightWidth = 0, UprightHeight = 0;
  int64_t Step = 1;
  int64_t RowStart(int64_t Y) const { return FirstRow + Y * RowStep; }
  int64_t FirstRow = 0, RowStep = 0;
};
TOrientedLayout OrientedLayout(TOrientation Orientation, int Width, int Height);

}  // namespace emberdell
