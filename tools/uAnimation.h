// Animations written while the fire renders: each frame goes to the file as
// it comes, so no writer holds more than the frame before. The file is
// written under a temporary name beside the final one and takes its name
// only once it is whole; a writer that is abandoned or fails removes it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace emberdell {

class TPartialFile;

class TAnimationWriter {
 public:
  virtual ~TAnimationWriter() = default;
  // One frame: Width x Height palette indices, top row first, and the 256
  // colours as blue, green, red, 0 (the engine's colour table).
  virtual bool AddFrame(const uint8_t* Indices, const uint8_t* Colors, std::string& Error) = 0;
  // Completes the file under its temporary name. It takes its own name
  // through File().Commit, once every output of the render is whole, so
  // that one failing output leaves the others' older files as they were.
  virtual bool Finish(std::string& Error) = 0;
  virtual TPartialFile& File() = 0;
};

// Whether this build has the libraries; without them the options say so.
bool GifAvailable();
bool VideoAvailable();

// Null with a one-line reason when the file cannot be started.
std::unique_ptr<TAnimationWriter> OpenGifWriter(const std::string& FileName, int Width, int Height, int Fps,
                                                std::string& Error);
// H.264 in MP4 or VP9 in WebM, by the name's ending; width and height even.
std::unique_ptr<TAnimationWriter> OpenVideoWriter(const std::string& FileName, int Width, int Height, int Fps,
                                                  std::string& Error);

// GIF delays are whole centiseconds: frame Index (from 0) is shown so long
// that the delays up to it add up to the frame times rounded, so 30 frames a
// second never drift although no single frame lasts 3 1/3 cs.
// Viewers show a delay under 2 cs as a slow 10 cs, so above 50 frames a
// second the GIF runs at 50: every 2 cs it shows the frame nearest that
// moment (within 1 cs), each for 2 cs, and the frames between are left
// out. 0 marks a frame left out.
int GifDelayCentiseconds(int Index, int Fps);

// The bounding box of the pixels whose colour differs between two frames
// (indices looked up in their own tables, packed as 0x00RRGGBB). Empty
// (Width 0) when nothing changed.
struct TChangedRect {
  int X = 0, Y = 0, Width = 0, Height = 0;
};
TChangedRect ChangedRect(const uint8_t* Before, const uint32_t* BeforeColors, const uint8_t* After,
                         const uint32_t* AfterColors, int Width, int Height);

// A file written under FileName + ".partial-<pid>" and renamed to FileName by
// Commit; removed if it was never committed.
class TPartialFile {
 public:
  explicit TPartialFile(std::string FileName);
  ~TPartialFile();
  TPartialFile(const TPartialFile&) = delete;
  TPartialFile& operator=(const TPartialFile&) = delete;
  const std::string& Path() const { return FTemp; }
  const std::string& FinalName() const { return FFinal; }
  // False with the reason when the final name is one no file can take (a
  // folder's); checked for every output before the first is committed.
  bool CanCommit(std::string& Error) const;
  bool Commit(std::string& Error);
  // A message about the temporary file, told with the name the user gave.
  std::string Named(std::string Message) const;

 private:
  std::string FFinal, FTemp;
  bool FCommitted = false;
};

}  // namespace emberdell
