// Whether anybody can see what a run draws. A screensaver runs for hours
// after its user has gone: the display powers down, the session is locked or
// a remote user disconnects, the hack's window is unmapped or covered. Then
// the frames stop; the rest of the run (sound, timers, exit rules) goes on.
//
// Each host feeds what its system reports; each cause is kept on its own, so
// that an unlock while the display is still off keeps the frames off.
#pragma once

#include <cstdint>

namespace emberdell {

class TVisibility {
 public:
  bool Seen() const {
    return !FDisplayOff && !FLocked && !FDisconnected && !FUnmapped && !FObscured && !FMonitorAsleep;
  }

  // --- Windows
  // The console display's state as GUID_CONSOLE_DISPLAY_STATE reports it:
  // 0 off, 1 on, 2 dimmed (still seen). Other values change nothing.
  void DisplayState(uint32_t State);
  // A WM_WTSSESSION_CHANGE event (WTS_CONSOLE_CONNECT 1 ... WTS_SESSION_UNLOCK 8).
  void SessionChange(uint32_t Event);

  // --- X11
  void Mapped(bool IsMapped) { FUnmapped = !IsMapped; }
  // A VisibilityNotify state: 0 unobscured, 1 partially obscured, 2 fully obscured.
  // The server sends one only to a viewable window, and it is all that a
  // window inside another hears when that one maps: it counts as mapped.
  void VisibilityState(int State);
  // The monitor's power as DPMS reports it: 0 on, 1 standby, 2 suspend, 3 off.
  void MonitorPower(int Level) { FMonitorAsleep = Level >= 1 && Level <= 3; }

 private:
  bool FDisplayOff = false, FLocked = false, FDisconnected = false;
  bool FUnmapped = false, FObscured = false, FMonitorAsleep = false;
};

}  // namespace emberdell
