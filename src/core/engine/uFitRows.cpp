#include "core/engine/uFitRows.h"

#include <algorithm>
#include <limits>

namespace emberdell {

namespace {

// Rows the decoder may run ahead of the fitting: two of its batches.
constexpr int RingSlack = 32;

}  // namespace

TFitRows::TFitRows(int StoredWidth, int StoredHeight, TOrientation Orientation, int AreaWidth, int AreaHeight,
                   uint8_t* Area, TResampleKernel Kernel, const uint8_t* Source, int Part, int Parts)
    : FStoredWidth(StoredWidth),
      FAreaWidth(AreaWidth),
      FArea(Area),
      FKernel(Kernel),
      FSource(Source),
      FRowBytes(static_cast<size_t>(StoredWidth) * 4) {
  const TOrientedLayout Layout = OrientedLayout(Orientation, StoredWidth, StoredHeight);
  const int Turn = static_cast<int>(Orientation);
  FTransposed = Turn >= 5 && Turn <= 8;
  FGeometry = FitPicture(AreaWidth, AreaHeight, Layout.UprightWidth, Layout.UprightHeight);
  const TFitGeometry& G = FGeometry;
  if (G.Width > 0 && G.Height > 0) {
    FI0 = std::max(0, -G.X), FI1 = std::min(G.Width, AreaWidth - G.X);
    FJ0 = std::max(0, -G.Y), FJ1 = std::min(G.Height, AreaHeight - G.Y);
  }
  int First = 0, Last = 0;  // the outputs: fitted rows, or columns for a quarter turn
  if (FI0 < FI1 && FJ0 < FJ1) {
    const TContributorTable& Horizontal = GetContributors(Layout.UprightWidth, G.Width);
    const TContributorTable& Vertical = GetContributors(Layout.UprightHeight, G.Height);
    // Which stored direction runs backwards in the upright picture.
    if (FTransposed) {
      FAcross = MakeTapList(Horizontal, Turn == 6 || Turn == 7);
      FAlong = MakeTapList(Vertical, Turn == 7 || Turn == 8);
      First = FI0, Last = FI1;
    } else {
      FAlong = MakeTapList(Horizontal, Turn == 2 || Turn == 3);
      FAcross = MakeTapList(Vertical, Turn == 3 || Turn == 4);
      First = FJ0, Last = FJ1;
    }
    const int64_t Span = Last - First;
    const int From = First + static_cast<int>(Span * Part / Parts);
    Last = First + static_cast<int>(Span * (Part + 1) / Parts);
    First = From;
  }
  // Each output waits for the last stored row among its taps; the rows
  // below the lowest tap of every output still to come can go.
  const int Count = Last - First;
  std::vector<int> Lowest(static_cast<size_t>(Count)), Highest(static_cast<size_t>(Count));
  size_t MostTaps = 0;
  for (int o = 0; o < Count; ++o) {
    const int Output = First + o;
    int Low = std::numeric_limits<int>::max(), High = -1;
    for (int32_t k = FAcross.Start[Output]; k < FAcross.Start[Output + 1]; ++k) {
      Low = std::min(Low, FAcross.Index[k]);
      High = std::max(High, FAcross.Index[k]);
    }
    Lowest[o] = High < 0 ? 0 : Low;
    Highest[o] = High;
    MostTaps = std::max<size_t>(MostTaps, static_cast<size_t>(FAcross.Start[Output + 1] - FAcross.Start[Output]));
  }
  FOrder.resize(static_cast<size_t>(Count));
  for (int o = 0; o < Count; ++o) FOrder[o] = o;
  std::stable_sort(FOrder.begin(), FOrder.end(), [&](int a, int b) { return Highest[a] < Highest[b]; });
  FLast.resize(FOrder.size());
  FSuffixLowest.resize(FOrder.size());
  int Window = 1, Floor = std::numeric_limits<int>::max();
  for (size_t k = FOrder.size(); k-- > 0;) {
    Floor = std::min(Floor, Lowest[FOrder[k]]);
    FLast[k] = Highest[FOrder[k]];
    FSuffixLowest[k] = Floor;
    Window = std::max(Window, FLast[k] - Floor + 1);
  }
  for (int& o : FOrder) o += First;
  FRowsNeeded = FLast.empty() ? 0 : FLast.back() + 1;
  FConsumed = FSuffixLowest.empty() ? 0 : FSuffixLowest.front();
  FTapRows.resize(MostTaps);
  FTapWeights.resize(MostTaps);
  if (FTransposed) {
    if (Count > 0) FColumn.resize(FRowBytes);
  } else {
    FWindow = Window;
    if (Count > 0) FAlongRows.resize(static_cast<size_t>(FWindow) * (FI1 - FI0) * 4);
  }
  if (FSource == nullptr) {
    FCapacity = std::max(1, std::min(StoredHeight, (FTransposed ? Window : 1) + RingSlack));
    FRing.resize(static_cast<size_t>(FCapacity) * FRowBytes);
  }
}

int64_t TFitRows::Lowest() const {
  if (FNext >= FOrder.size()) return std::numeric_limits<int>::max();
  return FTransposed ? FSuffixLowest[FNext] : FConsumed;
}

void TFitRows::Feed(int Decoded) {
  if (FTransposed) {
    while (FNext < FOrder.size() && FLast[FNext] < Decoded) EmitColumn(FOrder[FNext++]);
    return;
  }
  const size_t AlongBytes = static_cast<size_t>(FI1 - FI0) * 4;
  for (;;) {
    while (FNext < FOrder.size() && FLast[FNext] < FConsumed) EmitRow(FOrder[FNext++]);
    if (FNext >= FOrder.size() || FConsumed >= Decoded) return;
    SumAlong(Row(FConsumed), FAlong, FI0, FI1, FAlongRows.data() + static_cast<size_t>(FConsumed % FWindow) * AlongBytes,
             4, false, FKernel);
    ++FConsumed;
  }
}

void TFitRows::EmitRow(int j) {
  const size_t AlongBytes = static_cast<size_t>(FI1 - FI0) * 4;
  int n = 0;
  for (int32_t k = FAcross.Start[j]; k < FAcross.Start[j + 1]; ++k, ++n) {
    FTapRows[n] = FAlongRows.data() + static_cast<size_t>(FAcross.Index[k] % FWindow) * AlongBytes;
    FTapWeights[n] = FAcross.Weight[k];
  }
  uint8_t* Out = FArea + (static_cast<size_t>(j + FGeometry.Y) * FAreaWidth + (FI0 + FGeometry.X)) * 4;
  SumAcross(FTapRows.data(), FTapWeights.data(), n, FI1 - FI0, Out, true, FKernel);
}

void TFitRows::EmitColumn(int i) {
  int n = 0;
  for (int32_t k = FAcross.Start[i]; k < FAcross.Start[i + 1]; ++k, ++n) {
    FTapRows[n] = Row(FAcross.Index[k]);
    FTapWeights[n] = FAcross.Weight[k];
  }
  SumAcross(FTapRows.data(), FTapWeights.data(), n, FStoredWidth, FColumn.data(), false, FKernel);
  uint8_t* Out = FArea + (static_cast<size_t>(FJ0 + FGeometry.Y) * FAreaWidth + (i + FGeometry.X)) * 4;
  SumAlong(FColumn.data(), FAlong, FJ0, FJ1, Out, static_cast<ptrdiff_t>(FAreaWidth) * 4, true, FKernel);
}

}  // namespace emberdell
