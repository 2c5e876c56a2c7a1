#include "x11/uX11Options.h"

#include <cerrno>
#include <cstdlib>

namespace emberdell {

namespace {

bool ParseLong(const std::string& Text, long Low, long High, long& Value) {
  if (Text.empty() || Text.size() > 18) return false;
  for (size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (!(c >= '0' && c <= '9') && !(i == 0 && c == '-')) return false;
  }
  errno = 0;
  char* End = nullptr;
  const long v = std::strtol(Text.c_str(), &End, 10);
  if (errno != 0 || End == nullptr || *End != '\0' || v < Low || v > High) return false;
  Value = v;
  return true;
}

}  // namespace

bool ParseWindowId(const std::string& Text, unsigned long& Id) {
  std::string Digits = Text;
  int Base = 10;
  if (Digits.size() > 2 && Digits[0] == '0' && (Digits[1] == 'x' || Digits[1] == 'X')) {
    Digits = Digits.substr(2);
    Base = 16;
  }
  if (Digits.empty() || Digits.size() > 10) return false;
  unsigned long long v = 0;
  for (char c : Digits) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (Base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (Base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * static_cast<unsigned>(Base) + static_cast<unsigned>(d);
  }
  if (v == 0 || v > 0xFFFFFFFFull) return false;
  Id = static_cast<unsigned long>(v);
  return true;
}

bool ParseX11Options(const std::vector<std::string>& Args, const char* EnvWindow, TX11Options& Options,
                     std::string& Error) {
  bool TargetGiven = false;
  int StyleChoices = 0;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& Arg = Args[i];
    // The daemon and its settings program write options with one dash or two.
    std::string Name = Arg;
    if (Name.rfind("--", 0) == 0) Name = Name.substr(1);
    auto Value = [&](std::string& Out) {
      if (i + 1 >= Args.size()) {
        Error = "option " + Arg + " needs a value";
        return false;
      }
      Out = Args[++i];
      return true;
    };
    auto Number = [&](long Low, long High, long& Out) {
      std::string Text;
      if (!Value(Text)) return false;
      if (!ParseLong(Text, Low, High, Out)) {
        Error = "option " + Arg + " needs a whole number from " + std::to_string(Low) + " to " +
                std::to_string(High) + ", not \"" + Text + "\"";
        return false;
      }
      return true;
    };
    auto SetTarget = [&](TX11Target Target) {
      if (TargetGiven && Options.Target != Target) {
        Error = "choose one of -root, -window and -window-id";
        return false;
      }
      TargetGiven = true;
      Options.Target = Target;
      return true;
    };

    if (Name == "-root") {
      if (!SetTarget(TX11Target::Root)) return false;
    } else if (Name == "-window") {
      if (!SetTarget(TX11Target::OwnWindow)) return false;
    } else if (Name == "-window-id") {
      std::string Text;
      if (!Value(Text)) return false;
      if (!ParseWindowId(Text, Options.WindowId)) {
        Error = "option " + Arg + " needs a window id in decimal or hex (0x...), not \"" + Text + "\"";
        return false;
      }
      if (!SetTarget(TX11Target::WindowId)) return false;
    } else if (Name == "-display") {
      if (!Value(Options.Display)) return false;
    } else if (Name == "-delay") {
      if (!Number(0, 10000000, Options.DelayMicroseconds)) return false;
    } else if (Name == "-fps") {
      Options.ShowFps = true;
    } else if (Name == "-no-fps") {
      Options.ShowFps = false;
    } else if (Name == "-shm") {
      Options.UseShm = true;
    } else if (Name == "-no-shm") {
      Options.UseShm = false;
    } else if (Name == "-background") {
      if (!Value(Options.Background)) return false;
      if (Options.Background.empty()) {
        Error = "option " + Arg + " needs a picture file";
        return false;
      }
    } else if (Name == "-style") {
      if (!Value(Options.Style)) return false;
      ++StyleChoices;
    } else if (Name == "-style-file") {
      if (!Value(Options.StyleFile)) return false;
      ++StyleChoices;
    } else if (Name == "-random-style") {
      Options.RandomStyle = true;
      ++StyleChoices;
    } else if (Name == "-change-delay") {
      if (!Number(0, 86400, Options.ChangeDelaySeconds)) return false;
    } else if (Name == "-picture-height") {
      long v = 0;
      if (!Number(50, 100, v)) return false;
      Options.PictureHeight = static_cast<int>(v);
    } else if (Name == "-help" || Name == "-h") {
      Options.Help = true;
    } else {
      Error = "unknown option \"" + Arg + "\" (try --help)";
      return false;
    }
  }
  if (StyleChoices > 1) {
    Error = "choose one of -style, -style-file and -random-style";
    return false;
  }
  if (Options.Style.empty() && Options.StyleFile.empty()) Options.RandomStyle = true;
  // The daemon starts hacks with -root and names its own window in the
  // variable: that window is the root the hack is meant to draw on.
  const bool EnvChooses = !TargetGiven || Options.Target == TX11Target::Root;
  if (EnvChooses && EnvWindow != nullptr && *EnvWindow != '\0') {
    if (!ParseWindowId(EnvWindow, Options.WindowId)) {
      Error = std::string("XSCREENSAVER_WINDOW holds no window id: \"") + EnvWindow + "\"";
      return false;
    }
    Options.Target = TX11Target::WindowId;
  }
  return true;
}

namespace {
std::string StyleKey(const std::string& Name) {
  std::string Key;
  for (char c : Name) {
    if (c >= 'A' && c <= 'Z') Key += static_cast<char>(c - 'A' + 'a');
    else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || static_cast<unsigned char>(c) >= 0x80) Key += c;
  }
  return Key;
}
}  // namespace

bool StyleNameMatches(const std::string& Wanted, const std::string& Name) {
  if (Wanted == Name) return true;
  const std::string Key = StyleKey(Wanted);
  return !Key.empty() && Key == StyleKey(Name);
}

long ResolvedChangeDelay(const TX11Options& Options) {
  if (Options.ChangeDelaySeconds >= 0) return Options.ChangeDelaySeconds;
  return Options.RandomStyle ? DefaultChangeDelaySeconds : 0;
}

std::string X11UsageText() {
  return "usage: emberdell [options]\n"
         "  -root                 burn the root window\n"
         "  -window               burn a window of its own (the default)\n"
         "  -window-id ID         burn the window ID (decimal or 0x hex); XSCREENSAVER_WINDOW does the same\n"
         "  -display NAME         the X display\n"
         "  -delay MICROSECONDS   pause between frames (default 40000: 25 frames a second)\n"
         "  -fps                  show the frame rate\n"
         "  -no-shm               draw without the shared-memory extension\n"
         "  -background FILE      burn this JPEG or BMP picture instead of the desktop\n"
         "  -style NAME           a flame style from the delivered or your own styles\n"
         "  -style-file FILE      a flame style file (.wyk)\n"
         "  -random-style         a random style (the default)\n"
         "  -change-delay SECONDS morph to another random style this often; 0 never\n"
         "                        (default 120 for a random style, 0 for a named one)\n"
         "  -picture-height PCT   height of the burning picture, 50 to 100 percent (default 100)\n";
}

}  // namespace emberdell
