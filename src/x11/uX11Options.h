// The command line of the X11 hack, parsed without touching the display so
// the rules can be tested on their own. Options follow the screensaver
// daemon's habits: one or two leading dashes, values as the next argument.
#pragma once

#include <string>
#include <vector>

namespace emberdell {

enum class TX11Target {
  OwnWindow,  // a window of our own (-window, or nothing said)
  Root,       // the root window (-root)
  WindowId,   // a window someone else made (-window-id or XSCREENSAVER_WINDOW)
};

struct TX11Options {
  TX11Target Target = TX11Target::OwnWindow;
  unsigned long WindowId = 0;
  std::string Display;                 // -display; empty: $DISPLAY
  long DelayMicroseconds = 40000;      // pause between frames: 25 frames a second
  bool ShowFps = false;
  bool UseShm = true;                  // -no-shm: plain XPutImage even where shared memory works
  std::string Background;              // -background FILE; empty: the desktop
  std::string Style;                   // -style NAME
  std::string StyleFile;               // -style-file FILE
  bool RandomStyle = false;            // -random-style, also what happens with no style named
  // Seconds between style changes; -1 until given, then resolved by
  // ResolvedChangeDelay: a named style stays, a random one changes.
  long ChangeDelaySeconds = -1;
  int PictureHeight = 100;             // percent of the window's height that burns
  bool Help = false;
};

// The default change delay of a random style, as the Windows run's setting.
inline constexpr long DefaultChangeDelaySeconds = 120;

// A window id in decimal or, with 0x, hexadecimal; false for anything else,
// zero and values past 32 bits included (X ids have 29 bits).
bool ParseWindowId(const std::string& Text, unsigned long& Id);

// Fills Options from Args (without the program name). EnvWindow is the value
// of XSCREENSAVER_WINDOW or null; it chooses the window unless -window or
// -window-id says otherwise (with -root it stands for the root, as the
// daemon means it). False with a one-line Error (no
// program name, no newline) for an unknown option, a missing or bad value,
// or options that contradict each other.
bool ParseX11Options(const std::vector<std::string>& Args, const char* EnvWindow, TX11Options& Options,
                     std::string& Error);

// Seconds between style changes once parsing is done; 0 is never.
long ResolvedChangeDelay(const TX11Options& Options);

// True when Wanted names the style Name: letters and digits compared without
// regard to case, everything else skipped, so "gas-flame" finds "Gas Flame"
// and "default-wood" finds "(Default) Wood" without quoting on a command line.
bool StyleNameMatches(const std::string& Wanted, const std::string& Name);

// The --help text, made from the table of options.
std::string X11UsageText();

// What the table says of each option, for the checks of the settings
// description and the manual page against it.
struct TX11OptionInfo {
  std::string Name;      // "-delay"
  bool TakesValue;
  bool Listed;           // in the usage text
  long Low, High;        // a number's range; both 0 for anything else
  long Default;          // a number's default; 0 for anything else
};
std::vector<TX11OptionInfo> X11Options();

}  // namespace emberdell
