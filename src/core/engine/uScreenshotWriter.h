// Writes screenshots on a thread of its own. The frame thread only copies the
// frame and hands it over, so a slow or failing disk costs the picture's
// write time, never a frame or the way out of the run.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace emberdell {

// One frame as it was when "F" was taken: the index image and its colours.
struct TScreenshotJob {
  std::string FileName;
  int Width = 0, Height = 0;
  std::vector<uint8_t> Image;                      // one index per pixel, top row first
  std::array<std::array<uint8_t, 4>, 256> Colors{};  // blue, green, red, reserved
  // Told on the writer's thread whether the file was written.
  std::function<void(bool Written)> Done;
};

// Writes 32-bit pixels into a file; false with Error set when it fails.
using TShotFileWriter =
    std::function<bool(const std::string& FileName, int Width, int Height, const uint8_t* Pixels, std::string& Error)>;
// A progressive quality-100 JPEG when the name ends in ".jpg" (exactly), a
// bitmap otherwise.
bool WriteShotFile(const std::string& FileName, int Width, int Height, const uint8_t* Pixels, std::string& Error);

class TScreenshotWriter {
 public:
  // Pictures waiting or being written at once. Each holds a whole frame, and
  // the end of a run waits for all of them: quick presses onto a slow disk
  // must cost neither unbounded memory nor a long wait at the exit.
  static constexpr size_t MaxInFlight = 3;

  explicit TScreenshotWriter(TShotFileWriter Write = WriteShotFile);
  // What was handed over is still written before the thread ends.
  ~TScreenshotWriter();
  TScreenshotWriter(const TScreenshotWriter&) = delete;
  TScreenshotWriter& operator=(const TScreenshotWriter&) = delete;

  // Before the first Submit only.
  void SetFileWriter(TShotFileWriter Write);
  // Queues the job; the thread starts with the first one. False, with the
  // job left to the caller, when MaxInFlight are already on their way or the
  // thread cannot run.
  bool Submit(TScreenshotJob& Job);
  // Whether a job submitted now would be taken.
  bool HasRoom() const;
  // Waits until every job handed over so far is written or has failed.
  void Flush();
  // True while a job waits or is being written.
  bool Busy() const;
  // The failure of the last screenshot, empty after a written one.
  std::string LastError() const;
  void SetLastError(std::string Error);

 private:
  void Execute();
  void Write(TScreenshotJob& Job);
  static void Tell(TScreenshotJob& Job, bool Written) noexcept;

  TShotFileWriter FWrite;
  mutable std::mutex FLock;
  std::condition_variable FChanged;
  std::deque<TScreenshotJob> FJobs;
  bool FBusy = false;
  bool FStopping = false;
  bool FBroken = false;  // the thread could not go on: nothing more is taken
  std::string FLastError;
  std::thread FThread;
};

}  // namespace emberdell
