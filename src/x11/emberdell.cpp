// Emberdell as an XScreenSaver hack: the fire engine drawn into the root
// window, a window the daemon hands over, or a window of its own.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/dpms.h>
#include <poll.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/engine/uCore.h"
#include "core/engine/uFitPicture.h"
#include "core/engine/uFlamePicture.h"
#include "core/engine/uFlameStep.h"
#include "core/engine/uFrameChanges.h"
#include "core/engine/uImageFiles.h"
#include "core/host/uVisibility.h"
#include "core/shared/uFileUtils.h"
#include "core/shared/uRandom.h"
#include "core/styles/uPresets.h"
#include "core/styles/uStyleFolders.h"
#include "x11/uX11Options.h"
#include "x11/uX11Pixels.h"

using namespace emberdell;

namespace {

// Set by the signal handler. The stop signals are blocked everywhere but in
// the waits, which unblock them with WaitMask as they start sleeping: one that
// came after the last look at the flag stays pending and cuts the wait short,
// instead of being handled just before a sleep that may have no end.
volatile sig_atomic_t StopRequested = 0;
void OnStopSignal(int) { StopRequested = 1; }
sigset_t StartMask;  // as the program was started; a child gets it back
sigset_t WaitMask;   // the same with the stop signals let through

void BlockStopSignals() {
  sigset_t Stop;
  sigemptyset(&Stop);
  for (int Signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&Stop, Signal);
  sigprocmask(SIG_BLOCK, &Stop, &StartMask);
  WaitMask = StartMask;
  for (int Signal : {SIGTERM, SIGINT, SIGHUP}) sigdelset(&WaitMask, Signal);
}

// Sleeps until the descriptor (if any) has something to read, the time-out
// (if any) passes or a stop signal comes.
void WaitFor(int Fd, const timespec* Timeout) {
  pollfd Poll{Fd, POLLIN, 0};
  ppoll(Fd >= 0 ? &Poll : nullptr, Fd >= 0 ? 1 : 0, Timeout, &WaitMask);
}

// Xlib reports errors through a plain function. The window we draw on may be
// destroyed by its owner at any moment; that ends the run quietly.
bool WindowGone = false;
bool ShmFailed = false;
bool AttachingShm = false;
int OnXError(Display*, XErrorEvent* Event) {
  if (AttachingShm) {
    ShmFailed = true;
    return 0;
  }
  if (Event->error_code == BadWindow || Event->error_code == BadDrawable) WindowGone = true;
  return 0;
}

int Fail(const std::string& Text) {
  std::fprintf(stderr, "emberdell: %s\n", Text.c_str());
  return 1;
}

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::string Dirname(const std::string& Path) {
  const size_t Slash = Path.find_last_of('/');
  return Slash == std::string::npos ? "." : Path.substr(0, Slash);
}

// The styles and the fallback picture live in share/emberdell beside the
// installed program (libexec/xscreensaver/emberdell) or the built one.
std::string DataFolder() {
  if (const char* Env = std::getenv("EMBERDELL_DATA_DIR"); Env != nullptr && *Env != '\0') return Env;
  char Buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", Buffer, sizeof Buffer - 1);
  if (n <= 0) return EMBERDELL_DATA_DIR;
  Buffer[n] = '\0';
  const std::string Dir = Dirname(Buffer);
  for (const std::string& Candidate : {Dir + "/" EMBERDELL_DATA_RELATIVE, Dir + "/../share/emberdell"})
    if (IsFolder(Candidate + "/Flame Presets")) return Candidate;
  return EMBERDELL_DATA_DIR;
}

std::string UserPresetFolder() {
  std::string Base;
  if (const char* Xdg = std::getenv("XDG_CONFIG_HOME"); Xdg != nullptr && *Xdg == '/')
    Base = Xdg;
  else if (const char* Home = std::getenv("HOME"); Home != nullptr && *Home != '\0')
    Base = std::string(Home) + "/.config";
  else
    return "";
  return Base + "/emberdell/Flame Presets/";
}

// xscreensaver-getimage on the hack's path, or where Debian keeps the hacks.
std::string FindGetImage() {
  std::string Path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  Path += ":/usr/libexec/xscreensaver";
  size_t Start = 0;
  while (Start <= Path.size()) {
    size_t End = Path.find(':', Start);
    if (End == std::string::npos) End = Path.size();
    const std::string Dir = Path.substr(Start, End - Start);
    if (!Dir.empty()) {
      const std::string Candidate = Dir + "/xscreensaver-getimage";
      if (access(Candidate.c_str(), X_OK) == 0) return Candidate;
    }
    Start = End + 1;
  }
  return "";
}

class TX11Host : public IFlameCanvas {
 public:
  explicit TX11Host(const TX11Options& Options) : FOptions(Options) {}
  ~TX11Host() override;
  int Run();

  void DrawFrame(const TBitmapInfo8& Info, const uint8_t* Bits, const TChangedBlocks& Changed) override;

 private:
  bool OpenWindow(std::string& Error);
  bool ChooseStyle(std::string& Error);
  bool LoadSource(std::string& Error);
  bool GrabWithGetImage(TPixelImage& Out);
  void GrabRoot(TPixelImage& Out);
  bool ReadDrawable(Drawable Source, int X, int Y, int W, int H, TPixelImage& Out);
  bool CreateImage();
  void DestroyImage();
  void StartEngine();
  void PutImage();
  void PutRect(const TRect& R);
  void DrawFps();
  bool HandleEvents();
  // Asks the server whether the monitor sleeps, about once a second.
  void LookAtMonitor(double Now);

  TX11Options FOptions;
  Display* FDisplay = nullptr;
  Window FWindow = 0;
  bool FOwnWindow = false;
  Atom FDeleteWindow = 0;
  Visual* FVisual = nullptr;
  int FDepth = 0;
  TPixelFormat FFormat;
  GC FGc = nullptr;
  int FWidth = 0, FHeight = 0;

  XImage* FImage = nullptr;
  XShmSegmentInfo FShm{};
  bool FUsingShm = false;
  bool FHaveFrame = false;

  TStyleFolders FFolders;
  std::vector<std::string> FStyleNames;
  TFlamePreset FCurrent{};
  TFlamePreset FTarget{};
  int32_t FPictureHeight = 100;
  TPixelImage FSource;  // the picture before fitting; kept for a new size
  bool FSourceIsDesktop = false;
  // A picture file is never held whole: it is fitted as it is decoded, and
  // read again for a new size. FFitted is it fitted to FWidth x FHeight.
  bool FSourceIsFile = false;
  TPixelImage FFitted;
  std::unique_ptr<TFlame> FFlame;
  TFrameChanges FChanges;  // what the image shows, and what the next frame changes

  // Nobody sees an unmapped or covered window or a sleeping monitor: then
  // no frame is made or sent.
  TVisibility FSight;
  bool FHaveDpms = false;
  double FNextDpmsLook = 0;

  int FFrames = 0;
  double FFpsStart = 0;
  std::string FFpsText;
};

TX11Host::~TX11Host() {
  FFlame.reset();
  DestroyImage();
  if (FDisplay != nullptr) {
    if (FGc != nullptr) XFreeGC(FDisplay, FGc);
    if (FOwnWindow && !WindowGone) XDestroyWindow(FDisplay, FWindow);
    XCloseDisplay(FDisplay);
  }
}

bool TX11Host::OpenWindow(std::string& Error) {
  FDisplay = XOpenDisplay(FOptions.Display.empty() ? nullptr : FOptions.Display.c_str());
  if (FDisplay == nullptr) {
    const char* Name = FOptions.Display.empty() ? std::getenv("DISPLAY") : FOptions.Display.c_str();
    Error = std::string("cannot open the X display \"") + (Name != nullptr ? Name : "") + "\"";
    return false;
  }
  XSetErrorHandler(OnXError);
  const int Screen = DefaultScreen(FDisplay);
  // Structure events tell of a new size and of the window's end; a window
  // someone else owns allows this as well as our own does. They are asked
  // for before the window's state is read, so that no change between the
  // two goes unseen.
  const long Events = StructureNotifyMask | ExposureMask | VisibilityChangeMask;
  switch (FOptions.Target) {
    case TX11Target::Root:
      FWindow = RootWindow(FDisplay, Screen);
      XSelectInput(FDisplay, FWindow, Events);
      break;
    case TX11Target::WindowId:
      FWindow = static_cast<Window>(FOptions.WindowId);
      XSelectInput(FDisplay, FWindow, Events);
      break;
    case TX11Target::OwnWindow: {
      FWindow = XCreateSimpleWindow(FDisplay, RootWindow(FDisplay, Screen), 0, 0, 800, 600, 0,
                                    BlackPixel(FDisplay, Screen), BlackPixel(FDisplay, Screen));
      FOwnWindow = true;
      XStoreName(FDisplay, FWindow, "Emberdell");
      FDeleteWindow = XInternAtom(FDisplay, "WM_DELETE_WINDOW", False);
      XSetWMProtocols(FDisplay, FWindow, &FDeleteWindow, 1);
      XSelectInput(FDisplay, FWindow, Events);
      XMapRaised(FDisplay, FWindow);
      break;
    }
  }
  XWindowAttributes Attributes{};
  if (!XGetWindowAttributes(FDisplay, FWindow, &Attributes) || WindowGone) {
    Error = "there is no window " + std::to_string(FWindow) + " on the display";
    return false;
  }
  FVisual = Attributes.visual;
  FDepth = Attributes.depth;
  FWidth = Attributes.width;
  FHeight = Attributes.height;
  if (FVisual->c_class != TrueColor || (FDepth != 24 && FDepth != 32)) {
    Error = "the window needs a TrueColor visual of depth 24 or 32 (it has depth " + std::to_string(FDepth) + ")";
    return false;
  }
  FFormat.RedMask = static_cast<uint32_t>(FVisual->red_mask);
  FFormat.GreenMask = static_cast<uint32_t>(FVisual->green_mask);
  FFormat.BlueMask = static_cast<uint32_t>(FVisual->blue_mask);
  FFormat.Opaque = FDepth == 32 ? ~(FFormat.RedMask | FFormat.GreenMask | FFormat.BlueMask) : 0;
  // A mapped window inside an unmapped one is unviewable: unseen until a
  // VisibilityNotify says otherwise (it gets no MapNotify when its parent maps).
  FSight.Mapped(Attributes.map_state == IsViewable);
  int DpmsEvent = 0, DpmsError = 0;
  FHaveDpms = DPMSQueryExtension(FDisplay, &DpmsEvent, &DpmsError) && DPMSCapable(FDisplay);
  FGc = XCreateGC(FDisplay, FWindow, 0, nullptr);
  XSetForeground(FDisplay, FGc, WhitePixel(FDisplay, Screen));
  XSync(FDisplay, False);
  if (WindowGone) {
    Error = "there is no window " + std::to_string(FWindow) + " on the display";
    return false;
  }
  return true;
}

bool TX11Host::ChooseStyle(std::string& Error) {
  const std::string Data = DataFolder();
  FFolders.Program = Data + "/Flame Presets/";
  FFolders.PerUser = UserPresetFolder();
  FStyleNames = GetPresetNames(FFolders);
  if (!FOptions.StyleFile.empty()) {
    if (!ReadPresetFile(FOptions.StyleFile, FCurrent)) {
      Error = "cannot read the style file \"" + FOptions.StyleFile + "\" (missing, unreadable or shorter than 804 bytes)";
      return false;
    }
  } else if (!FOptions.Style.empty()) {
    std::string Found;
    // An exact name wins over a loose match.
    for (const std::string& Name : FStyleNames)
      if (Found.empty() ? StyleNameMatches(FOptions.Style, Name) : Name == FOptions.Style) Found = Name;
    if (Found.empty()) {
      std::string List;
      for (const std::string& Name : FStyleNames) List += (List.empty() ? "" : ", ") + Name;
      Error = "there is no style called \"" + FOptions.Style + "\" (styles: " + (List.empty() ? "none found" : List) + ")";
      return false;
    }
    LoadPreset(FFolders, Found, FCurrent);
  } else {
    LoadRandomActivePreset(FFolders, FStyleNames, FCurrent);
  }
  FTarget = FCurrent;
  return true;
}

bool TX11Host::ReadDrawable(Drawable Source, int X, int Y, int W, int H, TPixelImage& Out) {
  XImage* Image = XGetImage(FDisplay, Source, X, Y, static_cast<unsigned>(W), static_cast<unsigned>(H), AllPlanes,
                            ZPixmap);
  if (Image == nullptr) return false;
  Out.Width = W;
  Out.Height = H;
  Out.Pixels.assign(static_cast<size_t>(W) * H * 4, 0);
  std::vector<uint32_t> Row(static_cast<size_t>(W));
  for (int y = 0; y < H; ++y) {
    if (Image->bits_per_pixel == 32 && Image->byte_order == LSBFirst) {
      std::memcpy(Row.data(), Image->data + static_cast<size_t>(y) * Image->bytes_per_line, Row.size() * 4);
    } else {
      for (int x = 0; x < W; ++x) Row[x] = static_cast<uint32_t>(XGetPixel(Image, x, y));
    }
    PixelsToBgrx(Row.data(), Row.size(), FFormat, &Out.Pixels[static_cast<size_t>(y) * W * 4]);
  }
  XDestroyImage(Image);
  return true;
}

// As image-using hacks do: the loader paints the desktop (or whatever the
// user's settings allow) onto a pixmap of the window's size.
bool TX11Host::GrabWithGetImage(TPixelImage& Out) {
  const std::string GetImage = FindGetImage();
  if (GetImage.empty()) return false;
  const Pixmap Target = XCreatePixmap(FDisplay, FWindow, static_cast<unsigned>(FWidth),
                                      static_cast<unsigned>(FHeight), static_cast<unsigned>(FDepth));
  XSync(FDisplay, False);
  const std::string WindowText = std::to_string(FWindow);
  const std::string PixmapText = std::to_string(Target);
  const std::string DisplayText = DisplayString(FDisplay);
  bool Ok = false;
  const pid_t Child = fork();
  if (Child == 0) {
    sigprocmask(SIG_SETMASK, &StartMask, nullptr);
    execl(GetImage.c_str(), "xscreensaver-getimage", "-display", DisplayText.c_str(), WindowText.c_str(),
          PixmapText.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (Child > 0) {
    // A loader that hangs must not keep the screen dark for long.
    const double Deadline = Now() + 15;
    int ExitStatus = 0;
    pid_t Done = 0;
    const timespec Look{0, 20000000};
    while ((Done = waitpid(Child, &ExitStatus, WNOHANG)) == 0 && Now() < Deadline && !StopRequested)
      WaitFor(-1, &Look);
    if (Done == 0) {
      kill(Child, SIGKILL);
      waitpid(Child, &ExitStatus, 0);
    } else if (Done == Child && WIFEXITED(ExitStatus) && WEXITSTATUS(ExitStatus) == 0) {
      Ok = ReadDrawable(Target, 0, 0, FWidth, FHeight, Out);
    }
  }
  XFreePixmap(FDisplay, Target);
  XSync(FDisplay, False);
  return Ok;
}

void TX11Host::GrabRoot(TPixelImage& Out) {
  const Window Root = DefaultRootWindow(FDisplay);
  XWindowAttributes Attributes{};
  XGetWindowAttributes(FDisplay, Root, &Attributes);
  if (!ReadDrawable(Root, 0, 0, Attributes.width, Attributes.height, Out)) Out = TPixelImage{};
}

bool TX11Host::LoadSource(std::string& Error) {
  bool HasEdges = false;
  if (!FOptions.Background.empty()) {
    if (!LoadFittedPicture(FOptions.Background, FWidth, FHeight, FFitted, Error)) {
      Error = "cannot use the picture \"" + FOptions.Background + "\": " + Error;
      return false;
    }
    FSourceIsFile = true;
    // What burns is the fitted picture, so its outlines are the ones asked about.
    HasEdges = PictureHasEdges(FFitted.Pixels.data(), FFitted.Width, FFitted.Height);
  } else {
    if (!GrabWithGetImage(FSource)) GrabRoot(FSource);
    FSourceIsDesktop = true;
    HasEdges = FSource.Width > 0 && PictureHasEdges(FSource.Pixels.data(), FSource.Width, FSource.Height);
  }
  // A flat picture gives no sparks: burn the picture that comes with the
  // program instead, so there is always fire to see.
  if (!HasEdges) {
    FSourceIsFile = false;
    FFitted = TPixelImage{};
    const std::string Fallback = DataFolder() + "/emberdell-fallback.bmp";
    std::string FallbackError;
    if (!ReadPictureFile(Fallback, FSource, FallbackError)) FSource = TPixelImage{};
    FSourceIsDesktop = false;
  }
  return true;
}

bool TX11Host::CreateImage() {
  DestroyImage();
  if (FWidth <= 0 || FHeight <= 0) return true;
  if (FOptions.UseShm && XShmQueryExtension(FDisplay)) {
    FImage = XShmCreateImage(FDisplay, FVisual, static_cast<unsigned>(FDepth), ZPixmap, nullptr, &FShm,
                             static_cast<unsigned>(FWidth), static_cast<unsigned>(FHeight));
    if (FImage != nullptr) {
      FShm.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(FImage->bytes_per_line) * FImage->height, IPC_CREAT | 0600);
      if (FShm.shmid >= 0) {
        FShm.shmaddr = FImage->data = static_cast<char*>(shmat(FShm.shmid, nullptr, 0));
        FShm.readOnly = False;
        ShmFailed = false;
        AttachingShm = true;
        const bool Attached = FShm.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(FDisplay, &FShm);
        XSync(FDisplay, False);
        AttachingShm = false;
        // Marked for removal at once: the segment goes when both sides let go.
        shmctl(FShm.shmid, IPC_RMID, nullptr);
        if (Attached && !ShmFailed) {
          FUsingShm = true;
          return true;
        }
        if (FShm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(FShm.shmaddr);
      }
      FImage->data = nullptr;
      XDestroyImage(FImage);
      FImage = nullptr;
    }
  }
  // A remote server, or none with the extension: the pixels travel with each frame.
  FImage = XCreateImage(FDisplay, FVisual, static_cast<unsigned>(FDepth), ZPixmap, 0, nullptr,
                        static_cast<unsigned>(FWidth), static_cast<unsigned>(FHeight), 32, 0);
  if (FImage == nullptr) return false;
  FImage->data = static_cast<char*>(std::calloc(static_cast<size_t>(FImage->bytes_per_line), FImage->height));
  if (FImage->data == nullptr) {
    XDestroyImage(FImage);
    FImage = nullptr;
    return false;
  }
  return true;
}

void TX11Host::DestroyImage() {
  if (FImage == nullptr) return;
  if (FUsingShm) {
    XShmDetach(FDisplay, &FShm);
    XSync(FDisplay, False);
    shmdt(FShm.shmaddr);
    FImage->data = nullptr;
    FUsingShm = false;
  }
  XDestroyImage(FImage);  // frees the plain image's pixels too
  FImage = nullptr;
  FHaveFrame = false;
  FChanges.Forget();
}

// A new size starts the fire again, on the picture fitted afresh.
void TX11Host::StartEngine() {
  FFlame = std::make_unique<TFlame>();
  TPixelImage Fitted;
  const uint8_t* Picture = nullptr;
  if (FSourceIsFile && FWidth > 0 && FHeight > 0) {
    std::string Error;
    // Read again for a new size; a file gone since burns over black.
    if (FFitted.Width == FWidth && FFitted.Height == FHeight) {
      Picture = FFitted.Pixels.data();
    } else if (LoadFittedPicture(FOptions.Background, FWidth, FHeight, FFitted, Error)) {
      Picture = FFitted.Pixels.data();
    }
  } else if (FSource.Width > 0 && FWidth > 0 && FHeight > 0) {
    if (FSourceIsDesktop && FSource.Width == FWidth && FSource.Height == FHeight) {
      Picture = FSource.Pixels.data();
    } else if (FitPictureToArea(FSource, FWidth, FHeight, Fitted)) {
      Picture = Fitted.Pixels.data();
    }
  }
  FFlame->Init(this, TRect{0, 0, FWidth, FHeight}, Picture, &FCurrent, &FPictureHeight);
}

void TX11Host::DrawFrame(const TBitmapInfo8& Info, const uint8_t* Bits, const TChangedBlocks& Changed) {
  if (FImage == nullptr) {
    FChanges.Forget();
    return;
  }
  uint32_t Table[256];
  MakePixelTable(Info, FFormat, Table);
  // While the style morphs every pixel may change colour; once it is still,
  // only what the heat changed is written and sent.
  const std::vector<TRect>& Rects =
      FChanges.Update(Bits, DibStride(FWidth), FWidth, FHeight, Table, reinterpret_cast<uint8_t*>(FImage->data),
                      static_cast<size_t>(FImage->bytes_per_line), Changed);
  FHaveFrame = true;
  for (const TRect& R : Rects) PutRect(R);
  if (FOptions.ShowFps) DrawFps();
  // The next frame writes into the same shared pixels: the server must be done with them.
  XSync(FDisplay, False);
}

void TX11Host::PutRect(const TRect& R) {
  const unsigned W = static_cast<unsigned>(R.Right - R.Left), H = static_cast<unsigned>(R.Bottom - R.Top);
  if (FUsingShm)
    XShmPutImage(FDisplay, FWindow, FGc, FImage, R.Left, R.Top, R.Left, R.Top, W, H, False);
  else
    XPutImage(FDisplay, FWindow, FGc, FImage, R.Left, R.Top, R.Left, R.Top, W, H);
}

void TX11Host::PutImage() {
  if (FImage == nullptr || !FHaveFrame) return;
  PutRect(TRect{0, 0, FWidth, FHeight});
  if (FOptions.ShowFps) DrawFps();
  XSync(FDisplay, False);
}

void TX11Host::DrawFps() {
  if (!FFpsText.empty())
    XDrawImageString(FDisplay, FWindow, FGc, 10, 20, FFpsText.c_str(), static_cast<int>(FFpsText.size()));
}

bool TX11Host::HandleEvents() {
  bool Redraw = false;
  while (XPending(FDisplay) > 0) {
    XEvent Event;
    XNextEvent(FDisplay, &Event);
    switch (Event.type) {
      case DestroyNotify:
        if (Event.xdestroywindow.window == FWindow) WindowGone = true;
        break;
      case ConfigureNotify:
        if (Event.xconfigure.window == FWindow &&
            (Event.xconfigure.width != FWidth || Event.xconfigure.height != FHeight)) {
          FWidth = Event.xconfigure.width;
          FHeight = Event.xconfigure.height;
          CreateImage();
          StartEngine();
        }
        break;
      case Expose:
        Redraw = true;
        break;
      case MapNotify:
        if (Event.xmap.window == FWindow) FSight.Mapped(true);
        break;
      case UnmapNotify:
        if (Event.xunmap.window == FWindow) FSight.Mapped(false);
        break;
      case VisibilityNotify:
        if (Event.xvisibility.window == FWindow) FSight.VisibilityState(Event.xvisibility.state);
        break;
      case ClientMessage:
        if (FOwnWindow && static_cast<Atom>(Event.xclient.data.l[0]) == FDeleteWindow) StopRequested = 1;
        break;
      default:
        break;
    }
  }
  if (Redraw && !WindowGone) PutImage();
  return !WindowGone && !StopRequested;
}

void TX11Host::LookAtMonitor(double Now) {
  if (!FHaveDpms || Now < FNextDpmsLook) return;
  FNextDpmsLook = Now + 1.0;
  CARD16 Level = DPMSModeOn;
  BOOL Enabled = False;
  // With power saving switched off the monitor never sleeps, whatever the level says.
  if (DPMSInfo(FDisplay, &Level, &Enabled) && Enabled)
    FSight.MonitorPower(Level);
  else
    FSight.MonitorPower(DPMSModeOn);
}

int TX11Host::Run() {
  std::string Error;
  if (!ChooseStyle(Error)) return Fail(Error);
  if (!OpenWindow(Error)) return Fail(Error);
  if (!LoadSource(Error)) return Fail(Error);
  FPictureHeight = FOptions.PictureHeight;
  if (!CreateImage()) return Fail("cannot make an image of " + std::to_string(FWidth) + " x " + std::to_string(FHeight));
  StartEngine();

  const long ChangeDelay = ResolvedChangeDelay(FOptions);
  const double Period = static_cast<double>(FOptions.DelayMicroseconds) / 1e6;
  double NextFrame = Now();
  double NextChange = ChangeDelay > 0 ? NextFrame + static_cast<double>(ChangeDelay) : 0;
  FFpsStart = NextFrame;
  const int Connection = ConnectionNumber(FDisplay);
  bool WasSeen = true;
  while (HandleEvents()) {
    const double Start = Now();
    LookAtMonitor(Start);
    if (!FSight.Seen()) {
      // Only an event or the next look at the monitor can change that.
      WasSeen = false;
      // An event a reply brought along already waits in the queue, not on the
      // connection: polling would sleep through it.
      if (XEventsQueued(FDisplay, QueuedAfterFlush) > 0) continue;
      const double Wait = FHaveDpms ? std::max(FNextDpmsLook - Start, 0.0) : -1;
      const timespec Timeout{static_cast<time_t>(Wait), static_cast<long>((Wait - std::floor(Wait)) * 1e9)};
      WaitFor(Connection, Wait >= 0 ? &Timeout : nullptr);
      continue;
    }
    if (!WasSeen) {
      // Back in sight: the next frame now, sent whole; the frames not drawn
      // meanwhile are not made up.
      WasSeen = true;
      FChanges.Forget();
      NextFrame = Start;
    }
    if (Start >= NextFrame) {
      FFlame->NextFrame();
      MorphPreset(FCurrent, FTarget);
      ++FFrames;
      if (Start - FFpsStart >= 1.0) {
        char Text[64];
        std::snprintf(Text, sizeof Text, "FPS: %.1f", FFrames / (Start - FFpsStart));
        FFpsText = Text;
        FFrames = 0;
        FFpsStart = Start;
      }
      if (NextChange > 0 && Start >= NextChange) {
        LoadRandomActivePreset(FFolders, FStyleNames, FTarget);
        NextChange = Start + static_cast<double>(ChangeDelay);
      }
      NextFrame += Period;
      // After a stall the pace starts again from now rather than racing to catch up.
      if (NextFrame < Start) NextFrame = Start + Period;
      continue;
    }
    // Sleep to the next frame, woken early by the server or a signal.
    if (XEventsQueued(FDisplay, QueuedAfterFlush) > 0) continue;
    const double Wait = NextFrame - Start;
    timespec Timeout{static_cast<time_t>(Wait), static_cast<long>((Wait - static_cast<double>(static_cast<time_t>(Wait))) * 1e9)};
    WaitFor(Connection, &Timeout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> Args(argv + 1, argv + argc);
  TX11Options Options;
  std::string Error;
  if (!ParseX11Options(Args, std::getenv("XSCREENSAVER_WINDOW"), Options, Error)) return Fail(Error);
  if (Options.Help) {
    std::fputs(X11UsageText().c_str(), stdout);
    return 0;
  }
  BlockStopSignals();
  struct sigaction Action{};
  Action.sa_handler = OnStopSignal;
  sigemptyset(&Action.sa_mask);
  sigaction(SIGTERM, &Action, nullptr);
  sigaction(SIGINT, &Action, nullptr);
  sigaction(SIGHUP, &Action, nullptr);
  Randomize(static_cast<uint32_t>(time(nullptr)) ^ static_cast<uint32_t>(getpid()));
  TX11Host Host(Options);
  return Host.Run();
}
