// The user's special folders, as UTF-8 paths without a trailing backslash;
// empty when the system has none.
#pragma once

#include <string>

namespace emberdell {

std::string GetSpecialPath();  // the documents folder
std::string GetAppDataPath();  // the roaming application-data folder
std::string GetWindowsDir();   // the Windows directory, with a backslash appended

}  // namespace emberdell
