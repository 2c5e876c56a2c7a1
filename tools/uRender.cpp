#include "tools/uRender.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <variant>

#include "core/engine/uCore.h"
#include "core/engine/uFitPicture.h"
#include "core/host/uGlobals.h"
#include "core/shared/uFileUtils.h"
#include "core/shared/uNumbers.h"
#include "core/engine/uImageFiles.h"
#include "core/styles/uPresets.h"
#include "core/shared/uRandom.h"
#include "tools/uAnimation.h"
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

bool WriteBytes(const TPartialFile& File, const void* Data, size_t Size, std::string& Error) {
  std::FILE* f = OpenFile(File.Path(), "wb");
  if (f == nullptr) {
    Error = "cannot write " + File.FinalName() + ": " + std::strerror(errno);
    return false;
  }
  const bool Written = Size == 0 || std::fwrite(Data, Size, 1, f) == 1;
  const bool Closed = std::fclose(f) == 0;
  if (!Written || !Closed) {
    Error = "cannot write " + File.FinalName() + ": " + std::strerror(errno);
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
  {"--morph-to",       &TRenderOptions::MorphTo},
  {"--fit",            &TRenderOptions::Fit},
  {"--styles",         &TRenderOptions::StylesDir},
  {"--change-every",   TNumberArg{1, 100000000, "a number of seconds from 1 to 100000000",
                                  [](TRenderOptions& O, long long n) { O.ChangeEvery = static_cast<int>(n); }}},
  {"--fps",            TNumberArg{1, 1000, "a number of frames a second from 1 to 1000",
                                  [](TRenderOptions& O, long long n) { O.Fps = static_cast<int>(n); }}},
  {"--gif",            &TRenderOptions::Gif},
  {"--video",          &TRenderOptions::Video},
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
  if (!O.MorphTo.empty() && !O.StylesDir.empty()) {
    Error = "--morph-to and --styles exclude each other";
    return false;
  }
  if (O.ChangeEvery && O.StylesDir.empty()) {
    Error = "--change-every needs --styles DIR";
    return false;
  }
  // The unavailable writers give the one line that says so.
  if (!O.Gif.empty() && !GifAvailable()) {
    OpenGifWriter(O.Gif, 1, 1, 1, Error);
    return false;
  }
  if (!O.Video.empty()) {
    if (!VideoAvailable()) {
      OpenVideoWriter(O.Video, 2, 2, 1, Error);
      return false;
    }
    if (!EndsWithNoCase(O.Video, ".mp4") && !EndsWithNoCase(O.Video, ".webm")) {
      Error = "--video wants a file ending in .mp4 or .webm, not '" + O.Video + "'";
      return false;
    }
    if (O.Width % 2 != 0 || O.Height % 2 != 0) {
      Error = "--video wants an even width and height (4:2:0 colour), not " + std::to_string(O.Width) + "x" +
              std::to_string(O.Height);
      return false;
    }
  }
  return true;
}

namespace {

// "frames done, frames a second, time left" on one line that rewrites
// itself; shown only once a render has taken a second, and wiped at the end.
class TProgressLine {
 public:
  TProgressLine(bool Enabled, int Frames) : FEnabled(Enabled && Frames > 0), FFrames(Frames) {}
  ~TProgressLine() {
    if (FShown) std::fprintf(stderr, "\r%*s\r", FWidth, "");
  }
  void Done(int Frame) {
    if (!FEnabled) return;
    const double Elapsed = Seconds(Clock::now() - FStart);
    if (Elapsed < 1.0 || (FShown && Seconds(Clock::now() - FLast) < 0.25 && Frame != FFrames)) return;
    FLast = Clock::now();
    const double Rate = Frame / Elapsed;
    const long Left = std::lround((FFrames - Frame) / Rate);
    const int Width = std::fprintf(stderr, "\r%d/%d frames, %.1f frames/s, %ld:%02ld left ", Frame, FFrames, Rate,
                                   Left / 60, Left % 60);
    FWidth = std::max(FWidth, Width);
    FShown = true;
  }

 private:
  using Clock = std::chrono::steady_clock;
  static double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
  const bool FEnabled;
  const int FFrames;
  const Clock::time_point FStart = Clock::now();
  Clock::time_point FLast;
  bool FShown = false;
  int FWidth = 0;
};

std::string WithSeparator(std::string Folder) {
  if (!Folder.empty() && Folder.back() != '/') Folder += '/';
  return Folder;
}

// RunRender, with a lack of memory thrown as std::bad_alloc.
bool Render(const TRenderOptions& O, std::string& Error) {
  // The generator is seeded once, before anything draws from it.
  Randomize(O.Seed ? *O.Seed
                   : static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));

  const std::string StylesDir = WithSeparator(O.StylesDir);
  std::vector<std::string> StyleNames;
  if (!StylesDir.empty()) {
    StyleNames = GetPresetNames(StylesDir);
    if (StyleNames.empty()) {
      Error = "--styles " + O.StylesDir + " holds no .wyk style files";
      return false;
    }
    // The listing's order is the file system's; a sorted list makes the
    // choices the same on every machine.
    std::sort(StyleNames.begin(), StyleNames.end());
  }

  TFlamePreset Style;
  std::memset(&Style, 0, sizeof Style);
  if (!O.StyleFile.empty()) {
    if (!ReadPresetFile(O.StyleFile, Style)) {
      Error = "cannot use style file " + O.StyleFile + ": missing, unreadable or shorter than 804 bytes";
      return false;
    }
  } else if (O.RandomStyle) {
    MakeRandomPreset(Style);
  } else if (!StyleNames.empty()) {
    // A run starts on a random active style, with the target the same.
    LoadRandomActivePreset(StylesDir, StyleNames, Style);
  } else {
    std::memcpy(&Style, DefaultWoodStyle, sizeof Style);
  }
  TFlamePreset Target = Style;
  if (!O.MorphTo.empty() && !ReadPresetFile(O.MorphTo, Target)) {
    Error = "cannot use target style " + O.MorphTo + ": missing, unreadable or shorter than 804 bytes";
    return false;
  }
  const bool Morphing = !O.MorphTo.empty() || !StyleNames.empty();
  const int64_t ChangeFrames =
      StyleNames.empty() ? 0 : static_cast<int64_t>(O.ChangeEvery.value_or(TSettings{}.ChangingDelay)) * O.Fps;

  TPixelImage Picture;
  std::vector<uint8_t> Fitted;
  if (O.Fit) {
    // The host's path for a picture that is not the drawing's size: a JPEG
    // is fitted as it is decoded, as a background is.
    TPixelImage Area;
    if (!LoadFittedPicture(O.Picture, O.Width, O.Height, Area, Error)) {
      Error = "cannot use picture " + O.Picture + ": " + Error;
      return false;
    }
    Fitted = std::move(Area.Pixels);
  } else if (!ReadPictureFile(O.Picture, Picture, Error)) {
    Error = "cannot use picture " + O.Picture + ": " + Error;
    return false;
  } else if (Picture.Width == O.Width && Picture.Height == O.Height) {
    Fitted = std::move(Picture.Pixels);
  } else {
    Fitted = StretchNearest(Picture.Pixels.data(), Picture.Width, Picture.Height, O.Width, O.Height);
  }
  Picture = {};

  // Every output is written under a temporary name and takes its own only
  // when all of them are whole: a failed or interrupted render leaves no
  // file, new or half-written, and every older file as it was. The
  // files outlive the engine, whose screenshot thread may still write one.
  std::vector<std::unique_ptr<TPartialFile>> Files;
  auto Partial = [&Files](const std::string& Name) -> TPartialFile& {
    Files.push_back(std::make_unique<TPartialFile>(Name));
    return *Files.back();
  };
  TFlame Flame;
  Flame.FFadeOutTime = O.FadeOutMs;
  int32_t PictureHeight = O.PictureHeight;
  // The engine takes its memory before the writers take theirs, so that a
  // fire too large is told as such, whichever output was asked for.
  if (!Flame.Init(nullptr, TRect{0, 0, O.Width, O.Height}, Fitted.data(), &Style, &PictureHeight))
    throw std::bad_alloc();
  Fitted.clear();
  Fitted.shrink_to_fit();

  // Writers open before the first frame, so a path that cannot be written
  // is refused before any work is done.
  std::vector<std::unique_ptr<TAnimationWriter>> Writers;
  if (!O.Gif.empty()) {
    Writers.push_back(OpenGifWriter(O.Gif, O.Width, O.Height, O.Fps, Error));
    if (!Writers.back()) return false;
  }
  if (!O.Video.empty()) {
    Writers.push_back(OpenVideoWriter(O.Video, O.Width, O.Height, O.Fps, Error));
    if (!Writers.back()) return false;
  }
  TPartialFile* Shot = nullptr;
  if (!O.Screenshot.empty()) {
    // The temporary name has no ending of its own, so the format follows
    // the name the shot will have.
    Shot = &Partial(O.Screenshot);
    const bool Jpeg = O.Screenshot.ends_with(".jpg");
    Flame.SetScreenshotFileWriter(
        [Jpeg](const std::string& FileName, int Width, int Height, const uint8_t* Pixels, std::string& ShotError) {
          return Jpeg ? WriteJpegFile(FileName, Width, Height, Pixels, 100, true, ShotError)
                      : WriteBmpFile(FileName, Width, Height, Pixels, ShotError);
        });
  }
  const auto Stopped = [&O] { return O.Stop != nullptr && O.Stop->load(std::memory_order_relaxed) != 0; };
  const auto StoppedError = [&Error] {
    Error = "stopped before the end; no file written";
    return false;
  };

  TProgressLine Progress(O.Progress, O.Frames);
  if (O.FadeOutAfter && *O.FadeOutAfter == 0) Flame.StartFadeOut();
  for (int Frame = 1; Frame <= O.Frames; ++Frame) {
    if (Stopped()) return StoppedError();
    if (Frame == O.Frames && !O.Screenshot.empty()) Flame.RequestScreenshot(Shot->Path());
    Flame.NextFrame();
    for (auto& Writer : Writers)
      if (!Writer->AddFrame(Flame.Image().data(), &Flame.BitmapInfo().Colors[0][0], Error)) return false;
    // As in a run: the frame is drawn with the current style, then the
    // style moves toward the target, and a change of target waits its time.
    if (Morphing) MorphPreset(Style, Target);
    if (ChangeFrames > 0 && Frame % ChangeFrames == 0) LoadRandomActivePreset(StylesDir, StyleNames, Target);
    if (O.FadeOutAfter && *O.FadeOutAfter == Frame) Flame.StartFadeOut();
    Progress.Done(Frame);
  }
  if (!O.Screenshot.empty()) {
    if (O.Frames == 0) {
      Error = "--screenshot needs at least one frame";
      return false;
    }
    Flame.FlushScreenshots();
    const std::string ShotError = Flame.LastScreenshotError();
    // The writer's thread tells a failed allocation by its exception's text.
    if (ShotError == std::bad_alloc().what()) throw std::bad_alloc();
    if (!ShotError.empty()) {
      Error = "screenshot " + O.Screenshot + " not written: " + Shot->Named(ShotError);
      return false;
    }
  }

  if (!O.Out.empty()) {
    TPartialFile& Out = Partial(O.Out);
    const std::vector<uint8_t> Pixels = Flame.ImageAsPixels();
    const bool Jpeg = EndsWithNoCase(O.Out, ".jpg") || EndsWithNoCase(O.Out, ".jpeg");
    const bool Ok = Jpeg ? WriteJpegFile(Out.Path(), O.Width, O.Height, Pixels.data(), 100, true, Error)
                         : WriteBmpFile(Out.Path(), O.Width, O.Height, Pixels.data(), Error);
    if (!Ok) {
      Error = Out.Named(Error);
      return false;
    }
  }
  if (!O.Raw.empty()) {
    TPartialFile& Raw = Partial(O.Raw);
    std::vector<uint8_t> Bytes(Flame.Image());
    const auto* Table = &Flame.BitmapInfo().Colors[0][0];
    Bytes.insert(Bytes.end(), Table, Table + 256 * 4);
    if (!WriteBytes(Raw, Bytes.data(), Bytes.size(), Error)) return false;
  }
  if (!O.SaveStyle.empty() && !WriteBytes(Partial(O.SaveStyle), &Style, sizeof Style, Error)) return false;
  for (auto& Writer : Writers)
    if (!Writer->Finish(Error)) return false;
  std::vector<TPartialFile*> Named;
  // A stop that comes while the names are given lets them all be given.
  if (Stopped()) return StoppedError();
  for (auto& Writer : Writers) Named.push_back(&Writer->File());
  for (auto& File : Files) Named.push_back(File.get());
  // A name that no file can take is found before any file takes its own.
  for (TPartialFile* File : Named)
    if (!File->CanCommit(Error)) return false;
  for (TPartialFile* File : Named)
    if (!File->Commit(Error)) return false;
  return true;
}

}  // namespace

bool RunRender(const TRenderOptions& O, std::string& Error) {
  try {
    return Render(O, Error);
  } catch (const std::bad_alloc&) {
    Error = NotEnoughMemory(O.Width, O.Height);
    return false;
  }
}

std::string NotEnoughMemory(int Width, int Height) {
  return "not enough memory for a " + std::to_string(Width) + " \u00d7 " + std::to_string(Height) + " fire";
}

}  // namespace emberdell
