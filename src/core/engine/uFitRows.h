// Fitting a picture row by row as its stored rows arrive, straight into the
// black drawing area: only the part of the fitted picture that shows is
// computed, and the whole picture never has to be held. The bytes are those
// of ResampleBitmap into the fitted size, cut at the area's edges.
#pragma once

#include <cstdint>
#include <vector>

#include "core/engine/uExifOrientation.h"
#include "core/engine/uFitPicture.h"
#include "core/engine/uResampleRows.h"

namespace emberdell {

class TFitRows {
 public:
  // A picture stored StoredWidth x StoredHeight, to be turned by Orientation
  // and fitted onto the AreaWidth x AreaHeight pixels at Area (black, 4 bytes
  // a pixel). With Source (the stored rows, all there) nothing is copied;
  // without it the rows go through a ring the caller fills (Slot).
  // Part of Parts splits the outputs between workers that run side by side
  // on the same Source; each writes only its own pixels of Area.
  TFitRows(int StoredWidth, int StoredHeight, TOrientation Orientation, int AreaWidth, int AreaHeight,
           uint8_t* Area, TResampleKernel Kernel, const uint8_t* Source = nullptr, int Part = 0, int Parts = 1);

  // Stored rows the ring holds; row Y lives in Slot(Y) while it is kept.
  int Capacity() const { return FCapacity; }
  uint8_t* Slot(int Y) { return FRing.data() + static_cast<size_t>(Y % FCapacity) * FRowBytes; }
  // The lowest stored row still needed: rows from here on must stay.
  int64_t Lowest() const;
  // The last stored row this part needs, plus one.
  int RowsNeeded() const { return FRowsNeeded; }
  // Stored rows [0, Decoded) are there: computes everything they allow.
  void Feed(int Decoded);

 private:
  const uint8_t* Row(int Y) const {
    return FSource != nullptr ? FSource + static_cast<size_t>(Y) * FRowBytes
                              : FRing.data() + static_cast<size_t>(Y % FCapacity) * FRowBytes;
  }
  void EmitRow(int j);
  void EmitColumn(int i);

  int FStoredWidth, FAreaWidth;
  uint8_t* FArea;
  TResampleKernel FKernel;
  const uint8_t* FSource;
  size_t FRowBytes;
  bool FTransposed = false;
  TFitGeometry FGeometry;
  int FI0 = 0, FI1 = 0, FJ0 = 0, FJ1 = 0;  // the fitted pixels that show
  TTapList FAlong, FAcross;                 // taps along a stored row, across the stored rows
  std::vector<int> FOrder;                  // outputs in the order their last row arrives
  std::vector<int> FLast, FSuffixLowest;    // per place in FOrder
  size_t FNext = 0;
  int FRowsNeeded = 0;
  int FCapacity = 1;
  std::vector<uint8_t> FRing;
  // Rows turned upright one way: each stored row summed along, kept while a
  // fitted row needs it.
  int FConsumed = 0;
  int FWindow = 1;
  std::vector<uint8_t> FAlongRows;
  std::vector<uint8_t> FColumn;  // quarter turns: one upright column
  std::vector<const uint8_t*> FTapRows;
  std::vector<int32_t> FTapWeights;
};

}  // namespace emberdell
