// Names of the screenshot files: a counter kept in the settings, six digits
// at least, in a folder under the user's documents.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace emberdell {

// Documents folder + "\Emberdell Screenshots"; empty without a documents
// folder, which switches screenshots off.
std::string ScreenshotDirFor(const std::string& DocumentsDir);

// 1 -> "000001"; longer numbers are neither padded nor cut.
std::string ScreenshotFileName(int64_t Number);

// Dir + "\" + the file name + ".bmp".
std::string ScreenshotFullName(const std::string& Dir, int64_t Number);

// Whether a file of that full name is there already.
using TFileExists = std::function<bool(const std::string&)>;

// Advances LastNumber past every number whose file Exists and gives the full
// name of the next screenshot: the counter may be behind the folder (a new
// settings file, another account's counter, a restored folder), and a user's
// picture is never overwritten. Empty, with LastNumber unchanged, when no
// free name turns up within ScreenshotNameTries numbers. The host calls it
// only after the folder exists, so a failed folder leaves the counter alone.
inline constexpr int ScreenshotNameTries = 100000;
std::string NextScreenshotName(const std::string& Dir, int32_t& LastNumber, const TFileExists& Exists = {});

// The counter a run stores when it ends: the number of the last screenshot
// taken whose file was written or is still being written. One that failed
// (a full disk) gives its number back, so a failure never steps the counter.
class TScreenshotLedger {
 public:
  explicit TScreenshotLedger(int32_t Stored) : FStored(Stored) {}
  void Taken(int32_t Number);
  // From any thread.
  void Finished(int32_t Number, bool Written);
  int32_t NumberToStore() const;

 private:
  struct TShot {
    int32_t Number;
    bool Failed;
  };
  mutable std::mutex FLock;
  int32_t FStored;
  std::vector<TShot> FShots;  // in the order taken, so a wrapped counter still counts as later
};

}  // namespace emberdell
