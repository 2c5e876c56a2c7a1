#include "core/host/uScreenshotNames.h"

namespace emberdell {

std::string ScreenshotDirFor(const std::string& DocumentsDir) {
  return DocumentsDir.empty() ? std::string() : DocumentsDir + "\\Emberdell Screenshots";
}

std::string ScreenshotFileName(int64_t Number) {
  // A hand-edited negative counter still gives a usable, distinct name.
  const bool Negative = Number < 0;
  const uint64_t Magnitude = Negative ? 0 - static_cast<uint64_t>(Number) : static_cast<uint64_t>(Number);
  std::string Digits = std::to_string(Magnitude);
  if (Digits.size() < 6) Digits.insert(0, 6 - Digits.size(), '0');
  return Negative ? "-" + Digits : Digits;
}

std::string ScreenshotFullName(const std::string& Dir, int64_t Number) {
  return Dir + "\\" + ScreenshotFileName(Number) + ".bmp";
}

std::string NextScreenshotName(const std::string& Dir, int32_t& LastNumber, const TFileExists& Exists) {
  uint32_t Number = static_cast<uint32_t>(LastNumber);
  for (int Try = 0; Try < ScreenshotNameTries; ++Try) {
    // Wraps like the 32-bit counter it is stored as, instead of overflowing.
    ++Number;
    std::string Name = ScreenshotFullName(Dir, static_cast<int32_t>(Number));
    if (Exists && Exists(Name)) continue;
    LastNumber = static_cast<int32_t>(Number);
    return Name;
  }
  return {};
}

void TScreenshotLedger::Taken(int32_t Number) {
  std::lock_guard<std::mutex> Guard(FLock);
  FShots.push_back({Number, false});
}

void TScreenshotLedger::Finished(int32_t Number, bool Written) {
  std::lock_guard<std::mutex> Guard(FLock);
  if (Written) return;
  for (TShot& Shot : FShots)
    if (Shot.Number == Number) Shot.Failed = true;
}

int32_t TScreenshotLedger::NumberToStore() const {
  std::lock_guard<std::mutex> Guard(FLock);
  for (auto Shot = FShots.rbegin(); Shot != FShots.rend(); ++Shot)
    if (!Shot->Failed) return Shot->Number;
  return FStored;
}

}  // namespace emberdell
