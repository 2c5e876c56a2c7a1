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
};

inline constexpr const char* RenderUsage =
    "usage: emberdell-render --size WxH --picture FILE [--picture-height PH] "
    "[--style FILE.wyk | --random-style] [--seed N] [--frames N] [--fade-out-after K --fade-out-ms MS] "
    "[--screenshot FILE] [--out FILE] [--raw FILE] [--save-style FILE]";

// False with a one-line reason for anything the renderer cannot use.
bool ParseRenderArgs(const std::vector<std::string>& Args, TRenderOptions& Options, std::string& Error);
// Renders; false with a one-line reason when an input cannot be read or an
// output cannot be written.
bool RunRender(const TRenderOptions& Options, std::string& Error);

}  // namespace emberdell
