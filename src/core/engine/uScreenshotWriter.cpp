#include "core/engine/uScreenshotWriter.h"

#include <cstring>
#include <exception>
#include <utility>

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

void TScreenshotWriter::Submit(TScreenshotJob Job) {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FJobs.push_back(std::move(Job));
    if (!FThread.joinable()) FThread = std::thread([this] { Execute(); });
  }
  FChanged.notify_all();
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
  if (Job.Done) Job.Done(Written);
}

}  // namespace emberdell
