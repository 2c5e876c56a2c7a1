// What happens to an exception that reached a window procedure, a thread's
// body or the entry point. Where a user is at a window (the settings window
// and its dialogs) the application's error box says what went wrong and the
// program goes on; during a run or a preview nobody is there to read it, so
// it stays silent and the frame, the sound or the message is simply dropped.
#pragma once

#include <exception>

namespace emberdell {

// Set once the working mode is known: true for the settings window.
void SetUserAtWindow(bool AtWindow);
// Shows or drops the failure; never throws. A failure while its box is still
// up is dropped, so one fault cannot stack up boxes.
void ReportUnexpected(const std::exception_ptr& Error) noexcept;
// How many failures were reported so far (the host tests look at it).
unsigned UnexpectedCount() noexcept;

}  // namespace emberdell
