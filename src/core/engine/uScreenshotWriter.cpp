#include "core/engine/uScreenshotWriter.h"

#include <cstring>
#include <exception>
#include <utility>

#include "core/engine/uFlamePicture.h"
#include "core/engine/uFlameStep.h"
#include "core/engine/uImageFiles.h"

namespace emberdell {

bool WriteShotFile(const std::string& FileName, int Width, int Height, const uint8_t* Pixels, std::string& Error) {
  const bool IsJpeg = FileName.size() >= 4 && FileName.compare(FileName.size() - 4, 4, ".jpg") == 0;
  return IsJpeg ? WriteJpegFile(FileName, Width, Height, Pixels, 100, true, Error)
                : WriteBmpFile(FileName, Width, Height, Pixels, Error);
}

TScreenshotWriter::TScreenshotWriter(TShotFileWriter Write) : FWrite(std::move(Write)) {}

TScreenshotWriter::~TScreenshotWriter() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FStopping = true;
  }
  FChanged.notify_all();
  if (FThread.joinable()) FThread.join();
}

void TScreenshotWriter::SetFileWriter(TShotFileWriter Write) {
  std::lock_guard<std::mutex> Guard(FLock);
  FWrite = std::move(Write);
}

bool TScreenshotWriter::Submit(TScreenshotJob& Job) {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
  // A page without shared memory has no second thread, and its files are
  // memory: the picture is written at once, at the cost of one frame.
  Write(Job);
  return true;
#endif
  {
    std::lock_guard<std::mutex> Guard(FLock);
    if (FBroken || FJobs.size() + (FBusy ? 1 : 0) >= MaxInFlight) return false;
    // The thread first: a job queued for a thread that never started would
    // keep Flush waiting for ever.
    if (!FThread.joinable()) {
      try {
        FThread = std::thread([this] { Execute(); });
      } catch (...) {
        return false;
      }
    }
    FJobs.push_back(std::move(Job));
  }
  FChanged.notify_all();
  return true;
}

bool TScreenshotWriter::HasRoom() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return !FBroken && FJobs.size() + (FBusy ? 1 : 0) < MaxInFlight;
}

void TScreenshotWriter::Flush() {
  std::unique_lock<std::mutex> Guard(FLock);
  FChanged.wait(Guard, [this] { return FJobs.empty() && !FBusy; });
}

bool TScreenshotWriter::Busy() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return FBusy || !FJobs.empty();
}

std::string TScreenshotWriter::LastError() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return FLastError;
}

void TScreenshotWriter::SetLastError(std::string Error) {
  std::lock_guard<std::mutex> Guard(FLock);
  FLastError = std::move(Error);
}

void TScreenshotWriter::Execute() {
  // Nothing may leave the thread's body. Should the queue itself fail (a
  // lock that cannot be taken), the jobs left are told they were not
  // written and nothing more is taken, so no one waits for them.
  try {
    std::unique_lock<std::mutex> Guard(FLock);
    for (;;) {
      FChanged.wait(Guard, [this] { return FStopping || !FJobs.empty(); });
      if (FJobs.empty()) return;  // stopping, and nothing left to write
      TScreenshotJob Job = std::move(FJobs.front());
      FJobs.pop_front();
      FBusy = true;
      Guard.unlock();
      Write(Job);
      Guard.lock();
      FBusy = false;
      FChanged.notify_all();
    }
  } catch (...) {
    std::deque<TScreenshotJob> Left;
    try {
      std::lock_guard<std::mutex> Guard(FLock);
      FBroken = true;
      FBusy = false;
      Left.swap(FJobs);
    } catch (...) {
    }
    FChanged.notify_all();
    for (TScreenshotJob& Job : Left) Tell(Job, false);
  }
}

void TScreenshotWriter::Write(TScreenshotJob& Job) {
  std::string Error;
  // Nothing may escape this thread: a full disk or a failed allocation costs
  // the picture, not the run.
  try {
    SmoothShot(Job.Image.data(), Job.Width, Job.Height);
    std::vector<uint8_t> Pixels(Job.Image.size() * 4);
    for (size_t i = 0; i < Job.Image.size(); ++i) std::memcpy(&Pixels[4 * i], Job.Colors[Job.Image[i]].data(), 4);
    TShotFileWriter WriteFile;
    {
      std::lock_guard<std::mutex> Guard(FLock);
      WriteFile = FWrite;
    }
    if (!WriteFile(Job.FileName, Job.Width, Job.Height, Pixels.data(), Error) && Error.empty())
      Error = "the screenshot could not be written";
  } catch (const std::exception& E) {
    Error = E.what();
  } catch (...) {
    Error = "the screenshot could not be written";
  }
  const bool Written = Error.empty();
  SetLastError(std::move(Error));
  Tell(Job, Written);
}

void TScreenshotWriter::Tell(TScreenshotJob& Job, bool Written) noexcept {
  // A failed screenshot is silent, whoever listens.
  try {
    if (Job.Done) Job.Done(Written);
  } catch (...) {
  }
}

}  // namespace emberdell
