// The page's fire: one engine over a drawing area, its frames expanded into
// an RGBA picture the page copies to its canvas, rectangle by rectangle, or
// (for a page that looks the colours up on the GPU) its 8-bit image and
// colour table as they are. The page paces the frames and decodes pictures;
// the rules are the core's.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/engine/uCore.h"
#include "core/engine/uFitPicture.h"
#include "core/engine/uFrameChanges.h"
#include "core/engine/uImageFiles.h"
#include "core/dialogs/uPerformanceSettings.h"
#include "core/host/uExitRules.h"
#include "core/host/uScreenshotNames.h"
#include "core/host/uVisibility.h"
#include "core/shared/uRandom.h"
#include "core/styles/uPresets.h"
#include "core/sound/uTBackgroundChimes.h"
#include "core/sound/uTBackgroundSound.h"
#include "bench/desktop_picture.h"
#include "tools/uDesktopPicture.h"
#include "tools/uFireRecording.h"

namespace emberdell {
extern const unsigned char DefaultWoodStyle[804];
}

namespace {

using namespace emberdell;

class TWebFire final : public IFlameCanvas {
 public:
  TFlame Flame;
  TFlamePreset Current{}, Target{};
  int32_t PictureHeight = 100;
  std::vector<uint8_t> Rgba;
  std::vector<int32_t> Rects;  // x, y, width, height of each rectangle to copy
  bool Morphing = true;
  // Indexed: the page takes the 8-bit image and the colour table, so the
  // RGBA picture is neither kept nor expanded.
  bool Indexed = false;
  const uint8_t* Bits = nullptr;  // the last frame's image, rows DibStride apart
  int Width = 0;
  uint8_t Colors[256 * 4] = {};  // red, green, blue, alpha of each index
  bool ColorsChanged = false;

  void DrawFrame(const TBitmapInfo8& Info, const uint8_t* Image, const TChangedBlocks& Changed) override {
    const int W = Info.biWidth, H = -Info.biHeight;
    Bits = Image;
    Width = W;
    if (Indexed) {
      DrawIndexed(Info, W, H, Changed);
      return;
    }
    // Packed so that the expanded pixels are the canvas's red, green, blue, alpha bytes.
    uint32_t Table[256];
    for (int i = 0; i < 256; ++i)
      Table[i] = uint32_t(Info.Colors[i][2]) | uint32_t(Info.Colors[i][1]) << 8 | uint32_t(Info.Colors[i][0]) << 16 |
                 0xFF000000u;
    const std::vector<TRect>& Changes =
        FChanges.Update(Image, DibStride(W), W, H, Table, Rgba.data(), static_cast<size_t>(W) * 4, Changed);
    AddRects(Changes);
  }
  void Forget() {
    FChanges.Forget();
    FIndexedValid = false;
  }

 private:
  void AddRects(const std::vector<TRect>& Changes) {
    for (const TRect& r : Changes) Rects.insert(Rects.end(), {r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top});
  }

  // The rectangles of the image whose indices may have changed, joined as
  // the RGBA picture's are; a new table is only the table.
  void DrawIndexed(const TBitmapInfo8& Info, int W, int H, const TChangedBlocks& Changed) {
    uint8_t Next[sizeof Colors];
    for (int i = 0; i < 256; ++i) {
      Next[4 * i] = Info.Colors[i][2];
      Next[4 * i + 1] = Info.Colors[i][1];
      Next[4 * i + 2] = Info.Colors[i][0];
      Next[4 * i + 3] = 255;
    }
    if (!FIndexedValid || std::memcmp(Next, Colors, sizeof Colors) != 0) {
      std::memcpy(Colors, Next, sizeof Colors);
      ColorsChanged = true;
    }
    if (W <= 0 || H <= 0) return;
    constexpr size_t B = TChangedBlocks::BlockBytes;
    const size_t Pixels = size_t(W) * size_t(H);
    const bool Mapped = !Changed.All && Changed.Words.size() * 64 * B >= Pixels;
    if (!FIndexedValid || !Mapped || W != FIndexedWidth || H != FIndexedHeight) {
      FIndexedValid = true;
      FIndexedWidth = W;
      FIndexedHeight = H;
      AddRects({TRect{0, 0, W, H}});
      return;
    }
    const size_t Bands = (size_t(H) + kChangeBandRows - 1) / kChangeBandRows;
    FBandLeft.assign(Bands, W);
    FBandRight.assign(Bands, 0);
    // A block's bytes are in the unpadded image and may run over a row's end.
    const size_t Blocks = (Pixels + B - 1) / B;
    for (size_t w = 0; w * 64 < Blocks; ++w)
      for (uint64_t Word = Changed.Words[w]; Word; Word &= Word - 1) {
        const size_t b = w * 64 + static_cast<size_t>(std::countr_zero(Word));
        if (b >= Blocks) break;
        for (size_t At = b * B, End = std::min(At + B, Pixels); At < End;) {
          const size_t y = At / size_t(W), RowEnd = std::min(End, (y + 1) * size_t(W));
          const size_t Band = y / kChangeBandRows;
          FBandLeft[Band] = std::min(FBandLeft[Band], static_cast<int32_t>(At - y * size_t(W)));
          FBandRight[Band] = std::max(FBandRight[Band], static_cast<int32_t>(RowEnd - y * size_t(W)));
          At = RowEnd;
        }
      }
    JoinBands(FBandLeft, FBandRight, W, H, FIndexedRects);
    AddRects(FIndexedRects);
  }

  TFrameChanges FChanges;
  bool FIndexedValid = false;
  int FIndexedWidth = 0, FIndexedHeight = 0;
  std::vector<int32_t> FBandLeft, FBandRight;
  std::vector<TRect> FIndexedRects;
};

std::unique_ptr<TWebFire> Fire;
bool DrawIndexed = false;  // how the next EdFireStart's frames are kept
TVisibility Visibility;
std::vector<uint8_t> Upload;
TPixelImage Picture;  // the picture the fire burns, at its own size
std::string Text;

}  // namespace

extern "C" {

// Room for an RGBA picture the page decoded, of Bytes bytes.
EMSCRIPTEN_KEEPALIVE uint8_t* EdPictureBuffer(int Bytes) {
  Upload.assign(static_cast<size_t>(std::max(0, Bytes)), 0);
  return Upload.data();
}

// Whether a picture of that size is one the screensaver takes.
EMSCRIPTEN_KEEPALIVE int EdPictureAccepted(int Width, int Height) {
  const TPictureLimits Limits;
  return Width > 0 && Height > 0 && Width <= Limits.MaxSide && Height <= Limits.MaxSide &&
         uint64_t(Width) * uint64_t(Height) * 4 <= Limits.MaxBytes;
}

// The uploaded RGBA picture (Width x Height) becomes the picture to burn;
// Width 0 makes it the drawn desktop, drawn at 1920 x 1080 and fitted as any
// picture is.
EMSCRIPTEN_KEEPALIVE int EdUsePicture(int Width, int Height) {
  TPixelImage Next;
  if (Width <= 0) {
    Next.Width = 1920;
    Next.Height = 1080;
    Next.Pixels = DesktopPicture(Next.Width, Next.Height);
  } else {
    if (!EdPictureAccepted(Width, Height) || Upload.size() != size_t(Width) * Height * 4) return 0;
    Next.Width = Width;
    Next.Height = Height;
    Next.Pixels.resize(Upload.size());
    for (size_t i = 0; i < Upload.size(); i += 4) {
      Next.Pixels[i] = Upload[i + 2];
      Next.Pixels[i + 1] = Upload[i + 1];
      Next.Pixels[i + 2] = Upload[i];
      Next.Pixels[i + 3] = 0;
    }
  }
  Upload = {};
  Picture = std::move(Next);
  return 1;
}

// Starts (or restarts) the fire on a Width x Height area over the picture.
EMSCRIPTEN_KEEPALIVE int EdFireStart(int Width, int Height, uint32_t Seed) {
  if (!Fire) {
    Fire = std::make_unique<TWebFire>();
    std::memcpy(&Fire->Current, DefaultWoodStyle, sizeof Fire->Current);
    Fire->Target = Fire->Current;
    Randomize(Seed);
  }
  if (Picture.Pixels.empty()) EdUsePicture(0, 0);
  TPixelImage Area;
  if (!FitPictureToArea(Picture, Width, Height, Area)) return 0;
  Fire->Indexed = DrawIndexed;
  if (Fire->Indexed)
    Fire->Rgba = {};
  else
    Fire->Rgba.assign(size_t(Width) * Height * 4, 0);
  Fire->Bits = nullptr;
  Fire->Forget();
  return Fire->Flame.Init(Fire.get(), TRect{0, 0, Width, Height}, Area.Pixels.data(), &Fire->Current,
                          &Fire->PictureHeight);
}

// One frame, when anybody can see it: the number of rectangles to copy.
EMSCRIPTEN_KEEPALIVE int EdFireFrame() {
  if (!Fire) return 0;
  Fire->Rects.clear();
  Fire->ColorsChanged = false;
  if (!Visibility.Seen()) return 0;
  Fire->Flame.NextFrame();
  MorphPreset(Fire->Current, Fire->Target);
  return static_cast<int>(Fire->Rects.size() / 4);
}

EMSCRIPTEN_KEEPALIVE const int32_t* EdFireRects() { return Fire ? Fire->Rects.data() : nullptr; }
EMSCRIPTEN_KEEPALIVE uint8_t* EdFirePixels() { return Fire ? Fire->Rgba.data() : nullptr; }

// For a page that looks the colours up itself: before EdFireStart, 1 keeps
// the frames as the 8-bit image and its colour table (EdFirePixels is then
// empty), 0 expands them into the RGBA picture.
EMSCRIPTEN_KEEPALIVE void EdFireDrawIndexed(int On) { DrawIndexed = On != 0; }
// The last frame's 8-bit image, top row first, its rows EdFireIndexStride
// bytes apart; null before the first frame.
EMSCRIPTEN_KEEPALIVE const uint8_t* EdFireIndexPixels() { return Fire ? Fire->Bits : nullptr; }
EMSCRIPTEN_KEEPALIVE int EdFireIndexStride() { return Fire ? static_cast<int>(DibStride(Fire->Width)) : 0; }
// The colour table as 256 red, green, blue, alpha quadruples, and whether
// the last frame changed it.
EMSCRIPTEN_KEEPALIVE const uint8_t* EdFireColors() { return Fire ? Fire->Colors : nullptr; }
EMSCRIPTEN_KEEPALIVE int EdFireColorsChanged() { return Fire && Fire->ColorsChanged; }

// The page is shown or hidden (a hidden tab, a minimised window).
EMSCRIPTEN_KEEPALIVE void EdPageShown(int Shown) { Visibility.Mapped(Shown != 0); }
EMSCRIPTEN_KEEPALIVE int EdFrameWanted() { return Visibility.Seen(); }

EMSCRIPTEN_KEEPALIVE void EdSetPictureHeight(int Percent) {
  if (Fire) Fire->PictureHeight = Percent;
}

EMSCRIPTEN_KEEPALIVE void EdFadeOut(int Milliseconds) {
  if (!Fire) return;
  Fire->Flame.FFadeOutTime = Milliseconds;
  Fire->Flame.StartFadeOut();
}

// The style file Path as the core reads it, or null when it is no style
// (missing or shorter than a record).
EMSCRIPTEN_KEEPALIVE const uint8_t* EdReadStyle(const char* Path) {
  static TFlamePreset Style;
  return ReadPresetFile(Path, Style) ? reinterpret_cast<const uint8_t*>(&Style) : nullptr;
}

EMSCRIPTEN_KEEPALIVE const char* EdStyleName(const char* Path) {
  TFlamePreset Style;
  Text = ReadPresetFile(Path, Style) ? PresetName(Style) : std::string();
  return Text.c_str();
}

// The style the fire shows now becomes Path's (Morph: the fire moves toward it).
EMSCRIPTEN_KEEPALIVE int EdChooseStyle(const char* Path, int Morph) {
  if (!Fire) return 0;
  TFlamePreset Style;
  if (!ReadPresetFile(Path, Style)) return 0;
  Fire->Target = Style;
  if (!Morph) Fire->Current = Style;
  return 1;
}

// A random style of those in Folder becomes the target, as every "Changing
// delay" of a run.
EMSCRIPTEN_KEEPALIVE void EdChangeStyle(const char* Folder) {
  if (!Fire) return;
  std::vector<std::string> Names = GetPresetNames(Folder);
  std::sort(Names.begin(), Names.end());
  LoadRandomActivePreset(Folder, Names, Fire->Target);
}

EMSCRIPTEN_KEEPALIVE const char* EdScreenshotName(int Number) {
  Text = ScreenshotFileName(Number);
  return Text.c_str();
}


// The performance dialog's choices, as the page offers them.
EMSCRIPTEN_KEEPALIVE int EdSpeedCount() { return SpeedPositionCount; }
EMSCRIPTEN_KEEPALIVE int EdSpeedFps(int Position) {
  return SpeedSteps[std::clamp(Position, 0, SpeedPositionCount - 1)].FPS;
}
EMSCRIPTEN_KEEPALIVE int EdSpeedPosition(int Fps) { return SpeedPosition(Fps); }
EMSCRIPTEN_KEEPALIVE const char* EdSpeedCaption(int Position) {
  Text = SpeedCaption(std::clamp(Position, 0, SpeedPositionCount - 1));
  return Text.c_str();
}
EMSCRIPTEN_KEEPALIVE int EdHeightPositionMin() { return HeightPositionMin; }
EMSCRIPTEN_KEEPALIVE int EdHeightPositionMax() { return HeightPositionMax; }
EMSCRIPTEN_KEEPALIVE int EdHeightPosition(int Percent) { return HeightPosition(Percent); }
EMSCRIPTEN_KEEPALIVE int EdHeightPercent(int Position) { return HeightPercent(Position); }
EMSCRIPTEN_KEEPALIVE const char* EdHeightCaption(int Percent) {
  Text = HeightCaption(Percent);
  return Text.c_str();
}

// The run's exit rules for an event of the full-screen page: 0 nothing, 1 a
// screenshot, 2 the end. Message is the system's code for the event.
EMSCRIPTEN_KEEPALIVE int EdExitRule(int Message, int Key, int KeyWasDown, int X, int Y, int StartX, int StartY,
                                    int IgnoreMouseMove, int ExitRequested) {
  TExitInput Input;
  Input.Message = static_cast<uint32_t>(Message);
  Input.WParam = static_cast<uintptr_t>(Key);
  Input.KeyWasDown = KeyWasDown != 0;
  Input.Cursor = {X, Y};
  Input.StartPosition = {StartX, StartY};
  Input.IgnoreMouseMove = IgnoreMouseMove != 0;
  Input.ExitRequested = ExitRequested != 0;
  switch (ExitRule(Input)) {
    case TExitDecision::TakeScreenshot: return 1;
    case TExitDecision::Exit: return 2;
    default: return 0;
  }
}

// How long the fade-out before the end lasts; 0: end at once.
EMSCRIPTEN_KEEPALIVE int EdExitFadeMs(int AllowFadeout, int FadeoutTime) {
  const TExitPlan Plan = PlanExit(AllowFadeout != 0, FadeoutTime, false);
  return Plan.CloseNow ? 0 : static_cast<int>(Plan.ExitTimerMs);
}


// The fire recording, made by the same generator as the desktop's: raw
// unsigned 8-bit stereo at FireRecordingRate frames a second.
EMSCRIPTEN_KEEPALIVE const uint8_t* EdFireRecording() {
  static const std::vector<uint8_t> Recording = MakeFireRecording();
  return Recording.data();
}
EMSCRIPTEN_KEEPALIVE int EdFireRecordingBytes() {
  return static_cast<int>(FireRecordingFrames * FireRecordingChannels);
}
EMSCRIPTEN_KEEPALIVE int EdFireRecordingRate() { return static_cast<int>(FireRecordingRate); }
EMSCRIPTEN_KEEPALIVE int EdFirePlaybackRate() { return static_cast<int>(FirePlaybackRate); }
EMSCRIPTEN_KEEPALIVE int EdVolumeToAttenuation(int Volume) { return VolumeToAttenuation(Volume); }

// The next chime: its wait in ms, then (EdChimeNote) its MIDI note and
// (EdChimeVelocity) how hard it is struck.
EMSCRIPTEN_KEEPALIVE int EdChimeDelay() { return static_cast<int>(ChimeDelay()); }
EMSCRIPTEN_KEEPALIVE int EdChimeNote() { return 60 + ChimeNote(); }
EMSCRIPTEN_KEEPALIVE int EdChimeVelocity(int Volume) { return ChimeVelocity(Volume); }


// For the benchmark page: an engine of its own over the drawn desktop and
// without a canvas, started by EdEngineStart; the page times EdEngineRun.
namespace {
struct TBenchEngine {
  TFlame Flame;
  TFlamePreset Style{};
  int32_t PictureHeight = 100;
};
std::unique_ptr<TBenchEngine> Bench;
}  // namespace

// The same engine as bench_flame's NextFrame: its desktop, its style, its
// seed and a fire already burning, so that the two figures compare.
EMSCRIPTEN_KEEPALIVE int EdEngineStart(int Width, int Height) {
  Bench.reset();
  Bench = std::make_unique<TBenchEngine>();
  const std::vector<uint8_t> Picture = DesktopLikePicture(Width, Height);
  Bench->Style.FlameIntensity = 8;
  Bench->Style.Wind = 1;
  Randomize(1);
  if (!Bench->Flame.Init(nullptr, TRect{0, 0, Width, Height}, Picture.data(), &Bench->Style, &Bench->PictureHeight))
    return 0;
  for (int i = 0; i < 30; ++i) Bench->Flame.NextFrame();
  return 1;
}
EMSCRIPTEN_KEEPALIVE void EdEngineRun(int Frames) {
  if (Bench)
    for (int i = 0; i < Frames; ++i) Bench->Flame.NextFrame();
}
EMSCRIPTEN_KEEPALIVE void EdEngineStop() { Bench.reset(); }

}
