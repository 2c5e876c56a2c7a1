#include "win32/host/uSightWatcher.h"

#include <wtsapi32.h>

#include <cstring>

namespace emberdell {
namespace {

// GUID_CONSOLE_DISPLAY_STATE, spelled out so no GUID library is needed.
constexpr GUID ConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

}  // namespace

TSightWatcher::TSightWatcher(HWND Window) : FWindow(Window) {
  // Windows Vista and later; the display state from Windows 8 on. The first
  // notification after registering tells the present state.
  FDisplayNotify = RegisterPowerSettingNotification(Window, &ConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
  FSessionNotify = WTSRegisterSessionNotification(Window, NOTIFY_FOR_THIS_SESSION) != FALSE;
}

TSightWatcher::~TSightWatcher() {
  if (FDisplayNotify != nullptr) UnregisterPowerSettingNotification(FDisplayNotify);
  if (FSessionNotify) WTSUnRegisterSessionNotification(FWindow);
}

bool TSightWatcher::Handle(UINT Message, WPARAM WParam, LPARAM LParam, LRESULT& Result) {
  if (Message == WM_WTSSESSION_CHANGE) {
    FSight.SessionChange(static_cast<uint32_t>(WParam));
    Result = 0;
    return true;
  }
  if (Message != WM_POWERBROADCAST) return false;
  Result = TRUE;
  if (WParam != PBT_POWERSETTINGCHANGE || LParam == 0) return true;
  const auto* Setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(LParam);
  if (!IsEqualGUID(Setting->PowerSetting, ConsoleDisplayState) || Setting->DataLength < sizeof(DWORD)) return true;
  DWORD State = 0;
  std::memcpy(&State, Setting->Data, sizeof State);
  FSight.DisplayState(State);
  return true;
}

}  // namespace emberdell
