// Names of the screenshot files: a counter kept in the settings, six digits
// at least, in a folder under the user's documents.
#pragma once

#include <cstdint>
#include <string>

namespace emberdell {

// Documents folder + "\Emberdell Screenshots"; empty without a documents
// folder, which switches screenshots off.
std::string ScreenshotDirFor(const std::string& DocumentsDir);

// 1 -> "000001"; longer numbers are neither padded nor cut.
std::string ScreenshotFileName(int64_t Number);

// Dir + "\" + the file name + ".bmp".
std::string ScreenshotFullName(const std::string& Dir, int64_t Number);

// Advances LastNumber and gives the full name of the next screenshot. The
// host calls it only after the folder exists (or was created), so a failed
// folder leaves the counter alone.
std::string NextScreenshotName(const std::string& Dir, int32_t& LastNumber);

}  // namespace emberdell
