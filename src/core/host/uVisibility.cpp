#include "core/host/uVisibility.h"

namespace emberdell {
namespace {

// The session events of WM_WTSSESSION_CHANGE.
constexpr uint32_t ConsoleConnect = 1, ConsoleDisconnect = 2, RemoteConnect = 3, RemoteDisconnect = 4,
                   SessionLock = 7, SessionUnlock = 8;

}  // namespace

void TVisibility::DisplayState(uint32_t State) {
  if (State == 0) FDisplayOff = true;
  if (State == 1 || State == 2) FDisplayOff = false;
}

void TVisibility::SessionChange(uint32_t Event) {
  switch (Event) {
    case SessionLock: FLocked = true; break;
    case SessionUnlock: FLocked = false; break;
    case ConsoleDisconnect:
    case RemoteDisconnect: FDisconnected = true; break;
    case ConsoleConnect:
    case RemoteConnect: FDisconnected = false; break;
    default: break;  // logon, logoff, remote control: the screen stays as it was
  }
}

void TVisibility::VisibilityState(int State) {
  if (State < 0 || State > 2) return;
  FUnmapped = false;
  FObscured = State == 2;
}

}  // namespace emberdell
