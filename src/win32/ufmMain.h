// The main form. For now it carries only the full-screen run's window: black,
// topmost, over the whole desktop, closed by any key or mouse button. The
// flame, the exit rules and one window per monitor replace it.
#pragma once

#include <windows.h>

namespace emberdell {

inline constexpr wchar_t kMainFormClass[] = L"TfmMain";

// Returns the process exit code once the window has closed.
int RunFullScreen(HINSTANCE Instance);

}  // namespace emberdell
