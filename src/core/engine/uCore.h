// TFlame: the fire. A heat field the size of the drawing area, a grey copy of
// the background picture and a mask of its outlines; each frame the heat
// rises and spreads, sparks start on the outlines, and heat, picture and the
// previous frame are blended into an 8-bit image drawn through a colour table
// made from the flame style's curves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/engine/uFlameStep.h"
#include "core/engine/uScreenshotWriter.h"
#include "core/styles/uPresets.h"

namespace emberdell {

struct TRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// An 8-bit top-down device-independent bitmap header, its 256-entry colour
// table and four spare bytes: 1068 bytes, laid out as Windows expects.
struct TBitmapInfo8 {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
  uint8_t Colors[256][4];  // blue, green, red, reserved
  uint8_t Spare[4];
};
static_assert(sizeof(TBitmapInfo8) == 1068, "header, colour table and spare bytes");

// What the host draws on. DrawFrame runs on the frame thread once per frame
// with the image's rows each padded to a multiple of four bytes, as device-
// independent bitmaps require.
class IFlameCanvas {
 public:
  virtual ~IFlameCanvas() = default;
  // The frame, with Changed telling which blocks of the image may differ
  // from the frame the engine gave this canvas before (everything, the first
  // time and after a new start). A canvas that leaves a frame undrawn must
  // count everything as changed on the next.
  virtual void DrawFrame(const TBitmapInfo8& Info, const uint8_t* Bits, const TChangedBlocks& Changed) = 0;
};

// Bytes per row of an 8-bit device-independent bitmap.
inline size_t DibStride(int Width) { return (static_cast<size_t>(Width) + 3) & ~static_cast<size_t>(3); }

class TFrameWorkers;

class TFlame {
 public:
  TFlame() = default;
  TFlame(const TFlame&) = delete;
  TFlame& operator=(const TFlame&) = delete;

  // Fade-out length in ms; written by the host after creation.
  int32_t FFadeOutTime = 0;

  // Where the step leaves cold stretches alone. Between two frames of a run
  // the planes leave the cache; on a large area the stretches not read then
  // pay for the bookkeeping, on a small one it costs more than it saves.
  // Where most of the picture burns, looking for cold stretches costs more
  // than the few it finds save, so below a share of settled chunks the step
  // stops looking for a while.
  struct TTuning {
    int64_t SkipColdFrom = 1'500'000;  // pixels of the area, at least
    double SkipPaysFrom = 0.5;         // share of the band's chunks settled, at least
  };
  const TTuning& Tuning() const { return FTuning; }
  // Between frames, on the frame thread.
  void SetTuning(const TTuning& Tuning) { FTuning = Tuning; }

  // Starts the engine on a drawing area. Picture holds W x H 32-bit pixels
  // (blue, green, red, reserved; top row first) already fitted to the area,
  // or is null for a black picture. Style and PictureHeight are read live
  // every frame and must outlive the engine. Canvas may be null (no drawing).
  // False when the memory for the area cannot be had: the engine is then
  // empty and its frames draw nothing.
  bool Init(IFlameCanvas* Canvas, const TRect& DrawRect, const uint8_t* Picture, const TFlamePreset* Style,
            const int32_t* PictureHeight);
  // One frame: step, blend, colour table, drawing, pending screenshot.
  void NextFrame();

  // The same frame in two phases, so that several engines can step side by
  // side from one generator (NextFrames). PlanFrame holds the engine for the
  // frame and says how many draws its step takes from the generator;
  // RunPlannedFrame, on any thread and while that lock is held, steps from
  // Seed (left where the step's draws end) and finishes the frame.
  struct TFramePlan {
    TStepParams Params;
    bool Stepping = false;  // false: nothing to step, the frame only draws
    uint64_t Draws = 0;
  };
  std::unique_lock<std::mutex> PlanFrame(TFramePlan& Plan);
  void RunPlannedFrame(const TFramePlan& Plan, uint32_t& Seed);
  // Stops new sparks and cools faster; safe while a frame is computed.
  void StartFadeOut();
  // The next frame is copied at its end and written by the screenshot
  // writer's thread; a later request before then replaces the name.
  // Done, when given, hears on the writer's thread whether the file was
  // written (false also for a request replaced before its frame).
  void RequestScreenshot(const std::string& FileName, std::function<void(bool Written)> Done = {});
  // Waits until every screenshot taken so far is written or has failed.
  void FlushScreenshots() { FShots.Flush(); }
  // False while the writer holds as many screenshots as it takes: a request
  // now would be dropped.
  bool CanTakeScreenshot() const { return FShots.HasRoom(); }
  // True while a screenshot is still on its way to the disk.
  bool WritingScreenshots() const { return FShots.Busy(); }
  // How the files are written; before the first screenshot only.
  void SetScreenshotFileWriter(TShotFileWriter Write) { FShots.SetFileWriter(std::move(Write)); }

  // Text of the last screenshot that could not be written (empty after a
  // successful one). A failed screenshot never stops the frames.
  std::string LastScreenshotError() const { return FShots.LastError(); }

  // Read access for hosts, tools and tests. Not synchronised with NextFrame.
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  uint8_t Cooling() const { return FCooling; }
  // Whether the next frame's step may skip cold stretches.
  bool SkipsColdStretches() const { return static_cast<int64_t>(FSize) >= FTuning.SkipColdFrom && FSkipRest == 0; }
  bool ShotPending() const { return FShotPending; }
  const std::vector<uint8_t>& Image() const { return FImage; }
  const std::vector<uint8_t>& Heat() const { return FHeat; }
  const std::vector<uint8_t>& Edges() const { return FEdges; }
  const std::vector<uint8_t>& Background() const { return FBackground; }
  const TBitmapInfo8& BitmapInfo() const { return FBitmapInfo; }
  // Current band of burning rows, from the live picture height.
  void Band(int& Top, int& Bottom) const;
  // The image as the window shows it: 32-bit pixels through the colour table.
  std::vector<uint8_t> ImageAsPixels() const;

 private:
  // The parts of a frame, with FLock held: the step's parameters (false when
  // there is nothing to step), how many draws the step takes from the
  // generator, the step itself, and what follows it.
  bool StepParams(TStepParams& Params) const;
  uint64_t SparkDraws(const TStepParams& Params) const;
  void Step(const TStepParams& Params, uint32_t& Seed);
  void FinishFrame(bool Stepped);
  void CountSparkCells();
  void PrepareBackground(const uint8_t* Picture);
  void MakeBitmapInfo(int Width, int Height);
  void UpdateColorTable();
  void Draw();
  void SaveScreenshot();
  void Start(IFlameCanvas* Canvas, const TRect& DrawRect, const uint8_t* Picture, const TFlamePreset* Style,
             const int32_t* PictureHeight);
  void Release();

  TTuning FTuning;
  mutable std::mutex FLock;  // one frame, Init, fade-out start and screenshot hand-over at a time
  IFlameCanvas* FCanvas = nullptr;
  TBitmapInfo8 FBitmapInfo{};
  std::vector<uint8_t> FImage;
  std::vector<uint8_t> FEdges;
  TEdgeCells FEdgeCells;  // FEdges as the step reads it
  std::vector<uint8_t> FBackground;
  std::vector<uint8_t> FHeat;
  // Per row, the edge cells the step draws for (even columns): the step's
  // draws are known before it runs.
  std::vector<uint32_t> FRowSparkCells;
  std::vector<uint8_t> FPadded;  // the image with rows padded for drawing, when W is not a multiple of 4
  TStepScratch FScratch;
  TStepHistory FHistory;  // what the step may leave alone; forgotten whenever the field changes outside it
  // Frames left before the step tries skipping cold stretches again, after
  // it found too few of them to pay for the bookkeeping.
  int32_t FSkipRest = 0;
  TChangedBlocks FChanged;  // what the image changed since it was last drawn
  int32_t FHeight = 0;
  int32_t FWidth = 0;
  int32_t FSize = 0;
  const TFlamePreset* FStyle = nullptr;
  const int32_t* FPictureHeight = nullptr;
  bool FPrepared = false;
  bool FShotPending = false;
  std::string FShotFileName;
  std::function<void(bool)> FShotDone;
  uint8_t FCooling = 0;
  // Last: its thread ends, after the queued pictures are written, before
  // anything else goes.
  TScreenshotWriter FShots;
};

}  // namespace emberdell
