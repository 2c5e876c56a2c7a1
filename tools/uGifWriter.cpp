// Animated GIF through giflib. A frame of the fire is already what a GIF
// frame is, 8-bit indices and a table of 256 colours, so every frame is
// stored exactly: its own colour table, and of its indices only the
// rectangle whose colours differ from the frame before.
#include "tools/uAnimation.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#ifdef EMBERDELL_HAVE_GIFLIB
#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>
#endif

namespace emberdell {

#ifndef EMBERDELL_HAVE_GIFLIB

bool GifAvailable() { return false; }

std::unique_ptr<TAnimationWriter> OpenGifWriter(const std::string&, int, int, int, std::string& Error) {
  Error = "--gif is not available: this renderer was built without giflib (libgif-dev)";
  return nullptr;
}

#else

bool GifAvailable() { return true; }

namespace {

uint32_t Packed(const uint8_t* Bgr0) { return uint32_t(Bgr0[2]) << 16 | uint32_t(Bgr0[1]) << 8 | Bgr0[0]; }

class TGifWriter final : public TAnimationWriter {
 public:
  TGifWriter(const std::string& FileName, int Width, int Height, int Fps)
      : FFile(FileName), FWidth(Width), FHeight(Height), FFps(Fps) {}
  ~TGifWriter() override { Close(nullptr); }

  bool Open(std::string& Error) {
    int Code = 0;
    errno = 0;
    // Opened here rather than by giflib, which would make the file private.
    const int Handle = open(FFile.Path().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (Handle < 0) return Fail(E_GIF_ERR_OPEN_FAILED, Error);
    FGif = EGifOpenFileHandle(Handle, &Code);
    if (FGif == nullptr) close(Handle);
    if (FGif == nullptr) return Fail(Code, Error);
    EGifSetGifVersion(FGif, true);
    if (EGifPutScreenDesc(FGif, FWidth, FHeight, 8, 0, nullptr) == GIF_ERROR) return Fail(FGif->Error, Error);
    // Loop for ever: the README and live wallpapers show it that way.
    static const GifByteType Loop[3] = {1, 0, 0};
    if (EGifPutExtensionLeader(FGif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(FGif, 11, "NETSCAPE2.0") == GIF_ERROR ||
        EGifPutExtensionBlock(FGif, 3, Loop) == GIF_ERROR || EGifPutExtensionTrailer(FGif) == GIF_ERROR)
      return Fail(FGif->Error, Error);
    FMap = GifMakeMapObject(256, nullptr);
    if (FMap == nullptr) throw std::bad_alloc();
    return true;
  }

  bool AddFrame(const uint8_t* Indices, const uint8_t* Colors, std::string& Error) override {
    const int Delay = GifDelayCentiseconds(FFrame++, FFps);
    // Left out: the frame shown before goes on for its time.
    if (Delay == 0) return true;
    uint32_t Table[256];
    for (int i = 0; i < 256; ++i) {
      Table[i] = Packed(Colors + 4 * i);
      FMap->Colors[i] = GifColorType{Colors[4 * i + 2], Colors[4 * i + 1], Colors[4 * i]};
    }
    TChangedRect R{0, 0, FWidth, FHeight};
    if (!FPrevious.empty()) {
      R = ChangedRect(FPrevious.data(), FPreviousTable, Indices, Table, FWidth, FHeight);
      // Nothing changed: one pixel carries the frame's delay.
      if (R.Width == 0) R = TChangedRect{0, 0, 1, 1};
    }
    GraphicsControlBlock Control{};
    Control.DisposalMode = DISPOSE_DO_NOT;
    Control.UserInputFlag = false;
    Control.DelayTime = Delay;
    Control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType Extension[4];
    const size_t Length = EGifGCBToExtension(&Control, Extension);
    if (EGifPutExtension(FGif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(Length), Extension) == GIF_ERROR ||
        EGifPutImageDesc(FGif, R.X, R.Y, R.Width, R.Height, false, FMap) == GIF_ERROR)
      return Fail(FGif->Error, Error);
    for (int y = R.Y; y < R.Y + R.Height; ++y) {
      // giflib does not write through the line it is given.
      auto* Line = const_cast<GifPixelType*>(Indices + static_cast<size_t>(y) * FWidth + R.X);
      if (EGifPutLine(FGif, Line, R.Width) == GIF_ERROR) return Fail(FGif->Error, Error);
    }
    FPrevious.assign(Indices, Indices + static_cast<size_t>(FWidth) * FHeight);
    std::memcpy(FPreviousTable, Table, sizeof Table);
    return true;
  }

  bool Finish(std::string& Error) override { return Close(&Error); }
  TPartialFile& File() override { return FFile; }

 private:
  bool Fail(int Code, std::string& Error) {
    // The renderer tells a lack of memory in its own words, whoever ran out.
    if (Code == E_GIF_ERR_NOT_ENOUGH_MEM) throw std::bad_alloc();
    Error = "cannot write " + FFile.FinalName() + ": " +
            (Code == E_GIF_ERR_WRITE_FAILED || Code == E_GIF_ERR_OPEN_FAILED ? std::strerror(errno)
                                                                              : GifErrorString(Code));
    return false;
  }
  // Closing writes the trailer; the file is whole only if that worked.
  bool Close(std::string* Error) {
    bool Ok = true;
    if (FGif != nullptr) {
      int Code = 0;
      errno = 0;
      if (EGifCloseFile(FGif, &Code) == GIF_ERROR) {
        Ok = false;
        if (Error != nullptr) Fail(Code, *Error);
      }
      FGif = nullptr;
    }
    if (FMap != nullptr) GifFreeMapObject(FMap);
    FMap = nullptr;
    return Ok;
  }

  TPartialFile FFile;
  const int FWidth, FHeight, FFps;
  GifFileType* FGif = nullptr;
  ColorMapObject* FMap = nullptr;
  int FFrame = 0;
  std::vector<uint8_t> FPrevious;
  uint32_t FPreviousTable[256] = {};
};

}  // namespace

std::unique_ptr<TAnimationWriter> OpenGifWriter(const std::string& FileName, int Width, int Height, int Fps,
                                                std::string& Error) {
  if (Width > 65535 || Height > 65535) {
    Error = "--gif frames are at most 65535 pixels on a side";
    return nullptr;
  }
  auto Writer = std::make_unique<TGifWriter>(FileName, Width, Height, Fps);
  if (!Writer->Open(Error)) return nullptr;
  return Writer;
}

#endif

}  // namespace emberdell
