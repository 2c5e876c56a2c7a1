#include "win32/host/ufmMain.h"

#include <shlobj.h>

#include <cstring>

#include "core/engine/uBackgrounds.h"
#include "core/host/uGlobals.h"
#include "core/shared/uGuard.h"
#include "core/shared/uRandom.h"
#include "core/host/uScreenshotNames.h"
#include "win32/engine/uBackgroundPicture.h"
#include "win32/host/uGetSpecialPath.h"
#include "win32/host/uReduceMemory.h"
#include "win32/host/uRunOnce.h"
#include "win32/host/uUnexpected.h"
#include "win32/host/uWinText.h"
#include "win32/host/ufmPreview.h"
#include "win32/settings/ufmSettings.h"

namespace emberdell {

// The exit rules name the system's message numbers and keys themselves; they
// must be the numbers the message loop hands them.
static_assert(WinMsg::Activate == WM_ACTIVATE && WinMsg::ActivateApp == WM_ACTIVATEAPP &&
              WinMsg::NcActivate == WM_NCACTIVATE);
static_assert(WinMsg::KeyDown == WM_KEYDOWN && WinMsg::KeyUp == WM_KEYUP && WinMsg::SysKeyDown == WM_SYSKEYDOWN &&
              WinMsg::SysKeyUp == WM_SYSKEYUP);
static_assert(WinMsg::MouseMove == WM_MOUSEMOVE && WinMsg::LButtonDown == WM_LBUTTONDOWN &&
              WinMsg::RButtonDown == WM_RBUTTONDOWN && WinMsg::MButtonDown == WM_MBUTTONDOWN);
static_assert(ScreenshotKey == 'F');

namespace {

constexpr UINT_PTR tmChangePreset = 1;
// Both previews burn the whole area, whatever "Picture Height" says.
const int32_t PreviewPictureHeight = 100;
constexpr UINT_PTR tmExit = 2;

BOOL CALLBACK CollectMonitor(HMONITOR Monitor, HDC, LPRECT, LPARAM Data) {
  MONITORINFO Info{};
  Info.cbSize = sizeof Info;
  // Out of memory, the monitors found so far will do.
  if (!GetMonitorInfoW(Monitor, &Info)) return TRUE;
  return RunGuarded([&] { reinterpret_cast<std::vector<RECT>*>(Data)->push_back(Info.rcMonitor); }) ? TRUE : FALSE;
}

// The monitors in the system's enumeration order.
std::vector<RECT> MonitorBounds() {
  std::vector<RECT> Bounds;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&Bounds));
  if (Bounds.empty()) Bounds.push_back(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  return Bounds;
}

// The system keeps a display counter for the cursor.
void ShowMouseCursor(bool Show) {
  if (Show) {
    for (int i = 0; i < 100 && ShowCursor(TRUE) < 0; ++i) {
    }
  } else {
    for (int i = 0; i < 100 && ShowCursor(FALSE) >= 0; ++i) {
    }
  }
}

// Frames stop, and a frame in progress is waited for, while the engines'
// targets change; frames that ran before run again afterwards, whatever
// happens in between.
class TFramesPaused {
 public:
  TFramesPaused(TTimerThread* Thread, bool ResumeAlways)
      : FThread(Thread), FResume(Thread != nullptr && (ResumeAlways || Thread->Enabled())) {
    if (FThread != nullptr) FThread->Pause();
  }
  ~TFramesPaused() {
    if (FResume) FThread->Resume();
  }
  TFramesPaused(const TFramesPaused&) = delete;
  TFramesPaused& operator=(const TFramesPaused&) = delete;

 private:
  TTimerThread* FThread;
  bool FResume;
};

// The hourglass while the main thread is busy; the cursor before comes back.
class THourglass {
 public:
  THourglass() : FPrevious(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~THourglass() { SetCursor(FPrevious); }
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;

 private:
  HCURSOR FPrevious;
};

}  // namespace

TfmMain::TfmMain(HINSTANCE Instance, TWorkingMode Mode, HWND ParentWindow)
    : FInstance(Instance), FMode(Mode), FParentWindow(ParentWindow) {}

TfmMain::~TfmMain() {
  // Also reached while an exception unwinds: the threads must stop whatever
  // the close itself runs into.
  RunGuarded([&] {
    if (!FClosed) FormClose();
  }, ReportUnexpected);
  RunGuarded([&] { FormDestroy(); }, ReportUnexpected);
}

int TfmMain::Run() {
  if (!FormCreate()) return 1;
  FormShow();
  MSG Message;
  while (!FClosed && GetMessageW(&Message, nullptr, 0, 0) > 0) {
    // The hook sees every message before it is dispatched and never
    // swallows one.
    if (FHookInstalled)
      RunGuarded([&] { AppMessage(Message.message, Message.wParam, Message.lParam); }, ReportUnexpected);
    TranslateMessage(&Message);
    DispatchMessageW(&Message);
  }
  return 0;
}

bool TfmMain::FormCreate() {
  const auto Icon = static_cast<HICON>(LoadImageW(FInstance, L"MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  if (!RegisterClass(FInstance, kMainFormClass, nullptr, nullptr, 0, Icon) || !TfmFirstMonitor::Register(FInstance) ||
      !TfmSecondMonitor::Register(FInstance))
    return false;
  // A 0 x 0 tool window: never on the taskbar or in the task switcher.
  if (CreateHandle(WS_EX_TOOLWINDOW, kMainFormClass, kWindowCaption, WS_POPUP, 0, 0, 0, 0, nullptr, FInstance) ==
      nullptr)
    return false;
  FSight = std::make_unique<TSightWatcher>(FHandle);

  FSharedIni = std::make_unique<TIniProfileStore>(SharedIniPath(GetWindowsDir()));
  const std::string AppData = GetAppDataPath();
  if (!AppData.empty()) FPerUserIni = std::make_unique<TIniProfileStore>(PerUserIniPath(AppData), true);
  FSettingsFiles = std::make_unique<TSettingsFiles>(*FSharedIni, FPerUserIni.get(), &FSettingsLock);
  {
    TRegistrySource Registry;
    const TStoreResult Moved = MigrateRegistrySettings(Settings, Registry, *FSettingsFiles);
    // A failed write is told only outside a run: in the settings mode.
    if (!Moved && FMode == wmSettings)
      MessageBoxW(nullptr, ToWide(Moved.Message).c_str(), kWindowCaption, MB_OK | MB_ICONERROR | MB_TASKMODAL);
  }
  LoadSettings(Settings, *FSettingsFiles);
  FStoredShotNumber = Settings.LastScreenshotNumber;
  FPictureHeight = PictureHeightForRun(Settings.PictureHeight);

  FTimerThread = std::make_unique<TTimerThread>([this] { FrameTimer(); }, FClock);
  FTimerThread->SetSeen(FSight->Seen());
  FRunSound = std::make_unique<TRunSound>(FMode, Settings, FInstance, FHandle, FClock);
  return true;
}

void TfmMain::FormShow() {
  FTimerThread->SetInterval(FrameInterval(Settings.FPS));
  Randomize(GetTickCount());
  TFlamePreset First{};
  LoadRandomActivePreset(PresetFolders(), Settings.ActivePresets, First);
  {
    std::lock_guard<std::mutex> Guard(PresetLock);
    CurrentPreset = First;
    TargetPreset = First;
  }
  switch (FMode) {
    case wmFullScreen:
      ShowFullScreen();
      break;
    case wmPreview:
      ShowPreview();
      break;
    case wmSettings:
      ShowSettings();
      break;
    default:
      Close();
      break;
  }
}

void TfmMain::ShowSettings() {
  // The settings window reaches the main form only through what it needs.
  struct THost : ISettingsWindowHost {
    TfmMain& Main;
    explicit THost(TfmMain& M) : Main(M) {}
    void RestartPreview(HWND Window) override { Main.RestartPreview(Window); }
    std::string& CurrentBackground() override { return Main.CurrentBackground(); }
    TStoreResult SaveAllSettings() override { return SaveSettings(Settings, *Main.FSettingsFiles); }
    void SetFrameInterval(uint32_t Ms) override { Main.FTimerThread->SetInterval(Ms); }
    TBackgroundSound* FireSound() override { return Main.FRunSound ? Main.FRunSound->FireSound() : nullptr; }
    TBackgroundChimes* Chimes() override { return Main.FRunSound ? Main.FRunSound->Chimes() : nullptr; }
  } Host(*this);
  TfmPreview Preview(FInstance);
  TfmSettings Window(FInstance, Host, Preview);
  Preview.OnHide = [&Window] { Window.PreviewHidden(); };
  Preview.Create(FHandle);
  Window.Execute(FHandle);
  // The frames stop before the preview window they draw into goes.
  Close();
}

void TfmMain::AttachFlame(TMonitor& Monitor, const TRect& Target, const int32_t* PictureHeight) {
  const int Width = Target.Right - Target.Left, Height = Target.Bottom - Target.Top;
  // The picture is made before frames stop: a file may take a while to load.
  const std::vector<uint8_t> Picture = FlamePicture(FCurrentBackground, Monitor.Bounds, Width, Height);
  TFramesPaused Paused(FTimerThread.get(), false);
  if (!Monitor.Canvas) Monitor.Canvas = std::make_unique<TWindowCanvas>(Monitor.Window);
  if (!Monitor.Flame) Monitor.Flame = std::make_unique<TFlame>();
  Monitor.Flame->FFadeOutTime = RunFadeoutTime(Settings.FadeoutTime);
  // No picture (no memory left even for the snapshot) burns over black; an
  // engine without the memory for its area burns nothing, and the run goes on.
  const bool Whole = Width > 0 && Height > 0 && Picture.size() == size_t(Width) * size_t(Height) * 4;
  Monitor.Flame->Init(Monitor.Canvas.get(), Target, Whole ? Picture.data() : nullptr, &CurrentPreset, PictureHeight);
  if (Monitor.First) Monitor.First->SetBurning(true);
}

void TfmMain::RestartPreview(HWND Window) {
  THourglass Busy;
  // Frames run afterwards even when they did not before: the settings
  // window's first start of its preview is what sets them going.
  TFramesPaused Paused(FTimerThread.get(), true);
  RECT Client{};
  if (Window == nullptr || !GetClientRect(Window, &Client)) return;
  TMonitor* Target = nullptr;
  for (TMonitor& Monitor : FMonitors)
    if (Monitor.Window == Window) Target = &Monitor;
  if (Target == nullptr) {
    TMonitor Preview;
    Preview.Window = Window;
    Preview.Bounds = MonitorBounds().front();
    FMonitors.push_back(std::move(Preview));
    Target = &FMonitors.back();
  }
  AttachFlame(*Target, TRect{0, 0, Client.right, Client.bottom}, &PreviewPictureHeight);
}

void TfmMain::ShowFullScreen() {
  const std::vector<RECT> Bounds = MonitorBounds();
  FCurrentBackground = RandomActiveBackground(Settings.ActiveBackgrounds);
  for (size_t i = 0; i < Bounds.size(); ++i) {
    TMonitor Monitor;
    Monitor.Bounds = Bounds[i];
    if (i == 0 || Settings.AllowSecondMonitor) {
      Monitor.First = std::make_unique<TfmFirstMonitor>(*this);
      Monitor.Window = Monitor.First->Create(FInstance, Bounds[i]);
    } else {
      Monitor.Second = std::make_unique<TfmSecondMonitor>(*this);
      Monitor.Window = Monitor.Second->Create(FInstance, Bounds[i]);
    }
    FMonitors.push_back(std::move(Monitor));
  }
  // Every engine copies its part of the desktop before any window shows.
  for (size_t i = 0; i < FMonitors.size(); ++i) {
    TMonitor& Monitor = FMonitors[i];
    if (Monitor.Window == nullptr || !Monitor.First) continue;
    RECT Client;
    GetClientRect(Monitor.Window, &Client);
    // The bottom row stays out of the flame area; it is painted black.
    AttachFlame(Monitor, TRect{0, 0, Client.right, Client.bottom - 1}, &FPictureHeight);
  }
  for (TMonitor& Monitor : FMonitors) {
    if (Monitor.Window == nullptr) continue;
    // A burning window keeps the screen's contents until its first frame.
    const UINT Redraw = Monitor.Flame ? SWP_NOREDRAW : 0;
    SetWindowPos(Monitor.Window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | Redraw);
  }
  if (!FMonitors.empty() && FMonitors[0].Window != nullptr) {
    SetForegroundWindow(FMonitors[0].Window);
    SetFocus(FMonitors[0].Window);
  }
  POINT Cursor{};
  GetCursorPos(&Cursor);
  FStartPosition = TScreenPoint{Cursor.x, Cursor.y};
  ShowMouseCursor(false);
  FTimerThread->SetEnabled(true);
  StartStyleChanges();
  FExitRequested = false;
  FHookInstalled = true;
  if (FRunSound) FRunSound->StartRun(Settings);
  for (TMonitor& Monitor : FMonitors)
    if (Monitor.Flame && Monitor.First) Monitor.First->DrawBottomLine();
}

void TfmMain::ShowPreview() {
  FHostPreview = std::make_unique<THostPreview>(FInstance, FParentWindow);
  if (!FHostPreview->Open(FClock)) {
    Close();
    return;
  }
  TMonitor Preview;
  Preview.Bounds = MonitorBounds().front();
  Preview.Window = FHostPreview->Surface();
  FCurrentBackground = RandomActiveBackground(Settings.ActiveBackgrounds);
  AttachFlame(Preview, FHostPreview->Area(), &PreviewPictureHeight);
  FMonitors.push_back(std::move(Preview));
  ReduceMemory();
  FTimerThread->SetEnabled(true);
  StartStyleChanges();
  FHostPreview->WaitForEnd();
  Close();
  // No frame runs any more: the windows may go.
  FHostPreview->Close();
}

void TfmMain::StartStyleChanges() {
  // "Only on screensaver startup": the style chosen at the start stays.
  if (Settings.ChangeOnStartup) return;
  const int64_t Delay = Settings.ChangingDelay > 0 ? Settings.ChangingDelay : 1;
  SetTimer(FHandle, tmChangePreset, static_cast<UINT>(std::min<int64_t>(Delay * 1000, 0x7FFFFFFF)), nullptr);
}

void TfmMain::FrameTimer() {
  std::lock_guard<std::mutex> Guard(PresetLock);
  // Each burning monitor on a thread of its own: two large monitors cost the
  // time of one.
  FBurning.clear();
  for (TMonitor& Monitor : FMonitors)
    if (Monitor.Flame) FBurning.push_back(Monitor.Flame.get());
  NextFrames(FBurning, FWorkers);
  if (FMode != wmSettings) MorphPreset(CurrentPreset, TargetPreset);
}

void TfmMain::tmChangePresetTimer() {
  // The file is read outside the lock; only the copy waits for a frame.
  TFlamePreset Next{};
  LoadRandomActivePreset(PresetFolders(), Settings.ActivePresets, Next);
  std::lock_guard<std::mutex> Guard(PresetLock);
  TargetPreset = Next;
}

void TfmMain::tmExitTimer() {
  KillTimer(FHandle, tmExit);
  Close();
}

void TfmMain::AppMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  if (FExitRequested) return;
  POINT Cursor{};
  if (Message == WM_MOUSEMOVE) GetCursorPos(&Cursor);
  TExitInput Input;
  Input.Message = Message;
  Input.WParam = WParam;
  Input.KeyWasDown = KeyWasDown(static_cast<uint64_t>(LParam));
  Input.Cursor = TScreenPoint{Cursor.x, Cursor.y};
  Input.StartPosition = FStartPosition;
  Input.IgnoreMouseMove = Settings.IgnoreMouseMove;
  Input.ExitRequested = FExitRequested;
  switch (ExitRule(Input)) {
    case TExitDecision::TakeScreenshot:
      TakeScreenshot();
      break;
    case TExitDecision::Exit:
      FExitRequested = true;
      BeginExit();
      break;
    case TExitDecision::None:
      break;
  }
}

void TfmMain::BeginExit() {
  const TExitPlan Plan = PlanExit(Settings.AllowFadeout, Settings.FadeoutTime, Settings.PlayFireSound);
  if (Plan.CloseNow) {
    Close();
    return;
  }
  if (FRunSound) FRunSound->BeginExit(Plan);
  for (TMonitor& Monitor : FMonitors)
    if (Monitor.Flame) Monitor.Flame->StartFadeOut();
  SetTimer(FHandle, tmExit, Plan.ExitTimerMs, nullptr);
}

void TfmMain::TakeScreenshot() {
  if (ScreenshotDir.empty() || FMonitors.empty() || !FMonitors[0].Flame) return;
  // A press while the writer is full is dropped and takes no number.
  if (!FMonitors[0].Flame->CanTakeScreenshot()) return;
  const int Made = SHCreateDirectoryExW(nullptr, ToWide(ScreenshotDir).c_str(), nullptr);
  if (Made != ERROR_SUCCESS && Made != ERROR_ALREADY_EXISTS && Made != ERROR_FILE_EXISTS) return;
  // A file where the folder should be is a folder that cannot be made.
  const DWORD Folder = GetFileAttributesW(ToWide(ScreenshotDir).c_str());
  if (Folder == INVALID_FILE_ATTRIBUTES || (Folder & FILE_ATTRIBUTE_DIRECTORY) == 0) return;
  const std::string Name = NextScreenshotName(ScreenshotDir, Settings.LastScreenshotNumber, [](const std::string& File) {
    return GetFileAttributesW(ToWide(File).c_str()) != INVALID_FILE_ATTRIBUTES;
  });
  if (Name.empty()) return;
  // The counter stored at the end leaves out a screenshot that could not be
  // written; the ledger is shared with the writer's thread.
  if (!FShotLedger) FShotLedger = std::make_shared<TScreenshotLedger>(FStoredShotNumber);
  const int32_t Number = Settings.LastScreenshotNumber;
  FShotLedger->Taken(Number);
  FMonitors[0].Flame->RequestScreenshot(Name, [Ledger = FShotLedger, Number](bool Written) {
    Ledger->Finished(Number, Written);
  });
}

void TfmMain::SightChanged() {
  if (!FTimerThread || FSight->Seen() == FTimerThread->Seen()) return;
  // What the windows showed may be gone (a lock screen, a monitor that
  // powered down): the first frame back is copied whole.
  if (FSight->Seen())
    for (const TMonitor& Monitor : FMonitors)
      if (Monitor.Window != nullptr) TWindowCanvas::WindowExposed(Monitor.Window);
  FTimerThread->SetSeen(FSight->Seen());
}

void TfmMain::Close() {
  // The counter's save may wait for the settings lock with messages going
  // on; a close that arrives meanwhile is this same close.
  if (FClosed || FClosing) return;
  FClosing = true;
  FormClose();
  FClosed = true;
  PostQuitMessage(0);
}

void TfmMain::FormClose() {
  FHookInstalled = false;
  KillTimer(FHandle, tmChangePreset);
  KillTimer(FHandle, tmExit);
  // No frame runs after this: everything the frames use may go.
  if (FTimerThread) FTimerThread->Stop();
  FTimerThread.reset();
  ReleaseRunOnce();
  // A counter that cannot be written is not worth a message over a
  // screensaver; the next run starts from the old number. Without a
  // screenshot asked for there is nothing new to store, and the file is left
  // alone; with one, only a counter that stepped is written.
  if (FShotLedger && FSettingsFiles) {
    Settings.LastScreenshotNumber = FShotLedger->NumberToStore();
    SaveScreenshotNumber(Settings, *FSettingsFiles);
  }
  FClosed = true;
}

void TfmMain::FormDestroy() {
  // The full-screen windows go down with the process a moment later.
  // Destroying them one by one first costs nothing on Windows, but under
  // Wine without a window manager each waits seconds to be unmapped.
  // Only while a screenshot is still being written (a slow disk) are they
  // made see-through first: the engine waits for the file, the user does not.
  bool Writing = false;
  for (const TMonitor& Monitor : FMonitors) Writing = Writing || (Monitor.Flame && Monitor.Flame->WritingScreenshots());
  if (Writing) {
    // An empty window region shows the desktop at once everywhere; hiding
    // or moving the window waits seconds for the display under Wine
    // without a window manager.
    for (const TMonitor& Monitor : FMonitors)
      if (Monitor.Window != nullptr) SetWindowRgn(Monitor.Window, CreateRectRgn(0, 0, 0, 0), TRUE);
    ShowMouseCursor(true);
  }
  FMonitors.clear();
  FHostPreview.reset();
  FRunSound.reset();
  FSight.reset();
  if (FHandle != nullptr) DestroyWindow(FHandle);
  FHandle = nullptr;
  ShowMouseCursor(true);
}

LRESULT TfmMain::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  LRESULT Result = 0;
  if (FSight && FSight->Handle(Message, WParam, LParam, Result)) {
    SightChanged();
    return Result;
  }
  if (Message == WM_TIMER) {
    if (WParam == tmChangePreset) tmChangePresetTimer();
    if (WParam == tmExit) tmExitTimer();
    return 0;
  }
  return DefWindowProcW(Window, Message, WParam, LParam);
}

void TfmMain::MonitorDeactivated(UINT Message, WPARAM WParam, LPARAM LParam) {
  if (FHookInstalled) AppMessage(Message, WParam, LParam);
}

void TfmMain::MonitorClosed() { Close(); }

}  // namespace emberdell
