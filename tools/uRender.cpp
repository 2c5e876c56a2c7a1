#include "tools/uRender.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "core/engine/uCore.h"
#include "core/shared/uFileUtils.h"
#include "core/engine/uImageFiles.h"
#include "core/styles/uPresets.h"
#include "core/shared/uRandom.h"
#include "tools/uStretch.h"

namespace emberdell {

// The delivered "(Default) Wood" record, embedded at build time from resources/.
extern const unsigned char DefaultWoodStyle[804];

namespace {

constexpr int MaxSide = 16384;
constexpr long long MaxPixels = 1ll << 27;

bool ParseInt(const std::string& Text, long long Min, long long Max, long long& Value) {
  size_t i = 0;
  bool Negative = false;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) Negative = Text[i++] == '-';
  if (i == Text.size() || Text.size() - i > 12) return false;
  long long v = 0;
  for (; i < Text.size(); ++i) {
    if (Text[i] < '0' || Text[i] > '9') return false;
    v = v * 10 + (Text[i] - '0');
  }
  v = Negative ? -v : v;
  if (v < Min || v > Max) return false;
  Value = v;
  return true;
}

bool EndsWithNoCase(const std::string& s, const char* Suffix) {
  const size_t n = std::strlen(Suffix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != Suffix[i]) return false;
  return true;
}

bool WriteBytes(const std::string& FileName, const void* Data, size_t Size, std::string& Error) {
  std::FILE* f = OpenFile(FileName, "wb");
  if (f == nullptr) {
    Error = "cannot write " + FileName + ": " + std::strerror(errno);
    return false;
  }
  const bool Written = Size == 0 || std::fwrite(Data, Size, 1, f) == 1;
  const bool Closed = std::fclose(f) == 0;
  if (!Written || !Closed) {
    Error = "cannot write " + FileName + ": " + std::strerror(errno);
    std::remove(FileName.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool ParseRenderArgs(const std::vector<std::string>& Args, TRenderOptions& O, std::string& Error) {
  bool HaveSize = false;
  bool HaveFadeMs = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--random-style") {
      O.RandomStyle = true;
      continue;
    }
    static const char* const WithValue[] = {"--size",       "--picture",        "--picture-height", "--style",
                                            "--seed",       "--frames",         "--fade-out-after", "--fade-out-ms",
                                            "--screenshot", "--out",            "--raw",            "--save-style"};
    bool Known = false;
    for (const char* k : WithValue) Known = Known || a == k;
    if (!Known) {
      Error = "unknown argument '" + a + "'";
      return false;
    }
    if (i + 1 >= Args.size()) {
      Error = a + " needs a value";
      return false;
    }
    const std::string& v = Args[++i];
    long long n = 0;
    if (a == "--size") {
      const size_t x = v.find_first_of("xX");
      long long w = 0, h = 0;
      if (x == std::string::npos || !ParseInt(v.substr(0, x), 1, MaxSide, w) ||
          !ParseInt(v.substr(x + 1), 1, MaxSide, h) || v[0] == '+' || v[x + 1] == '+') {
        Error = "--size wants WxH with both from 1 to " + std::to_string(MaxSide) + ", not '" + v + "'";
        return false;
      }
      if (w * h > MaxPixels) {
        Error = "--size " + v + " is too large";
        return false;
      }
      O.Width = static_cast<int>(w);
      O.Height = static_cast<int>(h);
      HaveSize = true;
    } else if (a == "--picture") {
      O.Picture = v;
    } else if (a == "--picture-height") {
      if (!ParseInt(v, INT32_MIN, INT32_MAX, n)) {
        Error = "--picture-height wants a whole number, not '" + v + "'";
        return false;
      }
      O.PictureHeight = static_cast<int32_t>(n);
    } else if (a == "--style") {
      O.StyleFile = v;
    } else if (a == "--seed") {
      // Seeds are 32 bits; negative numbers stand for their two's complement.
      if (!ParseInt(v, INT32_MIN, UINT32_MAX, n)) {
        Error = "--seed wants a 32-bit whole number, not '" + v + "'";
        return false;
      }
      O.Seed = static_cast<uint32_t>(n);
    } else if (a == "--frames") {
      if (!ParseInt(v, 0, 100000000, n)) {
        Error = "--frames wants a number from 0 to 100000000, not '" + v + "'";
        return false;
      }
      O.Frames = static_cast<int>(n);
    } else if (a == "--fade-out-after") {
      if (!ParseInt(v, 0, 100000000, n)) {
        Error = "--fade-out-after wants a frame number, not '" + v + "'";
        return false;
      }
      O.FadeOutAfter = static_cast<int>(n);
    } else if (a == "--fade-out-ms") {
      if (!ParseInt(v, INT32_MIN, INT32_MAX, n)) {
        Error = "--fade-out-ms wants a whole number of milliseconds, not '" + v + "'";
        return false;
      }
      O.FadeOutMs = static_cast<int32_t>(n);
      HaveFadeMs = true;
    } else if (a == "--screenshot") {
      O.Screenshot = v;
    } else if (a == "--out") {
      O.Out = v;
    } else if (a == "--raw") {
      O.Raw = v;
    } else if (a == "--save-style") {
      O.SaveStyle = v;
    }
    if (v.empty() && a != "--picture-height") {
      Error = a + " needs a value";
      return false;
    }
  }
  (void)HaveFadeMs;
  if (!HaveSize) {
    Error = "--size WxH is required";
    return false;
  }
  if (O.Picture.empty()) {
    Error = "--picture FILE is required";
    return false;
  }
  if (O.RandomStyle && !O.StyleFile.empty()) {
    Error = "--style and --random-style exclude each other";
    return false;
  }
  return true;
}

bool RunRender(const TRenderOptions& O, std::string& Error) {
  // The generator is seeded once, before anything draws from it.
  Randomize(O.Seed ? *O.Seed
                   : static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));

  TFlamePreset Style;
  std::memset(&Style, 0, sizeof Style);
  if (!O.StyleFile.empty()) {
    if (!ReadPresetFile(O.StyleFile, Style)) {
      Error = "cannot use style file " + O.StyleFile + ": missing, unreadable or shorter than 804 bytes";
      return false;
    }
  } else if (O.RandomStyle) {
    MakeRandomPreset(Style);
  } else {
    std::memcpy(&Style, DefaultWoodStyle, sizeof Style);
  }

  TPixelImage Picture;
  if (!ReadPictureFile(O.Picture, Picture, Error)) {
    Error = "cannot use picture " + O.Picture + ": " + Error;
    return false;
  }
  std::vector<uint8_t> Fitted = (Picture.Width == O.Width && Picture.Height == O.Height)
                                    ? std::move(Picture.Pixels)
                                    : StretchNearest(Picture.Pixels.data(), Picture.Width, Picture.Height,
                                                     O.Width, O.Height);

  TFlame Flame;
  Flame.FFadeOutTime = O.FadeOutMs;
  int32_t PictureHeight = O.PictureHeight;
  Flame.Init(nullptr, TRect{0, 0, O.Width, O.Height}, Fitted.data(), &Style, &PictureHeight);
  Fitted.clear();
  Fitted.shrink_to_fit();

  if (O.FadeOutAfter && *O.FadeOutAfter == 0) Flame.StartFadeOut();
  for (int Frame = 1; Frame <= O.Frames; ++Frame) {
    if (Frame == O.Frames && !O.Screenshot.empty()) Flame.RequestScreenshot(O.Screenshot);
    Flame.NextFrame();
    if (O.FadeOutAfter && *O.FadeOutAfter == Frame) Flame.StartFadeOut();
  }
  if (!O.Screenshot.empty()) {
    if (O.Frames == 0) {
      Error = "--screenshot needs at least one frame";
      return false;
    }
    const std::string ShotError = Flame.LastScreenshotError();
    if (!ShotError.empty()) {
      Error = "screenshot " + O.Screenshot + " not written: " + ShotError;
      return false;
    }
  }

  if (!O.Out.empty()) {
    const std::vector<uint8_t> Pixels = Flame.ImageAsPixels();
    const bool Jpeg = EndsWithNoCase(O.Out, ".jpg") || EndsWithNoCase(O.Out, ".jpeg");
    const bool Ok = Jpeg ? WriteJpegFile(O.Out, O.Width, O.Height, Pixels.data(), 100, true, Error)
                         : WriteBmpFile(O.Out, O.Width, O.Height, Pixels.data(), Error);
    if (!Ok) return false;
  }
  if (!O.Raw.empty()) {
    std::vector<uint8_t> Raw(Flame.Image());
    const auto* Table = &Flame.BitmapInfo().Colors[0][0];
    Raw.insert(Raw.end(), Table, Table + 256 * 4);
    if (!WriteBytes(O.Raw, Raw.data(), Raw.size(), Error)) return false;
  }
  if (!O.SaveStyle.empty() && !WriteBytes(O.SaveStyle, &Style, sizeof Style, Error)) return false;
  return true;
}

}  // namespace emberdell
