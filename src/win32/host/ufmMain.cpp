#include "win32/host/ufmMain.h"

#include <shlobj.h>

#include <cstring>

#include "core/engine/uBackgrounds.h"
#include "core/host/uGlobals.h"
#include "core/shared/uRandom.h"
#include "core/host/uScreenshotNames.h"
#include "win32/engine/uBackgroundPicture.h"
#include "win32/host/uGetSpecialPath.h"
#include "win32/host/uReduceMemory.h"
#include "win32/host/uRunOnce.h"
#include "win32/host/uWinText.h"
#include "win32/host/ufmMonitors.h"
#include "win32/host/ufmFloatingPreview.h"
#include "win32/settings/ufmSettings.h"

namespace emberdell {

TfmMain* TfmMain::Self = nullptr;

namespace {

constexpr UINT_PTR tmChangePreset = 1;
// Both previews burn the whole area, whatever "Picture Height" says.
const int32_t PreviewPictureHeight = 100;
constexpr UINT_PTR tmExit = 2;

BOOL CALLBACK CollectMonitor(HMONITOR Monitor, HDC, LPRECT, LPARAM Data) {
  MONITORINFO Info{};
  Info.cbSize = sizeof Info;
  if (GetMonitorInfoW(Monitor, &Info)) reinterpret_cast<std::vector<RECT>*>(Data)->push_back(Info.rcMonitor);
  return TRUE;
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

bool RunningUnderWine() {
  HMODULE Ntdll = GetModuleHandleW(L"ntdll.dll");
  return Ntdll != nullptr && GetProcAddress(Ntdll, "wine_get_version") != nullptr;
}

bool IsDeactivation(UINT Message, WPARAM WParam) {
  switch (Message) {
    case WM_ACTIVATE: return LOWORD(WParam) == WA_INACTIVE;
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE: return WParam == FALSE;
    default: return false;
  }
}

}  // namespace

TfmMain::TfmMain(HINSTANCE Instance, TWorkingMode Mode, HWND ParentWindow)
    : FInstance(Instance), FMode(Mode), FParentWindow(ParentWindow) {
  Self = this;
}

TfmMain::~TfmMain() {
  if (!FClosed) FormClose();
  FormDestroy();
  Self = nullptr;
}

int TfmMain::Run() {
  if (!FormCreate()) return 1;
  FormShow();
  MSG Message;
  while (!FClosed && GetMessageW(&Message, nullptr, 0, 0) > 0) {
    // The hook sees every message before it is dispatched and never
    // swallows one.
    if (FHookInstalled) AppMessage(Message.message, Message.wParam, Message.lParam);
    TranslateMessage(&Message);
    DispatchMessageW(&Message);
  }
  return 0;
}

bool TfmMain::FormCreate() {
  WNDCLASSEXW Class{};
  Class.cbSize = sizeof Class;
  Class.lpfnWndProc = MainFormProc;
  Class.hInstance = FInstance;
  Class.lpszClassName = kMainFormClass;
  if (!RegisterClassExW(&Class) || !RegisterMonitorClasses(FInstance, MonitorProc)) return false;
  WNDCLASSEXW Preview{};
  Preview.cbSize = sizeof Preview;
  Preview.lpfnWndProc = PreviewProc;
  Preview.hInstance = FInstance;
  Preview.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  Preview.lpszClassName = kPreviewClass;
  if (!RegisterClassExW(&Preview)) return false;
  // A 0 x 0 tool window: never on the taskbar or in the task switcher.
  FHandle = CreateWindowExW(WS_EX_TOOLWINDOW, kMainFormClass, kWindowCaption, WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, FInstance, nullptr);
  if (FHandle == nullptr) return false;

  FSharedIni = std::make_unique<TIniProfileStore>(SharedIniPath(GetWindowsDir()));
  const std::string AppData = GetAppDataPath();
  if (!AppData.empty()) FPerUserIni = std::make_unique<TIniProfileStore>(PerUserIniPath(AppData), true);
  FSettingsFiles = std::make_unique<TSettingsFiles>(*FSharedIni, FPerUserIni.get());
  {
    TRegistrySource Registry;
    MigrateRegistrySettings(Settings, Registry, *FSettingsFiles);
  }
  LoadSettings(Settings, *FSettingsFiles);
  FPictureHeight = PictureHeightForRun(Settings.PictureHeight);

  FTimerThread = std::make_unique<TTimerThread>([this] { FrameTimer(); }, FClock);
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

void TfmMain::AttachFlame(TMonitor& Monitor, const TRect& Target, const int32_t* PictureHeight) {
  const int Width = Target.Right - Target.Left, Height = Target.Bottom - Target.Top;
  const std::vector<uint8_t> Picture = FlamePicture(FCurrentBackground, Monitor.Bounds, Width, Height);
  Monitor.Canvas = std::make_unique<TWindowCanvas>(Monitor.Window);
  Monitor.Flame = std::make_unique<TFlame>();
  Monitor.Flame->FFadeOutTime = Settings.FadeoutTime;
  Monitor.Flame->Init(Monitor.Canvas.get(), Target, Picture.data(), &CurrentPreset, PictureHeight);
}

void TfmMain::ShowFullScreen() {
  const std::vector<RECT> Bounds = MonitorBounds();
  FCurrentBackground = RandomActiveBackground(Settings.ActiveBackgrounds);
  for (size_t i = 0; i < Bounds.size(); ++i) {
    TMonitor Monitor;
    Monitor.Bounds = Bounds[i];
    const bool Burns = i == 0 || Settings.AllowSecondMonitor;
    Monitor.Window = CreateMonitorWindow(FInstance, Burns ? kFirstMonitorClass : kSecondMonitorClass, Bounds[i]);
    FMonitors.push_back(std::move(Monitor));
  }
  // Every engine copies its part of the desktop before any window shows.
  for (size_t i = 0; i < FMonitors.size(); ++i) {
    TMonitor& Monitor = FMonitors[i];
    if (Monitor.Window == nullptr || !(i == 0 || Settings.AllowSecondMonitor)) continue;
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
  StartPosition = TScreenPoint{Cursor.x, Cursor.y};
  ShowMouseCursor(false);
  FTimerThread->SetEnabled(true);
  StartStyleChanges();
  ExitRequested = false;
  FHookInstalled = true;
  if (FRunSound) FRunSound->StartRun(Settings);
  for (TMonitor& Monitor : FMonitors)
    if (Monitor.Flame) DrawBottomLine(Monitor.Window);
}

void TfmMain::PumpMessages() {
  MSG Message;
  while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&Message);
    DispatchMessageW(&Message);
  }
}

void TfmMain::ShowPreview() {
  HWND Parent = FParentWindow;
  if (Parent == nullptr || !IsWindow(Parent)) {
    Close();
    return;
  }
  // The host may show its window after starting us. Sleeping between the
  // checks keeps the wait from spinning a core.
  while (IsWindow(Parent) && !IsWindowVisible(Parent)) {
    PumpMessages();
    Sleep(1);
  }
  RECT Client{};
  if (!IsWindow(Parent) || !GetClientRect(Parent, &Client)) {
    Close();
    return;
  }
  // The flame burns in a child window of our own over the host's whole
  // client area. The system's dialog ends a preview by destroying the child
  // windows of its preview window, which stays visible: the child's end is
  // then our signal to go.
  TMonitor Preview;
  Preview.Bounds = MonitorBounds().front();
  Preview.Window = CreateWindowExW(0, kPreviewClass, L"", WS_CHILD | WS_VISIBLE | WS_DISABLED, 0, 0, Client.right,
                                   Client.bottom, Parent, nullptr, FInstance, nullptr);
  if (Preview.Window == nullptr) {
    Close();
    return;
  }
  HWND Child = Preview.Window;
  // Wine shows nothing that one process draws into a window inside another
  // process's window. There the frames go to a borderless window of our own
  // laid exactly over the child; the child still decides when the preview ends.
  HWND Overlay = nullptr;
  if (RunningUnderWine()) {
    Overlay = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, kPreviewClass, L"",
                              WS_POPUP | WS_DISABLED, 0, 0, Client.right, Client.bottom,
                              GetAncestor(Parent, GA_ROOT), nullptr, FInstance, nullptr);
    if (Overlay != nullptr) {
      Preview.Window = Overlay;
      FollowPreviewArea(Child, Overlay);
    }
  }
  FCurrentBackground = RandomActiveBackground(Settings.ActiveBackgrounds);
  AttachFlame(Preview, TRect{0, 0, Client.right, Client.bottom}, &PreviewPictureHeight);
  FMonitors.push_back(std::move(Preview));
  ReduceMemory();
  FTimerThread->SetEnabled(true);
  StartStyleChanges();
  while (IsWindow(Parent) && IsWindowVisible(Parent) && IsWindow(Child)) {
    PumpMessages();
    if (Overlay != nullptr) FollowPreviewArea(Child, Overlay);
    Sleep(1);
  }
  Close();
  if (Overlay != nullptr && IsWindow(Child)) DestroyWindow(Child);
}

void TfmMain::RestartPreview(HWND Window) {
  FTimerThread->Pause();
  HCURSOR Remembered = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  RECT Client{};
  GetClientRect(Window, &Client);
  if (FMonitors.empty() || FMonitors[0].Window != Window) {
    FMonitors.clear();
    TMonitor Preview;
    Preview.Window = Window;
    Preview.Bounds = MonitorBounds().front();
    FMonitors.push_back(std::move(Preview));
  }
  AttachFlame(FMonitors[0], TRect{0, 0, Client.right, Client.bottom}, &PreviewPictureHeight);
  SetCursor(Remembered);
  FTimerThread->Resume();
}

void TfmMain::ShowSettings() {
  // The settings window reaches the main form only through what it needs.
  struct THost : ISettingsWindowHost {
    TfmMain& Main;
    explicit THost(TfmMain& M) : Main(M) {}
    void RestartPreview(HWND Window) override { Main.RestartPreview(Window); }
    std::string& CurrentBackground() override { return Main.CurrentBackground(); }
    TStoreResult SaveAllSettings() override { return SaveSettings(Settings, *Main.FSettingsFiles); }
  } Host(*this);
  TfmPreview Preview(FInstance);
  TfmSettings Window(FInstance, Host, Preview);
  Preview.OnHide = [&Window] { Window.PreviewHidden(); };
  Preview.Create(FHandle);
  Window.Execute(FHandle);
  // Frames stop before the preview window they draw into goes.
  FTimerThread->Pause();
  FMonitors.clear();
  Close();
}

void TfmMain::FollowPreviewArea(HWND Child, HWND Overlay) {
  RECT Area{};
  GetClientRect(Child, &Area);
  MapWindowPoints(Child, nullptr, reinterpret_cast<POINT*>(&Area), 2);
  RECT Now{};
  GetWindowRect(Overlay, &Now);
  const bool Visible = IsWindowVisible(Overlay) != FALSE;
  if (Visible && Now.left == Area.left && Now.top == Area.top) return;
  SetWindowPos(Overlay, HWND_TOPMOST, Area.left, Area.top, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | (Visible ? 0 : SWP_SHOWWINDOW));
}

void TfmMain::StartStyleChanges() {
  // "Only on screensaver startup": the style chosen at the start stays.
  if (Settings.ChangeOnStartup) return;
  const int64_t Delay = Settings.ChangingDelay > 0 ? Settings.ChangingDelay : 1;
  SetTimer(FHandle, tmChangePreset, static_cast<UINT>(std::min<int64_t>(Delay * 1000, 0x7FFFFFFF)), nullptr);
}

void TfmMain::DrawBottomLine(HWND Window) {
  RECT Client;
  GetClientRect(Window, &Client);
  HDC Dc = GetDC(Window);
  if (Dc == nullptr) return;
  RECT Line{0, Client.bottom - 1, Client.right, Client.bottom};
  FillRect(Dc, &Line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(Window, Dc);
}

void TfmMain::FrameTimer() {
  std::lock_guard<std::mutex> Guard(PresetLock);
  for (TMonitor& Monitor : FMonitors)
    if (Monitor.Flame) Monitor.Flame->NextFrame();
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
  if (ExitRequested) return;
  POINT Cursor{};
  if (Message == WM_MOUSEMOVE) GetCursorPos(&Cursor);
  TExitInput Input;
  Input.Message = Message;
  Input.WParam = WParam;
  Input.KeyWasDown = KeyWasDown(static_cast<uint64_t>(LParam));
  Input.Cursor = TScreenPoint{Cursor.x, Cursor.y};
  Input.StartPosition = StartPosition;
  Input.IgnoreMouseMove = Settings.IgnoreMouseMove;
  Input.ExitRequested = ExitRequested;
  switch (ExitRule(Input)) {
    case TExitDecision::TakeScreenshot:
      TakeScreenshot();
      break;
    case TExitDecision::Exit:
      ExitRequested = true;
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
  const int Made = SHCreateDirectoryExW(nullptr, ToWide(ScreenshotDir).c_str(), nullptr);
  if (Made != ERROR_SUCCESS && Made != ERROR_ALREADY_EXISTS && Made != ERROR_FILE_EXISTS) return;
  FMonitors[0].Flame->RequestScreenshot(NextScreenshotName(ScreenshotDir, Settings.LastScreenshotNumber));
}

void TfmMain::Close() {
  if (FClosed) return;
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
  // screensaver; the next run starts from the old number.
  if (FSettingsFiles) SaveScreenshotNumber(Settings, *FSettingsFiles);
  FClosed = true;
}

void TfmMain::FormDestroy() {
  for (TMonitor& Monitor : FMonitors) {
    Monitor.Flame.reset();
    Monitor.Canvas.reset();
    // The full-screen windows go down with the process a moment later.
    // Destroying them one by one first costs nothing on Windows, but under
    // Wine without a window manager each waits seconds to be unmapped.
    if (Monitor.Window != nullptr && FMode != wmFullScreen) DestroyWindow(Monitor.Window);
  }
  FMonitors.clear();
  FRunSound.reset();
  if (FHandle != nullptr) DestroyWindow(FHandle);
  FHandle = nullptr;
  ShowMouseCursor(true);
}

LRESULT CALLBACK TfmMain::PreviewProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_ERASEBKGND:
      return 1;  // the frames cover every pixel
    case WM_PAINT: {
      PAINTSTRUCT Paint;
      BeginPaint(Window, &Paint);
      EndPaint(Window, &Paint);
      return 0;
    }
    default:
      return DefWindowProcW(Window, Message, WParam, LParam);
  }
}

LRESULT CALLBACK TfmMain::MainFormProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == WM_TIMER && Self != nullptr) {
    if (WParam == tmChangePreset) Self->tmChangePresetTimer();
    if (WParam == tmExit) Self->tmExitTimer();
    return 0;
  }
  return DefWindowProcW(Window, Message, WParam, LParam);
}

LRESULT CALLBACK TfmMain::MonitorProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  TfmMain* Form = Self;
  switch (Message) {
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return TRUE;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
      // Sent, not posted, so the loop never sees them: another window taking
      // over ends the run like any other input.
      if (Form != nullptr && Form->FHookInstalled && IsDeactivation(Message, WParam))
        Form->AppMessage(Message, WParam, LParam);
      break;
    case WM_ERASEBKGND:
      // A burning window is covered by its frames; erasing would flash black
      // over the desktop before the first one.
      if (Form != nullptr) {
        for (const TMonitor& Monitor : Form->FMonitors)
          if (Monitor.Window == Window && Monitor.Flame) return 1;
      }
      break;
    case WM_PAINT:
      if (Form != nullptr) {
        for (const TMonitor& Monitor : Form->FMonitors)
          if (Monitor.Window == Window && Monitor.Flame) {
            PAINTSTRUCT Paint;
            BeginPaint(Window, &Paint);
            EndPaint(Window, &Paint);
            Form->DrawBottomLine(Window);
            return 0;
          }
      }
      break;
    case WM_CLOSE:
      if (Form != nullptr) Form->Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(Window, Message, WParam, LParam);
}

}  // namespace emberdell
