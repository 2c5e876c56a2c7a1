// Opening web and mail links from the settings window's link labels.
#pragma once

#include <string>

namespace emberdell {

// The default browser's command line from HKEY_CLASSES_ROOT\http\shell\open\command,
// or "explorer" when there is none.
std::wstring GetBrowserCommand();
// Shell "open"; failing that the browser command with the link in quotes;
// failing that explorer.exe with it.
void OpenLink(const std::wstring& Link);

}  // namespace emberdell
