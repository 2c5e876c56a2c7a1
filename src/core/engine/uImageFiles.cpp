// Picture files: BMP reading and writing by hand, JPEG through libjpeg.
//
// libjpeg reports fatal errors through error_exit and expects it never to
// return; its default ends the process. Every libjpeg call here therefore
// runs inside a small function that holds the setjmp and owns no C++ objects
// with destructors, so the longjmp back from error_exit skips nothing that
// needed cleaning up. The caller of that function creates and destroys the
// libjpeg object on every path.
#include "core/engine/uImageFiles.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>

// jpeglib.h uses FILE and size_t without including anything itself.
#include <jpeglib.h>
#include <jerror.h>

#include "core/engine/uExifOrientation.h"
#include "core/shared/uFileUtils.h"

namespace emberdell {

namespace {

// A real photograph has a handful of scans; a file with thousands is built to
// make the progressive decoder spin, so it is cut short.
constexpr int MaxJpegScans = 1000;

// libjpeg may take this much beyond twice the picture's decoded size: its
// tables, one row group and saved markers. A progressive picture holds all
// its coefficients at once, up to 8 bytes a pixel with four components.
constexpr uint64_t JpegWorkingMemory = 16ull << 20;

// Room for the headers and metadata of a picture file on top of its pixels
// when deciding whether a file is too large to be worth reading.
constexpr uint64_t FileOverhead = 1ull << 20;

std::string PictureTooLarge(uint64_t Width, uint64_t Height) {
  return "picture too large (" + std::to_string(Width) + " x " + std::to_string(Height) + ")";
}

bool ExceedsLimits(uint64_t Width, uint64_t Height, const TPictureLimits& Limits) {
  const uint64_t MaxSide = Limits.MaxSide < 0 ? 0 : static_cast<uint64_t>(Limits.MaxSide);
  // Both sides are below 2^32, so their product fits in 64 bits; dividing the
  // limit instead of multiplying by 4 keeps it that way.
  return Width > MaxSide || Height > MaxSide || Width * Height > Limits.MaxBytes / 4;
}

// ---------------------------------------------------------------------------
// Output files: every write is checked and a half-written file does not stay
// behind on disk.

class TOutputFile {
 public:
  TOutputFile() = default;
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;
  ~TOutputFile() { Abandon(); }

  bool Open(const std::string& FileName, std::string& Error) {
    FName = FileName;
    errno = 0;
    FFile = OpenFile(FileName, "wb");
    if (FFile == nullptr) {
      Error = "cannot create \"" + FileName + "\": " + SystemErrorText(errno);
      return false;
    }
    return true;
  }

  // Never throws: the JPEG writer calls this from inside libjpeg.
  bool Write(const void* Data, size_t Size) {
    if (FFailed) return false;
    errno = 0;
    if (Size != 0 && std::fwrite(Data, 1, Size, FFile) != Size) {
      FFailed = true;
      FSavedErrno = errno != 0 ? errno : EIO;
    }
    FWritten += Size;
    return !FFailed;
  }

  // Closes the file; a delayed write error (buffers flushed only now, a full
  // disk) shows up here and also removes the file.
  bool Finish(std::string& Error) {
    if (!FFailed) {
      errno = 0;
      const int Result = std::fclose(FFile);
      FFile = nullptr;
      // Some C libraries (Wine's among them) report a close whose last flush
      // found the disk full as a success: a file's length tells (a device
      // written to has none).
      if (Result == 0 && (!IsRegularFile(FName) || LengthOnDisk() == FWritten)) return true;
      FFailed = true;
      FSavedErrno = errno != 0 ? errno : ENOSPC;
    }
    Error = WriteError();
    Abandon();
    RemoveWritten();
    return false;
  }

  std::string WriteError() const {
    return "cannot write \"" + FName + "\": " + SystemErrorText(FSavedErrno);
  }

  bool HasFailed() const { return FFailed; }

  // Closes and removes what was written. Only a regular file is removed, so a
  // name like a device (a full-disk test target) is never deleted.
  void Abandon() {
    if (FFile != nullptr) {
      std::fclose(FFile);
      FFile = nullptr;
      RemoveWritten();
    }
  }

 private:
  uint64_t LengthOnDisk() const {
    std::FILE* File = OpenFile(FName, "rb");
    if (File == nullptr) return UINT64_MAX;
    const long Length = std::fseek(File, 0, SEEK_END) == 0 ? std::ftell(File) : -1;
    std::fclose(File);
    return Length < 0 ? UINT64_MAX : static_cast<uint64_t>(Length);
  }

  // The file as far as it was written; a failed close has already let go of
  // the handle, so this goes by the name.
  void RemoveWritten() {
    std::error_code Ignored;
    if (IsRegularFile(FName)) RemoveFile(FName, Ignored);
  }

 public:

 private:
  std::string FName;
  std::FILE* FFile = nullptr;
  bool FFailed = false;
  int FSavedErrno = 0;
  uint64_t FWritten = 0;
};

bool CheckWritableSize(int Width, int Height, const uint8_t* Pixels, std::string& Error) {
  if (Width <= 0 || Height <= 0) {
    Error = "cannot save a picture of " + std::to_string(Width) + " x " + std::to_string(Height) +
            " pixels";
    return false;
  }
  if (Pixels == nullptr) {
    Error = "no pixels to save";
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// libjpeg error handling shared by reading and writing.

struct TJpegErrors {
  jpeg_error_mgr Pub;  // first, so libjpeg's pointer to it is a pointer to us
  jpeg_progress_mgr Progress;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX + 80];
};

TJpegErrors& ErrorsOf(j_common_ptr Info) { return *reinterpret_cast<TJpegErrors*>(Info->err); }

[[noreturn]] void JpegErrorExit(j_common_ptr Info) {
  TJpegErrors& Errors = ErrorsOf(Info);
  // The memory limit shows as a missing backing store, which says nothing.
  if (Info->err->msg_code == JERR_NO_BACKING_STORE)
    std::snprintf(Errors.Message, sizeof Errors.Message, "JPEG decoding would need more memory than the picture may take");
  else
    (*Info->err->format_message)(Info, Errors.Message);
  std::longjmp(Errors.Jump, 1);
}

// Warnings are libjpeg repairing damaged data (corrupt entropy codes, stray
// bytes before a marker): decoding goes on and the repaired picture counts.
// Running out of data is the exception. The memory source then feeds fake
// end-of-image markers, and the lower part of the picture would be a flat
// grey fill, so a truncated file is a failure instead of a partial picture;
// stopping at once also means no time is spent decoding the fill.
void JpegEmitMessage(j_common_ptr Info, int Level) {
  if (Level >= 0) return;  // trace output
  Info->err->num_warnings++;
  if (Info->err->msg_code == JWRN_JPEG_EOF) {
    TJpegErrors& Errors = ErrorsOf(Info);
    std::snprintf(Errors.Message, sizeof Errors.Message, "JPEG data ends early (truncated file)");
    std::longjmp(Errors.Jump, 1);
  }
}

// libjpeg's default prints to stderr, which a screensaver does not have.
void JpegOutputMessage(j_common_ptr) {}

void JpegProgress(j_common_ptr Info) {
  if (!Info->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(Info)->input_scan_number > MaxJpegScans) {
    TJpegErrors& Errors = ErrorsOf(Info);
    std::snprintf(Errors.Message, sizeof Errors.Message, "JPEG file has more than %d scans",
                  MaxJpegScans);
    std::longjmp(Errors.Jump, 1);
  }
}

void InstallJpegErrors(TJpegErrors& Errors) {
  std::memset(&Errors, 0, sizeof Errors);
  jpeg_std_error(&Errors.Pub);
  Errors.Pub.error_exit = JpegErrorExit;
  Errors.Pub.emit_message = JpegEmitMessage;
  Errors.Pub.output_message = JpegOutputMessage;
  Errors.Progress.progress_monitor = JpegProgress;
}

// ---------------------------------------------------------------------------
// JPEG decoding.

void SetMessage(TJpegErrors& Errors, const std::string& Text) {
  std::snprintf(Errors.Message, sizeof Errors.Message, "%s", Text.c_str());
}

// Rows a libjpeg call is asked for: few enough that they are still in the
// cache when the rows are turned or fitted, enough to make each call count.
constexpr int JpegBatchRows = 16;

// CMYK rows to B, G, R, 0. libjpeg's own output formats cover every other
// colour space.
void ConvertCmykRow(const JSAMPLE* Row, bool InvertedCmyk, JDIMENSION Width, uint8_t* Target) {
  for (JDIMENSION X = 0; X < Width; ++X, Target += 4) {
    // Adobe's files (and so nearly every CMYK JPEG) store 255 - ink; the
    // rest store the ink itself. Either way the light left over is the
    // product of the paper left by the colour ink and by the black.
    unsigned C = Row[4 * X], M = Row[4 * X + 1], Y = Row[4 * X + 2], K = Row[4 * X + 3];
    if (!InvertedCmyk) {
      C = 255 - C;
      M = 255 - M;
      Y = 255 - Y;
      K = 255 - K;
    }
    Target[0] = static_cast<uint8_t>((Y * K + 127) / 255);
    Target[1] = static_cast<uint8_t>((M * K + 127) / 255);
    Target[2] = static_cast<uint8_t>((C * K + 127) / 255);
    Target[3] = 0;
  }
}

bool ArithmeticCoded(const jpeg_decompress_struct& Info) { return Info.arith_code != FALSE; }

// The fewest bytes a Huffman-coded file of this layout can hold: every scan
// codes each block of its components with at least one bit, and a file
// codes every component, so at least the least-sampled component's blocks
// at a bit each. A broken file that claims a vast picture in a few hundred
// bytes is refused before anything is allocated for it. Arithmetic coding
// can go below a bit a block, so it is not judged this way.
uint64_t MinimumHuffmanBytes(const jpeg_decompress_struct& Info) {
  uint64_t Fewest = UINT64_MAX;
  for (int c = 0; c < Info.num_components; ++c) {
    const jpeg_component_info& Component = Info.comp_info[c];
    Fewest = std::min<uint64_t>(Fewest, uint64_t{Component.width_in_blocks} * Component.height_in_blocks);
  }
  return Fewest == UINT64_MAX ? 0 : Fewest / 8;
}

// At most twice the decoded picture's size and at most the largest picture
// accepted: every real layout fits, a broken one costs no more.
uint64_t JpegMemoryBudget(uint64_t Width, uint64_t Height, const TPictureLimits& Limits) {
  const uint64_t Twice = Width * Height * 8 + JpegWorkingMemory;
  const uint64_t Cap = std::max<uint64_t>(Limits.MaxBytes, JpegWorkingMemory);
  // libjpeg counts in long, 32 bits on Windows.
  return std::min<uint64_t>({Twice, Cap, 0x7FFFFFFFull});
}

TOrientation SavedOrientation(const jpeg_decompress_struct& Info) {
  for (jpeg_saved_marker_ptr Marker = Info.marker_list; Marker != nullptr; Marker = Marker->next) {
    if (Marker->marker != JPEG_APP0 + 1) continue;
    const TOrientation Found = ExifOrientation(Marker->data, Marker->data_length);
    // Other APP1 blocks (XMP) come before or after; the first Exif one counts.
    if (Marker->data_length >= 6 && std::memcmp(Marker->data, "Exif\0\0", 6) == 0) return Found;
  }
  return TOrientation::AsStored;
}

// Holds the setjmp: nothing with a destructor may be alive across a libjpeg
// call in here.
bool RunDecompress(jpeg_decompress_struct& Info, TJpegErrors& Errors, const uint8_t* Data,
                   size_t Size, TJpegRowSink& Sink, const TPictureLimits& Limits) {
  if (setjmp(Errors.Jump)) return false;
  jpeg_create_decompress(&Info);
  Info.progress = &Errors.Progress;
  jpeg_mem_src(&Info, Data, static_cast<unsigned long>(Size));
  // The Exif block, for the orientation a phone records.
  jpeg_save_markers(&Info, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&Info, TRUE);

  const JDIMENSION Width = Info.image_width, Height = Info.image_height;
  if (Width == 0 || Height == 0) {
    SetMessage(Errors, "JPEG picture has no pixels");
    return false;
  }
  if (ExceedsLimits(Width, Height, Limits)) {
    SetMessage(Errors, PictureTooLarge(Width, Height));
    return false;
  }
  if (!ArithmeticCoded(Info) && Size < MinimumHuffmanBytes(Info)) {
    SetMessage(Errors, "JPEG file too small for a picture of " + std::to_string(Width) + " x " +
                           std::to_string(Height) + " pixels");
    return false;
  }
  // Without a backing store, libjpeg's memory manager fails the decode
  // cleanly, before allocating, when a file asks for more than this.
  Info.mem->max_memory_to_use = static_cast<long>(JpegMemoryBudget(Width, Height, Limits));
  bool Cmyk = false;
  switch (Info.jpeg_color_space) {
    // The library writes our pixel layout itself, with the same colour
    // conversion as for plain RGB.
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB: Info.out_color_space = JCS_EXT_BGRX; break;
    case JCS_CMYK:
    case JCS_YCCK:
      Info.out_color_space = JCS_CMYK;
      Cmyk = true;
      break;
    default:
      SetMessage(Errors, "unsupported JPEG colour space (" +
                             std::to_string(Info.num_components) + " components)");
      return false;
  }
  jpeg_start_decompress(&Info);
  if (Info.output_width != Width || Info.output_height != Height) {
    SetMessage(Errors, "JPEG decoder changed the picture size");
    return false;
  }
  const bool InvertedCmyk = Info.saw_Adobe_marker;
  JSAMPARRAY CmykRows = nullptr;
  if (Cmyk)
    CmykRows = (*Info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&Info), JPOOL_IMAGE, Width * 4,
                                         JpegBatchRows);
  if (!Sink.Start(static_cast<int>(Width), static_cast<int>(Height), SavedOrientation(Info))) {
    SetMessage(Errors, "not enough memory for the picture");
    return false;
  }
  uint8_t* Rows[JpegBatchRows];
  while (Info.output_scanline < Height) {
    const JDIMENSION Y = Info.output_scanline;
    const int Count = Sink.Room(static_cast<int>(Y), static_cast<int>(std::min<JDIMENSION>(JpegBatchRows, Height - Y)), Rows);
    if (Count <= 0) {
      SetMessage(Errors, "no room for the decoded picture");
      return false;
    }
    JSAMPARRAY Target = Cmyk ? CmykRows : reinterpret_cast<JSAMPARRAY>(Rows);
    for (JDIMENSION Done = 0; Done < static_cast<JDIMENSION>(Count);) {
      // The memory source never suspends, so no progress means a broken
      // decoder state; refuse rather than loop.
      const JDIMENSION Got = jpeg_read_scanlines(&Info, Target + Done, static_cast<JDIMENSION>(Count) - Done);
      if (Got == 0) {
        SetMessage(Errors, "JPEG decoder stopped early");
        return false;
      }
      Done += Got;
    }
    if (Cmyk)
      for (int k = 0; k < Count; ++k) ConvertCmykRow(CmykRows[k], InvertedCmyk, Width, Rows[k]);
    Sink.Filled(static_cast<int>(Y), Count);
  }
  jpeg_finish_decompress(&Info);
  return true;
}

// Keeps the whole picture, turned upright as it arrives. Rows that keep their
// order and direction are decoded straight into place.
class TPictureSink final : public TJpegRowSink {
 public:
  explicit TPictureSink(TPixelImage& Out) : FOut(Out) {}

  bool Start(int Width, int Height, TOrientation Orientation) override {
    FWidth = Width;
    FLayout = OrientedLayout(Orientation, Width, Height);
    FOut.Pixels.assign(static_cast<size_t>(Width) * Height * 4, 0);
    FOut.Width = FLayout.UprightWidth;
    FOut.Height = FLayout.UprightHeight;
    if (!InPlace()) FBatch.assign(static_cast<size_t>(Width) * 4 * JpegBatchRows, 0);
    return true;
  }

  int Room(int Y, int Count, uint8_t** Rows) override {
    for (int k = 0; k < Count; ++k)
      Rows[k] = InPlace() ? Pixel(FLayout.RowStart(Y + k) + (FLayout.Step < 0 ? 1 - FWidth : 0))
                          : FBatch.data() + static_cast<size_t>(k) * FWidth * 4;
    return Count;
  }

  void Filled(int Y, int Count) override {
    if (InPlace()) {
      for (int k = 0; k < Count; ++k) {
        uint8_t* Row = Pixel(FLayout.RowStart(Y + k) + (FLayout.Step < 0 ? 1 - FWidth : 0));
        if (FLayout.Step < 0) ReversePixels(Row, FWidth);
        ClearFourth(Row, FWidth);
      }
      return;
    }
    // A quarter turn: a batch of rows becomes a run of adjacent pixels in
    // each upright row, written a run at a time.
    for (int X = 0; X < FWidth; ++X) {
      const int64_t First = FLayout.RowStart(Y) + X * FLayout.Step;
      const int64_t Along = FLayout.RowStart(Y + 1) - FLayout.RowStart(Y);
      for (int k = 0; k < Count; ++k) {
        uint32_t v;
        std::memcpy(&v, FBatch.data() + (static_cast<size_t>(k) * FWidth + X) * 4, 4);
        v &= 0x00FFFFFFu;
        std::memcpy(Pixel(First + k * Along), &v, 4);
      }
    }
  }

 private:
  bool InPlace() const { return FLayout.Step == 1 || FLayout.Step == -1; }
  uint8_t* Pixel(int64_t Index) { return FOut.Pixels.data() + static_cast<size_t>(Index) * 4; }

  static void ReversePixels(uint8_t* Row, int Width) {
    for (int a = 0, b = Width - 1; a < b; ++a, --b) {
      uint32_t Left, Right;
      std::memcpy(&Left, Row + static_cast<size_t>(a) * 4, 4);
      std::memcpy(&Right, Row + static_cast<size_t>(b) * 4, 4);
      std::memcpy(Row + static_cast<size_t>(a) * 4, &Right, 4);
      std::memcpy(Row + static_cast<size_t>(b) * 4, &Left, 4);
    }
  }

  // The library sets the fourth byte to 255; a decoded picture has always
  // had 0 there.
  static void ClearFourth(uint8_t* Row, int Width) {
    for (int X = 0; X < Width; ++X) Row[static_cast<size_t>(X) * 4 + 3] = 0;
  }

  TPixelImage& FOut;
  int FWidth = 0;
  TOrientedLayout FLayout;
  std::vector<uint8_t> FBatch;
};

// ---------------------------------------------------------------------------
// JPEG encoding straight into the output file.

struct TJpegFileDestination {
  jpeg_destination_mgr Pub;  // first, see TJpegErrors
  TOutputFile* File;
  JOCTET* Buffer;
  size_t BufferSize;
};

TJpegFileDestination& DestinationOf(j_compress_ptr Info) {
  return *reinterpret_cast<TJpegFileDestination*>(Info->dest);
}

void JpegInitDestination(j_compress_ptr Info) {
  TJpegFileDestination& Dest = DestinationOf(Info);
  Dest.Pub.next_output_byte = Dest.Buffer;
  Dest.Pub.free_in_buffer = Dest.BufferSize;
}

boolean JpegEmptyBuffer(j_compress_ptr Info) {
  TJpegFileDestination& Dest = DestinationOf(Info);
  // libjpeg wants the whole buffer written, whatever free_in_buffer says.
  if (!Dest.File->Write(Dest.Buffer, Dest.BufferSize)) ERREXIT(Info, JERR_FILE_WRITE);
  Dest.Pub.next_output_byte = Dest.Buffer;
  Dest.Pub.free_in_buffer = Dest.BufferSize;
  return TRUE;
}

void JpegTermDestination(j_compress_ptr Info) {
  TJpegFileDestination& Dest = DestinationOf(Info);
  if (!Dest.File->Write(Dest.Buffer, Dest.BufferSize - Dest.Pub.free_in_buffer))
    ERREXIT(Info, JERR_FILE_WRITE);
}

// Holds the setjmp: nothing with a destructor may be alive across a libjpeg
// call in here.
bool RunCompress(jpeg_compress_struct& Info, TJpegErrors& Errors, TJpegFileDestination& Dest,
                 int Width, int Height, const uint8_t* Pixels, int Quality, bool Progressive,
                 JSAMPLE* RowBuffer) {
  if (setjmp(Errors.Jump)) return false;
  jpeg_create_compress(&Info);
  Dest.Pub.init_destination = JpegInitDestination;
  Dest.Pub.empty_output_buffer = JpegEmptyBuffer;
  Dest.Pub.term_destination = JpegTermDestination;
  Info.dest = &Dest.Pub;
  Info.image_width = static_cast<JDIMENSION>(Width);
  Info.image_height = static_cast<JDIMENSION>(Height);
  Info.input_components = 3;
  Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Info);
  jpeg_set_quality(&Info, Quality, TRUE);
  if (Progressive) jpeg_simple_progression(&Info);
  jpeg_start_compress(&Info, TRUE);
  const size_t Stride = static_cast<size_t>(Width) * 4;
  while (Info.next_scanline < Info.image_height) {
    const uint8_t* Source = Pixels + Info.next_scanline * Stride;
    for (int X = 0; X < Width; ++X) {
      RowBuffer[3 * X] = Source[4 * X + 2];
      RowBuffer[3 * X + 1] = Source[4 * X + 1];
      RowBuffer[3 * X + 2] = Source[4 * X];
    }
    JSAMPROW Row = RowBuffer;
    jpeg_write_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_compress(&Info);
  return true;
}

// ---------------------------------------------------------------------------
// Little-endian fields of the bitmap headers.

uint16_t Read16(const uint8_t* P) { return static_cast<uint16_t>(P[0] | P[1] << 8); }

uint32_t Read32(const uint8_t* P) {
  return static_cast<uint32_t>(P[0]) | static_cast<uint32_t>(P[1]) << 8 |
         static_cast<uint32_t>(P[2]) << 16 | static_cast<uint32_t>(P[3]) << 24;
}

void Put16(uint8_t* P, uint32_t V) {
  P[0] = static_cast<uint8_t>(V);
  P[1] = static_cast<uint8_t>(V >> 8);
}

void Put32(uint8_t* P, uint32_t V) {
  Put16(P, V);
  Put16(P + 2, V >> 16);
}

constexpr size_t BmpFileHeaderSize = 14;
constexpr size_t BmpInfoHeaderSize = 40;
constexpr uint32_t BiRgb = 0;
constexpr uint32_t BiBitfields = 3;

const char* CompressionName(uint32_t Compression) {
  switch (Compression) {
    case 1: return "RLE8";
    case 2: return "RLE4";
    case 3: return "bit fields";
    case 4: return "JPEG";
    case 5: return "PNG";
    case 6: return "alpha bit fields";
    default: return "unknown";
  }
}

}  // namespace

// ---------------------------------------------------------------------------

bool DecodeJpegRows(const uint8_t* Data, size_t Size, TJpegRowSink& Sink, std::string& Error,
                    const TPictureLimits& Limits) {
  if (Data == nullptr || Size == 0) {
    Error = "empty JPEG data";
    return false;
  }
  if (Size > 0xFFFFFFFFull) {  // libjpeg counts in unsigned long, 32 bits on Windows
    Error = "JPEG data too large";
    return false;
  }
  jpeg_decompress_struct Info;
  std::memset(&Info, 0, sizeof Info);  // a failed create must still destroy cleanly
  TJpegErrors Errors;
  InstallJpegErrors(Errors);
  Info.err = &Errors.Pub;
  bool Ok = false;
  try {
    Ok = RunDecompress(Info, Errors, Data, Size, Sink, Limits);
  } catch (const std::bad_alloc&) {
    SetMessage(Errors, "not enough memory for the picture");
  }
  jpeg_destroy_decompress(&Info);
  if (!Ok) Error = Errors.Message[0] != '\0' ? Errors.Message : "JPEG decoding failed";
  return Ok;
}

bool DecodeJpeg(const uint8_t* Data, size_t Size, TPixelImage& Out, std::string& Error,
                const TPictureLimits& Limits) {
  Out = TPixelImage{};
  TPictureSink Sink(Out);
  const bool Ok = DecodeJpegRows(Data, Size, Sink, Error, Limits);
  if (!Ok) Out = TPixelImage{};
  return Ok;
}

bool DecodeBmp(const uint8_t* Data, size_t Size, TPixelImage& Out, std::string& Error,
               const TPictureLimits& Limits) {
  Out = TPixelImage{};
  if (Data == nullptr || Size < BmpFileHeaderSize + 4 || Data[0] != 'B' || Data[1] != 'M') {
    Error = "not a bitmap file";
    return false;
  }
  // The file size field at offset 2 is often wrong in files from the wild and
  // is not needed: every read below is checked against the real size.
  const uint64_t PixelOffset = Read32(Data + 10);
  const uint64_t HeaderSize = Read32(Data + BmpFileHeaderSize);
  if (HeaderSize < BmpInfoHeaderSize) {
    Error = "unsupported bitmap header (" + std::to_string(HeaderSize) + " bytes)";
    return false;
  }
  if (BmpFileHeaderSize + HeaderSize > Size) {
    Error = "bitmap header is cut off";
    return false;
  }
  const uint8_t* Header = Data + BmpFileHeaderSize;
  const int32_t RawWidth = static_cast<int32_t>(Read32(Header + 4));
  const int32_t RawHeight = static_cast<int32_t>(Read32(Header + 8));
  const unsigned BitCount = Read16(Header + 14);
  const uint32_t Compression = Read32(Header + 16);

  if (BitCount != 24 && BitCount != 32) {
    Error = "unsupported bitmap depth (" + std::to_string(BitCount) +
            " bits per pixel; only 24 and 32 are read)";
    return false;
  }
  if (Compression == BiBitfields && BitCount == 32) {
    // The masks follow a 40-byte header and sit inside the later headers, at
    // the same place either way.
    const size_t MaskOffset = BmpFileHeaderSize + BmpInfoHeaderSize;
    if (MaskOffset + 12 > Size) {
      Error = "bitmap colour masks are cut off";
      return false;
    }
    if (Read32(Data + MaskOffset) != 0x00FF0000u || Read32(Data + MaskOffset + 4) != 0x0000FF00u ||
        Read32(Data + MaskOffset + 8) != 0x000000FFu) {
      Error = "unsupported bitmap colour masks";
      return false;
    }
  } else if (Compression != BiRgb) {
    Error = std::string("unsupported bitmap compression (") + CompressionName(Compression) + ", " +
            std::to_string(Compression) + ")";
    return false;
  }
  if (RawWidth <= 0 || RawHeight == 0 || RawHeight == INT32_MIN) {
    Error = "bitmap has an invalid size (" + std::to_string(RawWidth) + " x " +
            std::to_string(RawHeight) + ")";
    return false;
  }
  const bool TopDown = RawHeight < 0;
  const uint64_t Width = static_cast<uint64_t>(RawWidth);
  const uint64_t Height = TopDown ? static_cast<uint64_t>(-static_cast<int64_t>(RawHeight))
                                  : static_cast<uint64_t>(RawHeight);
  if (ExceedsLimits(Width, Height, Limits)) {
    Error = PictureTooLarge(Width, Height);
    return false;
  }
  const uint64_t BytesPerPixel = BitCount / 8;
  const uint64_t Stride = (Width * BytesPerPixel + 3) / 4 * 4;
  // Some writers leave out the padding after the last row; the pixels
  // themselves must all be there.
  const uint64_t Needed = Stride * (Height - 1) + Width * BytesPerPixel;
  if (PixelOffset < BmpFileHeaderSize + HeaderSize || PixelOffset > Size ||
      Needed > Size - PixelOffset) {
    Error = "bitmap pixel data is cut off or misplaced";
    return false;
  }

  try {
    Out.Pixels.assign(static_cast<size_t>(Width * Height * 4), 0);
  } catch (const std::bad_alloc&) {
    Out = TPixelImage{};
    Error = "not enough memory for the picture";
    return false;
  }
  Out.Width = static_cast<int>(Width);
  Out.Height = static_cast<int>(Height);
  for (uint64_t Y = 0; Y < Height; ++Y) {
    const uint64_t FileRow = TopDown ? Y : Height - 1 - Y;
    const uint8_t* Source = Data + PixelOffset + FileRow * Stride;
    uint8_t* Target = Out.Pixels.data() + Y * Width * 4;
    for (uint64_t X = 0; X < Width; ++X, Source += BytesPerPixel, Target += 4) {
      Target[0] = Source[0];
      Target[1] = Source[1];
      Target[2] = Source[2];
    }
  }
  return true;
}

bool ReadPictureFile(const std::string& FileName, TPixelImage& Out, std::string& Error,
                     const TPictureLimits& Limits) {
  Out = TPixelImage{};
  // No sensible picture file is much larger than its decoded pixels.
  const uint64_t MaxFileBytes = std::min<uint64_t>(Limits.MaxBytes + FileOverhead, 1ull << 31);
  std::vector<uint8_t> Bytes;
  if (!ReadWholeFile(FileName, Bytes, Error, MaxFileBytes)) return false;
  bool Ok;
  if (Bytes.size() >= 2 && Bytes[0] == 0xFF && Bytes[1] == 0xD8) {
    Ok = DecodeJpeg(Bytes.data(), Bytes.size(), Out, Error, Limits);
  } else if (Bytes.size() >= 2 && Bytes[0] == 'B' && Bytes[1] == 'M') {
    Ok = DecodeBmp(Bytes.data(), Bytes.size(), Out, Error, Limits);
  } else {
    Error = "not a BMP or JPEG picture";
    return false;
  }
  if (!Ok) Error = "\"" + FileName + "\": " + Error;
  return Ok;
}

bool WriteBmpFile(const std::string& FileName, int Width, int Height, const uint8_t* Pixels,
                  std::string& Error) {
  if (!CheckWritableSize(Width, Height, Pixels, Error)) return false;
  const uint64_t Stride = (static_cast<uint64_t>(Width) * 3 + 3) / 4 * 4;
  const uint64_t ImageBytes = Stride * static_cast<uint64_t>(Height);
  const uint64_t FileBytes = BmpFileHeaderSize + BmpInfoHeaderSize + ImageBytes;
  if (FileBytes > 0xFFFFFFFFull) {
    Error = PictureTooLarge(static_cast<uint64_t>(Width), static_cast<uint64_t>(Height)) +
            " for a bitmap file";
    return false;
  }

  uint8_t Header[BmpFileHeaderSize + BmpInfoHeaderSize] = {};
  Header[0] = 'B';
  Header[1] = 'M';
  Put32(Header + 2, static_cast<uint32_t>(FileBytes));
  Put32(Header + 10, static_cast<uint32_t>(sizeof Header));
  uint8_t* Info = Header + BmpFileHeaderSize;
  Put32(Info, BmpInfoHeaderSize);
  Put32(Info + 4, static_cast<uint32_t>(Width));
  Put32(Info + 8, static_cast<uint32_t>(Height));  // positive: bottom row first
  Put16(Info + 12, 1);
  Put16(Info + 14, 24);
  Put32(Info + 16, BiRgb);
  Put32(Info + 20, static_cast<uint32_t>(ImageBytes));
  // Resolution stays 0: a screenshot has no physical size, and readers then
  // assume the screen's own resolution.

  std::vector<uint8_t> Row;
  try {
    Row.assign(static_cast<size_t>(Stride), 0);
  } catch (const std::bad_alloc&) {
    Error = "not enough memory to save the picture";
    return false;
  }
  TOutputFile File;
  if (!File.Open(FileName, Error)) return false;
  bool Ok = File.Write(Header, sizeof Header);
  const size_t SourceStride = static_cast<size_t>(Width) * 4;
  for (int Y = Height - 1; Ok && Y >= 0; --Y) {
    const uint8_t* Source = Pixels + static_cast<size_t>(Y) * SourceStride;
    for (int X = 0; X < Width; ++X) {
      Row[3 * static_cast<size_t>(X)] = Source[4 * X];
      Row[3 * static_cast<size_t>(X) + 1] = Source[4 * X + 1];
      Row[3 * static_cast<size_t>(X) + 2] = Source[4 * X + 2];
    }
    Ok = File.Write(Row.data(), Row.size());
  }
  return File.Finish(Error);
}

bool WriteJpegFile(const std::string& FileName, int Width, int Height, const uint8_t* Pixels,
                   int Quality, bool Progressive, std::string& Error) {
  if (!CheckWritableSize(Width, Height, Pixels, Error)) return false;
  if (Width > JPEG_MAX_DIMENSION || Height > JPEG_MAX_DIMENSION) {
    Error = PictureTooLarge(static_cast<uint64_t>(Width), static_cast<uint64_t>(Height)) +
            " for a JPEG file";
    return false;
  }
  std::vector<JSAMPLE> Row;
  std::vector<JOCTET> Buffer;
  try {
    Row.assign(static_cast<size_t>(Width) * 3, 0);
    Buffer.assign(size_t{1} << 16, 0);
  } catch (const std::bad_alloc&) {
    Error = "not enough memory to save the picture";
    return false;
  }
  TOutputFile File;
  if (!File.Open(FileName, Error)) return false;

  TJpegFileDestination Dest;
  std::memset(&Dest, 0, sizeof Dest);
  Dest.File = &File;
  Dest.Buffer = Buffer.data();
  Dest.BufferSize = Buffer.size();
  jpeg_compress_struct Info;
  std::memset(&Info, 0, sizeof Info);
  TJpegErrors Errors;
  InstallJpegErrors(Errors);
  Info.err = &Errors.Pub;
  const bool Ok =
      RunCompress(Info, Errors, Dest, Width, Height, Pixels, Quality, Progressive, Row.data());
  jpeg_destroy_compress(&Info);
  if (!Ok) {
    // A failed write is told with the system's reason, not libjpeg's guess.
    Error = File.HasFailed() ? File.WriteError()
                             : "cannot encode \"" + FileName + "\": " + Errors.Message;
    File.Abandon();
    return false;
  }
  return File.Finish(Error);
}

}  // namespace emberdell
