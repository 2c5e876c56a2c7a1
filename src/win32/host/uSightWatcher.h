// Tells the main form when nobody can see the run: the console display
// powered down (GUID_CONSOLE_DISPLAY_STATE), the session locked or
// disconnected (WTSRegisterSessionNotification). The rule of what counts as
// seen is the core's TVisibility; this only turns the messages into it.
#pragma once

#include <windows.h>

#include "core/host/uVisibility.h"

namespace emberdell {

class TSightWatcher {
 public:
  // Registers Window, a top-level window, for both kinds of message. A
  // registration the system refuses leaves its cause seen for good: the run
  // then goes on as if the watcher were not there.
  explicit TSightWatcher(HWND Window);
  ~TSightWatcher();
  TSightWatcher(const TSightWatcher&) = delete;
  TSightWatcher& operator=(const TSightWatcher&) = delete;

  // Takes WM_POWERBROADCAST and WM_WTSSESSION_CHANGE; true when Message was
  // one of them, with what the window procedure returns in Result.
  bool Handle(UINT Message, WPARAM WParam, LPARAM LParam, LRESULT& Result);
  bool Seen() const { return FSight.Seen(); }

 private:
  HWND FWindow;
  HPOWERNOTIFY FDisplayNotify = nullptr;
  bool FSessionNotify = false;
  TVisibility FSight;
};

}  // namespace emberdell
