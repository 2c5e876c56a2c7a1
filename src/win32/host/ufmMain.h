// TfmMain: the main form of every working mode. It never shows anything
// itself (a hidden 0 x 0 tool window): it owns the flame engines, the frame
// pacer and the timers, and its show handler carries out the mode.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/engine/uCore.h"
#include "core/engine/uFlameGroup.h"
#include "core/host/uExitRules.h"
#include "core/host/uRetrieveWorkingMode.h"
#include "core/host/uScreenshotNames.h"
#include "core/host/uTTimerThread.h"
#include "core/styles/uPresets.h"
#include "core/styles/uSettingsSaving.h"
#include "win32/engine/uWindowCanvas.h"
#include "win32/host/uSharedPresets.h"
#include "win32/host/uSightWatcher.h"
#include "win32/host/uWinClock.h"
#include "win32/host/uWindow.h"
#include "win32/host/ufmMonitors.h"
#include "win32/sound/uRunSound.h"
#include "win32/styles/uProfileFiles.h"

namespace emberdell {

inline constexpr wchar_t kMainFormClass[] = L"TfmMain";

class THostPreview;

class TfmMain : public TWindow<TfmMain>, public IMonitorOwner {
 public:
  TfmMain(HINSTANCE Instance, TWorkingMode Mode, HWND ParentWindow);
  ~TfmMain();  // FormDestroy
  TfmMain(const TfmMain&) = delete;
  TfmMain& operator=(const TfmMain&) = delete;

  // FormCreate, FormShow and the message loop; returns the exit code.
  int Run();

  // Starts the engine again on Window's whole client area over the current
  // background, burning the full height (main thread). Window keeps one
  // engine: a repeated start keeps its running fire. Frames stop, and a frame
  // in progress is waited for, while it works; the hourglass shows meanwhile.
  // Frames run afterwards, and the cursor is the one before, even when the
  // start fails.
  void RestartPreview(HWND Window);

  // The name of the background the run or the preview shows; the settings
  // window sets it before a RestartPreview.
  std::string& CurrentBackground() { return FCurrentBackground; }

  friend class TWindow<TfmMain>;

 private:
  // One target of the run: a monitor window or a preview surface and, when
  // it burns, its engine. An engine, once made, stays with its window.
  struct TMonitor {
    HWND Window = nullptr;
    RECT Bounds{};  // the monitor whose desktop the flame burns
    std::unique_ptr<TfmFirstMonitor> First;
    std::unique_ptr<TfmSecondMonitor> Second;
    std::unique_ptr<TWindowCanvas> Canvas;
    std::unique_ptr<TFlame> Flame;
  };

  LRESULT WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

  bool FormCreate();
  void FormShow();
  void FormClose();
  void FormDestroy();
  void ShowFullScreen();
  void ShowPreview();
  void ShowSettings();
  void StartStyleChanges();

  void FrameTimer();
  void tmChangePresetTimer();
  void tmExitTimer();
  // The exit rules, for every message the main thread takes from its queue
  // and for the activation messages sent to the run's windows.
  void AppMessage(UINT Message, WPARAM WParam, LPARAM LParam);
  void BeginExit();
  void TakeScreenshot();
  // Frames stop while nobody can see the run and come back drawn whole.
  void SightChanged();
  // Starts Monitor's engine (made on the first call) on Target of its window.
  void AttachFlame(TMonitor& Monitor, const TRect& Target, const int32_t* PictureHeight);
  void Close();

  // IMonitorOwner
  void MonitorDeactivated(UINT Message, WPARAM WParam, LPARAM LParam) override;
  void MonitorClosed() override;

  HINSTANCE FInstance;
  TWorkingMode FMode;
  HWND FParentWindow;
  bool FClosed = false;
  bool FClosing = false;

  std::unique_ptr<TIniProfileStore> FSharedIni, FPerUserIni;
  TSettingsMutex FSettingsLock;
  std::unique_ptr<TSettingsFiles> FSettingsFiles;

  TWinTickClock FClock;
  // The frame thread's own; they go after it has stopped.
  TFrameWorkers FWorkers;
  std::vector<TFlame*> FBurning;
  std::unique_ptr<TTimerThread> FTimerThread;
  std::unique_ptr<TSightWatcher> FSight;
  std::shared_ptr<TScreenshotLedger> FShotLedger;
  int32_t FStoredShotNumber = 0;
  std::unique_ptr<TRunSound> FRunSound;
  std::vector<TMonitor> FMonitors;
  std::unique_ptr<THostPreview> FHostPreview;
  int32_t FPictureHeight = 100;  // the run's limited copy of "Picture Height"
  std::string FCurrentBackground;

  TScreenPoint FStartPosition;
  bool FExitRequested = false;
  bool FHookInstalled = false;
};

}  // namespace emberdell
