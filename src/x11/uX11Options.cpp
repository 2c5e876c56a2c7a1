#include "x11/uX11Options.h"

#include <algorithm>
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

namespace {

// What the options are parsed into, with what the rules between options need.
struct TParse {
  TX11Options& Options;
  std::string& Error;
  bool TargetGiven = false;
  int StyleChoices = 0;

  bool SetTarget(TX11Target Target) {
    if (TargetGiven && Options.Target != Target) {
      Error = "choose one of -root, -window and -window-id";
      return false;
    }
    TargetGiven = true;
    Options.Target = Target;
    return true;
  }
};

struct TOptionSpec;
// Value is empty for a switch. False with Error set when the value is unusable.
using TApply = bool (*)(TParse& P, const TOptionSpec& Spec, const std::string& Arg, const std::string& Value);

// One option of the command line: its name (one dash; two are taken too), the
// value it takes, its line in the usage text, and what it does.
struct TOptionSpec {
  const char* Name;
  const char* ValueName;  // nullptr for a switch
  const char* Help;       // nullptr: accepted, but not listed in the usage
  TApply Apply;
  long Low = 0, High = 0;                         // a number's range
  long (*Default)(const TX11Options&) = nullptr;  // a number's default, shown in the usage
  const char* DefaultNote = "";                   // what the default depends on
};

bool Number(TParse& P, const TOptionSpec& Spec, const std::string& Arg, const std::string& Value, long& Out) {
  if (ParseLong(Value, Spec.Low, Spec.High, Out)) return true;
  P.Error = "option " + Arg + " needs a whole number from " + std::to_string(Spec.Low) + " to " +
            std::to_string(Spec.High) + ", not \"" + Value + "\"";
  return false;
}

// clang-format off
const TOptionSpec OptionSpecs[] = {
  {"-root", nullptr, "burn the root window",
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string&) { return P.SetTarget(TX11Target::Root); }},
  {"-window", nullptr, "burn a window of its own (the default)",
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string&) { return P.SetTarget(TX11Target::OwnWindow); }},
  {"-window-id", "ID", "burn the window ID (decimal or 0x hex); XSCREENSAVER_WINDOW does the same",
   [](TParse& P, const TOptionSpec&, const std::string& Arg, const std::string& Value) {
     if (!ParseWindowId(Value, P.Options.WindowId)) {
       P.Error = "option " + Arg + " needs a window id in decimal or hex (0x...), not \"" + Value + "\"";
       return false;
     }
     return P.SetTarget(TX11Target::WindowId);
   }},
  {"-display", "NAME", "the X display",
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string& Value) { P.Options.Display = Value; return true; }},
  {"-delay", "MICROSECONDS", "pause between frames",
   [](TParse& P, const TOptionSpec& S, const std::string& Arg, const std::string& Value) {
     return Number(P, S, Arg, Value, P.Options.DelayMicroseconds);
   }, 0, 10000000, [](const TX11Options& O) { return O.DelayMicroseconds; }},
  {"-fps", nullptr, "show the frame rate",
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string&) { P.Options.ShowFps = true; return true; }},
  {"-no-fps", nullptr, nullptr,
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string&) { P.Options.ShowFps = false; return true; }},
  {"-shm", nullptr, nullptr,
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string&) { P.Options.UseShm = true; return true; }},
  {"-no-shm", nullptr, "draw without the shared-memory extension",
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string&) { P.Options.UseShm = false; return true; }},
  {"-background", "FILE", "burn this JPEG or BMP picture instead of the desktop",
   [](TParse& P, const TOptionSpec&, const std::string& Arg, const std::string& Value) {
     if (Value.empty()) {
       P.Error = "option " + Arg + " needs a picture file";
       return false;
     }
     P.Options.Background = Value;
     return true;
   }},
  {"-style", "NAME", "a flame style from the delivered or your own styles",
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string& Value) {
     P.Options.Style = Value;
     ++P.StyleChoices;
     return true;
   }},
  {"-style-file", "FILE", "a flame style file (.wyk)",
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string& Value) {
     P.Options.StyleFile = Value;
     ++P.StyleChoices;
     return true;
   }},
  {"-random-style", nullptr, "a random style (the default)",
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string&) {
     P.Options.RandomStyle = true;
     ++P.StyleChoices;
     return true;
   }},
  {"-change-delay", "SECONDS", "morph to another random style this often, 0 never",
   [](TParse& P, const TOptionSpec& S, const std::string& Arg, const std::string& Value) {
     return Number(P, S, Arg, Value, P.Options.ChangeDelaySeconds);
   }, 0, 86400, [](const TX11Options&) { return DefaultChangeDelaySeconds; }, " for a random style, 0 for a named one"},
  {"-picture-height", "PCT", "height of the burning picture, in percent",
   [](TParse& P, const TOptionSpec& S, const std::string& Arg, const std::string& Value) {
     long Height = 0;
     if (!Number(P, S, Arg, Value, Height)) return false;
     P.Options.PictureHeight = static_cast<int>(Height);
     return true;
   }, 50, 100, [](const TX11Options& O) { return static_cast<long>(O.PictureHeight); }},
  {"-help", nullptr, "this text",
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string&) { P.Options.Help = true; return true; }},
  {"-h", nullptr, nullptr,
   [](TParse& P, const TOptionSpec&, const std::string&, const std::string&) { P.Options.Help = true; return true; }},
};
// clang-format on

const TOptionSpec* FindOption(const std::string& Name) {
  for (const TOptionSpec& Spec : OptionSpecs)
    if (Name == Spec.Name) return &Spec;
  return nullptr;
}

}  // namespace

bool ParseX11Options(const std::vector<std::string>& Args, const char* EnvWindow, TX11Options& Options,
                     std::string& Error) {
  TParse P{Options, Error};
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& Arg = Args[i];
    // The daemon and its settings program write options with one dash or two.
    const TOptionSpec* Spec = FindOption(Arg.rfind("--", 0) == 0 ? Arg.substr(1) : Arg);
    if (Spec == nullptr) {
      Error = "unknown option \"" + Arg + "\" (try --help)";
      return false;
    }
    std::string Value;
    if (Spec->ValueName != nullptr) {
      if (i + 1 >= Args.size()) {
        Error = "option " + Arg + " needs a value";
        return false;
      }
      Value = Args[++i];
    }
    if (!Spec->Apply(P, *Spec, Arg, Value)) return false;
  }
  if (P.StyleChoices > 1) {
    Error = "choose one of -style, -style-file and -random-style";
    return false;
  }
  if (Options.Style.empty() && Options.StyleFile.empty()) Options.RandomStyle = true;
  // The daemon starts hacks with -root and names its own window in the
  // variable: that window is the root the hack is meant to draw on.
  const bool EnvChooses = !P.TargetGiven || Options.Target == TX11Target::Root;
  if (EnvChooses && EnvWindow != nullptr && *EnvWindow != '\0') {
    if (!ParseWindowId(EnvWindow, Options.WindowId)) {
      Error = std::string("XSCREENSAVER_WINDOW holds no window id: \"") + EnvWindow + "\"";
      return false;
    }
    Options.Target = TX11Target::WindowId;
  }
  return true;
}

std::string X11UsageText() {
  const TX11Options Defaults;
  std::string Text = "usage: emberdell [options]\n";
  for (const TOptionSpec& Spec : OptionSpecs) {
    if (Spec.Help == nullptr) continue;
    std::string Left = std::string("  ") + Spec.Name;
    if (Spec.ValueName != nullptr) Left += std::string(" ") + Spec.ValueName;
    Left.resize(std::max<size_t>(Left.size() + 1, 24), ' ');
    std::string Help = Spec.Help;
    if (Spec.High > Spec.Low) Help += ", " + std::to_string(Spec.Low) + " to " + std::to_string(Spec.High);
    if (Spec.Default != nullptr)
      Help += " (default " + std::to_string(Spec.Default(Defaults)) + Spec.DefaultNote + ")";
    Text += Left + Help + "\n";
  }
  return Text;
}

std::vector<TX11OptionInfo> X11Options() {
  std::vector<TX11OptionInfo> List;
  for (const TOptionSpec& Spec : OptionSpecs)
    List.push_back({Spec.Name, Spec.ValueName != nullptr, Spec.Help != nullptr, Spec.Low, Spec.High,
                    Spec.Default != nullptr ? Spec.Default(TX11Options{}) : 0});
  return List;
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


}  // namespace emberdell
