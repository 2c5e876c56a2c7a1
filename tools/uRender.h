// The headless renderer: runs the engine without a window and writes what a
// window would have shown.
#pragma once

#include <atomic>
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
  // Not arguments: the program sets Progress when stderr is a terminal, and
  // points Stop at the flag its signal handler sets; the render ends after
  // the frame in hand once the flag is not 0.
  bool Progress = false;
  const std::atomic<int>* Stop = nullptr;
};

inline constexpr const char* RenderUsage =
    "usage: emberdell-render --size WxH --picture FILE [--picture-height PH] "
    "[--style FILE.wyk | --random-style] [--seed N] [--frames N] [--fade-out-after K --fade-out-ms MS] "
    "[--morph-to FILE.wyk | --styles DIR [--change-every SECONDS]] [--fps N] [--fit] "
    "[--screenshot FILE] [--out FILE] [--raw FILE] [--save-style FILE] [--gif FILE.gif] [--video FILE.mp4|FILE.webm]";

// What --help adds to the usage line: what a user cannot guess from it.
inline constexpr const char* RenderHelp =
    "Every output is written under a temporary name beside its own and takes that name only when\n"
    "all outputs are whole: a failed render leaves no file and older files of those names as they were.\n"
    "SIGINT or SIGTERM ends the render after the frame in hand, the same way (status 130 or 143).\n"
    "--gif: delays are whole hundredths of a second, and viewers show one under 2 as 10; above 50\n"
    "frames a second the GIF plays at 50, showing every 2 hundredths the frame nearest that moment\n"
    "(within one hundredth) and leaving out the frames between.\n";

// False with a one-line reason for anything the renderer cannot use.
bool ParseRenderArgs(const std::vector<std::string>& Args, TRenderOptions& Options, std::string& Error);
// Renders; false with a one-line reason when an input cannot be read, an
// output cannot be written, memory runs out or Stop was set. Then no output
// file is left, and any older file of an output's name is as it was.
bool RunRender(const TRenderOptions& Options, std::string& Error);
// The reason given whenever memory runs out, for any allocation.
std::string NotEnoughMemory(int Width, int Height);

}  // namespace emberdell
