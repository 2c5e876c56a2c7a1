// The headless renderer: runs the engine without a window and writes what a
// window would have shown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace emberdell {

struct TRenderOptions {
  int Width = 0, Height = 0;
  std::string Picture;
  int32_t PictureHeight = 100;
  std::string StyleFile;
  bool RandomStyle = false;
  std::optional<uint32_t> Seed;
  int Frames = 100;
  std::optional<int> FadeOutAfter;
  int32_t FadeOutMs = 700;
  std::string Screenshot, Out, Raw, SaveStyle;
  // After every frame the style takes one step toward MorphTo, as in a run.
  std::string MorphTo;
  // Fitted as the screensaver fits a background picture, not stretched.
  bool Fit = false;
  // Every ChangeEvery seconds of animation time a random style of StylesDir
  // becomes the target; Fps frames make a second.
  std::string StylesDir;
  std::optional<int> ChangeEvery;
  int Fps = 25;
  std::string Gif, Video;
  // Not an argument: the program sets it when stderr is a terminal.
  bool Progress = false;
};

inline constexpr const char* RenderUsage =
    "usage: emberdell-render --size WxH --picture FILE [--picture-height PH] "
    "[--style FILE.wyk | --random-style] [--seed N] [--frames N] [--fade-out-after K --fade-out-ms MS] "
    "[--morph-to FILE.wyk | --styles DIR [--change-every SECONDS]] [--fps N] [--fit] "
    "[--screenshot FILE] [--out FILE] [--raw FILE] [--save-style FILE] [--gif FILE.gif] [--video FILE.mp4|FILE.webm]";

// False with a one-line reason for anything the renderer cannot use.
bool ParseRenderArgs(const std::vector<std::string>& Args, TRenderOptions& Options, std::string& Error);
// Renders; false with a one-line reason when an input cannot be read or an
// output cannot be written.
bool RunRender(const TRenderOptions& Options, std::string& Error);

}  // namespace emberdell
