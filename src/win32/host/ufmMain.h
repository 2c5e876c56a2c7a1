// TfmMain: the main form of every working mode. It never shows anything
// itself (a hidden 0 x 0 tool window): it owns the flame engines, the frame
// pacer and the timers, and its show handler carries out the mode.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/engine/uCore.h"
#include "core/host/uExitRules.h"
#include "core/styles/uPresets.h"
#include "core/host/uRetrieveWorkingMode.h"
#include "core/styles/uSettingsSaving.h"
#include "core/host/uTTimerThread.h"
#include "win32/engine/uGdiCanvas.h"
#include "win32/styles/uProfileFiles.h"
#include "win32/sound/uRunSound.h"
#include "win32/host/uPresetRecords.h"
#include "win32/host/uWinClock.h"

namespace emberdell {

inline constexpr wchar_t kMainFormClass[] = L"TfmMain";
// The child window the preview burns in, inside the host's preview window.
inline constexpr wchar_t kPreviewClass[] = L"TEmberdellPreview";

class TfmMain {
 public:
  TfmMain(HINSTANCE Instance, TWorkingMode Mode, HWND ParentWindow);
  ~TfmMain();  // FormDestroy
  TfmMain(const TfmMain&) = delete;
  TfmMain& operator=(const TfmMain&) = delete;

  // FormCreate, FormShow and the message loop; returns the exit code.
  int Run();

  // The preview restart: frames paused, the engine started again on Window's
  // whole client area over CurrentBackground(), picture height 100.
  void RestartPreview(HWND Window);
  std::string& CurrentBackground() { return FCurrentBackground; }

 private:
  // One monitor of the run: its window and, when it burns, its engine.
  struct TMonitor {
    HWND Window = nullptr;
    RECT Bounds{};
    std::unique_ptr<TWindowCanvas> Canvas;
    std::unique_ptr<TFlame> Flame;
  };

  bool FormCreate();
  void FormShow();
  void FormClose();
  void FormDestroy();
  void ShowFullScreen();
  void ShowPreview();
  void ShowSettings();
  void FollowPreviewArea(HWND Child, HWND Overlay);
  void PumpMessages();
  void StartStyleChanges();

  void FrameTimer();
  void tmChangePresetTimer();
  void tmExitTimer();
  // The exit rules, for every message the main thread takes from its queue
  // and for the activation messages sent to the run's windows.
  void AppMessage(UINT Message, WPARAM WParam, LPARAM LParam);
  void BeginExit();
  void TakeScreenshot();
  void DrawBottomLine(HWND Window);
  void AttachFlame(TMonitor& Monitor, const TRect& Target, const int32_t* PictureHeight);
  void Close();

  static LRESULT CALLBACK MainFormProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  static LRESULT CALLBACK PreviewProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  static LRESULT CALLBACK MonitorProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  static TfmMain* Self;

  HINSTANCE FInstance;
  TWorkingMode FMode;
  HWND FParentWindow;
  HWND FHandle = nullptr;
  bool FClosed = false;

  std::unique_ptr<TIniProfileStore> FSharedIni, FPerUserIni;
  std::unique_ptr<TSettingsFiles> FSettingsFiles;

  TWinTickClock FClock;
  std::unique_ptr<TTimerThread> FTimerThread;
  std::unique_ptr<TRunSound> FRunSound;
  std::vector<TMonitor> FMonitors;
  int32_t FPictureHeight = 100;  // the run's limited copy of "Picture Height"
  std::string FCurrentBackground;

  TScreenPoint StartPosition;
  bool ExitRequested = false;
  bool FHookInstalled = false;
};

}  // namespace emberdell
