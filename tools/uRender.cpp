#include "tools/uRender.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <variant>

#include "core/engine/uCore.h"
#include "core/shared/uFileUtils.h"
#include "core/shared/uNumbers.h"
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

// Numbers of more than twelve digits are refused, leading zeros or not.
bool ParseInt(const std::string& Text, long long Min, long long Max, long long& Value) {
  const size_t Digits = Text.size() - (!Text.empty() && (Text[0] == '+' || Text[0] == '-'));
  int64_t Number = 0;
  if (Digits > 12 || !ParseDecimal(Text, Min, Max, Number)) return false;
  Value = Number;
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

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

struct TNumberArg {
  long long Min, Max;
  const char* Wants;  // completes "--name wants ..., not 'value'"
  void (*Store)(TRenderOptions&, long long);
};
struct TSizeArg {};

struct TRenderArg {
  const char* Name;
  // A flag takes no value; every other argument takes the one after it.
  std::variant<bool TRenderOptions::*, std::string TRenderOptions::*, TNumberArg, TSizeArg> Target;
};

// clang-format off
const TRenderArg RenderArgs[] = {
  {"--random-style",   &TRenderOptions::RandomStyle},
  {"--size",           TSizeArg{}},
  {"--picture",        &TRenderOptions::Picture},
  {"--picture-height", TNumberArg{INT32_MIN, INT32_MAX, "a whole number",
                                  [](TRenderOptions& O, long long n) { O.PictureHeight = static_cast<int32_t>(n); }}},
  {"--style",          &TRenderOptions::StyleFile},
  // Seeds are 32 bits; negative numbers stand for their two's complement.
  {"--seed",           TNumberArg{INT32_MIN, UINT32_MAX, "a 32-bit whole number",
                                  [](TRenderOptions& O, long long n) { O.Seed = static_cast<uint32_t>(n); }}},
  {"--frames",         TNumberArg{0, 100000000, "a number from 0 to 100000000",
                                  [](TRenderOptions& O, long long n) { O.Frames = static_cast<int>(n); }}},
  {"--fade-out-after", TNumberArg{0, 100000000, "a frame number",
                                  [](TRenderOptions& O, long long n) { O.FadeOutAfter = static_cast<int>(n); }}},
  {"--fade-out-ms",    TNumberArg{INT32_MIN, INT32_MAX, "a whole number of milliseconds",
                                  [](TRenderOptions& O, long long n) { O.FadeOutMs = static_cast<int32_t>(n); }}},
  {"--screenshot",     &TRenderOptions::Screenshot},
  {"--out",            &TRenderOptions::Out},
  {"--raw",            &TRenderOptions::Raw},
  {"--save-style",     &TRenderOptions::SaveStyle},
};
// clang-format on

const TRenderArg* FindArg(const std::string& Name) {
  for (const TRenderArg& Arg : RenderArgs)
    if (Name == Arg.Name) return &Arg;
  return nullptr;
}

bool ParseSize(const std::string& v, TRenderOptions& O, std::string& Error) {
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
  return true;
}

}  // namespace

bool ParseRenderArgs(const std::vector<std::string>& Args, TRenderOptions& O, std::string& Error) {
  bool HaveSize = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    const TRenderArg* Arg = FindArg(a);
    if (Arg == nullptr) {
      Error = "unknown argument '" + a + "'";
      return false;
    }
    if (const auto* Flag = std::get_if<bool TRenderOptions::*>(&Arg->Target)) {
      O.**Flag = true;
      continue;
    }
    if (i + 1 >= Args.size()) {
      Error = a + " needs a value";
      return false;
    }
    const std::string& v = Args[++i];
    const bool Ok = std::visit(
        Overloaded{
            [&](bool TRenderOptions::*) { return true; },
            [&](std::string TRenderOptions::*Text) {
              if (v.empty()) {
                Error = a + " needs a value";
                return false;
              }
              O.*Text = v;
              return true;
            },
            [&](const TNumberArg& Number) {
              long long n = 0;
              if (!ParseInt(v, Number.Min, Number.Max, n)) {
                Error = a + " wants " + Number.Wants + ", not '" + v + "'";
                return false;
              }
              Number.Store(O, n);
              return true;
            },
            [&](TSizeArg) { return HaveSize = ParseSize(v, O, Error); },
        },
        Arg->Target);
    if (!Ok) return false;
  }
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
    Flame.FlushScreenshots();
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
