// Video through FFmpeg's libraries: H.264 in MP4 for sharing, VP9 in WebM
// for the web and live-wallpaper programs. Each frame is expanded through
// its colour table, converted to 4:2:0 and handed to the encoder at once.
#include "tools/uAnimation.h"

#include <cctype>
#include <cstring>
#include <new>
#include <vector>

#ifdef EMBERDELL_HAVE_FFMPEG
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}
#endif

namespace emberdell {

#ifndef EMBERDELL_HAVE_FFMPEG

bool VideoAvailable() { return false; }

std::unique_ptr<TAnimationWriter> OpenVideoWriter(const std::string&, int, int, int, std::string& Error) {
  Error = "--video is not available: this renderer was built without FFmpeg's libraries (libavcodec-dev, "
          "libavformat-dev, libavutil-dev, libswscale-dev)";
  return nullptr;
}

#else

bool VideoAvailable() { return true; }

namespace {

bool EndsWith(const std::string& s, const std::string& Suffix) {
  if (s.size() < Suffix.size()) return false;
  for (size_t i = 0; i < Suffix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - Suffix.size() + i])) != Suffix[i]) return false;
  return true;
}

std::string AvError(int Code) {
  char Text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(Code, Text, sizeof Text);
  return Text;
}

class TVideoWriter final : public TAnimationWriter {
 public:
  TVideoWriter(const std::string& FileName, int Width, int Height, int Fps)
      : FFile(FileName), FWidth(Width), FHeight(Height), FFps(Fps) {}
  ~TVideoWriter() override {
    if (FFormat != nullptr && FFormat->pb != nullptr) avio_closep(&FFormat->pb);
    avformat_free_context(FFormat);
    avcodec_free_context(&FCodec);
    av_frame_free(&FFrame);
    av_packet_free(&FPacket);
    sws_freeContext(FScale);
  }

  bool Open(std::string& Error) {
    const bool Mp4 = EndsWith(FFile.FinalName(), ".mp4");
    const AVCodec* Codec = avcodec_find_encoder(Mp4 ? AV_CODEC_ID_H264 : AV_CODEC_ID_VP9);
    if (Codec == nullptr) {
      Error = std::string("--video: this FFmpeg has no ") + (Mp4 ? "H.264" : "VP9") + " encoder";
      return false;
    }
    int Code = avformat_alloc_output_context2(&FFormat, nullptr, Mp4 ? "mp4" : "webm", FFile.Path().c_str());
    if (Code < 0) return Fail(Code, Error);
    FStream = avformat_new_stream(FFormat, nullptr);
    FCodec = avcodec_alloc_context3(Codec);
    FFrame = av_frame_alloc();
    FPacket = av_packet_alloc();
    if (FStream == nullptr || FCodec == nullptr || FFrame == nullptr || FPacket == nullptr)
      return Fail(AVERROR(ENOMEM), Error);
    FCodec->width = FWidth;
    FCodec->height = FHeight;
    FCodec->time_base = AVRational{1, FFps};
    FCodec->framerate = AVRational{FFps, 1};
    FCodec->pix_fmt = AV_PIX_FMT_YUV420P;
    FCodec->colorspace = AVCOL_SPC_SMPTE170M;  // the matrix the conversion below uses
    FCodec->color_range = AVCOL_RANGE_MPEG;
    // One encoder thread: a second one costs a whole set of frame buffers
    // and, on a machine the fire itself keeps busy, gains little.
    FCodec->thread_count = 1;
    if (FFormat->oformat->flags & AVFMT_GLOBALHEADER) FCodec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (Mp4) {
      av_opt_set(FCodec->priv_data, "preset", "fast", 0);
      av_opt_set(FCodec->priv_data, "crf", "20", 0);
      // A short look-ahead keeps few of a 1080p encoder's frames in memory.
      av_opt_set(FCodec->priv_data, "x264-params", "rc-lookahead=5:sync-lookahead=0", 0);
    } else {
      FCodec->bit_rate = 0;  // constant quality
      av_opt_set(FCodec->priv_data, "crf", "32", 0);
      // The real-time mode is many times faster than "good" here and, with
      // no frames held back, needs the least memory.
      av_opt_set(FCodec->priv_data, "deadline", "realtime", 0);
      av_opt_set(FCodec->priv_data, "cpu-used", "8", 0);
      av_opt_set(FCodec->priv_data, "lag-in-frames", "0", 0);
    }
    if ((Code = avcodec_open2(FCodec, Codec, nullptr)) < 0) return Fail(Code, Error);
    if ((Code = avcodec_parameters_from_context(FStream->codecpar, FCodec)) < 0) return Fail(Code, Error);
    FStream->time_base = FCodec->time_base;
    FStream->avg_frame_rate = FCodec->framerate;
    if ((Code = avio_open(&FFormat->pb, FFile.Path().c_str(), AVIO_FLAG_WRITE)) < 0) return Fail(Code, Error);
    AVDictionary* Options = nullptr;
    // The index goes to the front so that a player can start before the end arrives.
    if (Mp4) av_dict_set(&Options, "movflags", "+faststart", 0);
    Code = avformat_write_header(FFormat, &Options);
    av_dict_free(&Options);
    if (Code < 0) return Fail(Code, Error);

    FFrame->format = AV_PIX_FMT_YUV420P;
    FFrame->width = FWidth;
    FFrame->height = FHeight;
    if ((Code = av_frame_get_buffer(FFrame, 0)) < 0) return Fail(Code, Error);
    FScale = sws_getContext(FWidth, FHeight, AV_PIX_FMT_BGR0, FWidth, FHeight, AV_PIX_FMT_YUV420P,
                            SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (FScale == nullptr) {
      Error = "--video: cannot convert frames of " + std::to_string(FWidth) + "x" + std::to_string(FHeight);
      return false;
    }
    FPixels.resize(static_cast<size_t>(FWidth) * FHeight);
    return true;
  }

  bool AddFrame(const uint8_t* Indices, const uint8_t* Colors, std::string& Error) override {
    uint32_t Table[256];
    std::memcpy(Table, Colors, sizeof Table);  // blue, green, red, 0 is FFmpeg's BGR0
    for (size_t i = 0; i < FPixels.size(); ++i) FPixels[i] = Table[Indices[i]];
    int Code = av_frame_make_writable(FFrame);
    if (Code < 0) return Fail(Code, Error);
    const uint8_t* Planes[1] = {reinterpret_cast<const uint8_t*>(FPixels.data())};
    const int Strides[1] = {4 * FWidth};
    sws_scale(FScale, Planes, Strides, 0, FHeight, FFrame->data, FFrame->linesize);
    FFrame->pts = FNextPts++;
    return Encode(FFrame, Error);
  }

  bool Finish(std::string& Error) override {
    if (!Encode(nullptr, Error)) return false;
    int Code = av_write_trailer(FFormat);
    if (Code < 0) return Fail(Code, Error);
    if ((Code = avio_closep(&FFormat->pb)) < 0) return Fail(Code, Error);
    return true;
  }
  TPartialFile& File() override { return FFile; }

 private:
  bool Fail(int Code, std::string& Error) {
    // The renderer tells a lack of memory in its own words, whoever ran out.
    if (Code == AVERROR(ENOMEM)) throw std::bad_alloc();
    Error = "cannot write " + FFile.FinalName() + ": " + AvError(Code);
    return false;
  }
  // Frame null drains the encoder.
  bool Encode(const AVFrame* Frame, std::string& Error) {
    int Code = avcodec_send_frame(FCodec, Frame);
    if (Code < 0) return Fail(Code, Error);
    while ((Code = avcodec_receive_packet(FCodec, FPacket)) >= 0) {
      av_packet_rescale_ts(FPacket, FCodec->time_base, FStream->time_base);
      FPacket->stream_index = FStream->index;
      Code = av_interleaved_write_frame(FFormat, FPacket);
      if (Code < 0) return Fail(Code, Error);
    }
    if (Code != AVERROR(EAGAIN) && Code != AVERROR_EOF) return Fail(Code, Error);
    return true;
  }

  TPartialFile FFile;
  const int FWidth, FHeight, FFps;
  AVFormatContext* FFormat = nullptr;
  AVStream* FStream = nullptr;
  AVCodecContext* FCodec = nullptr;
  AVFrame* FFrame = nullptr;
  AVPacket* FPacket = nullptr;
  SwsContext* FScale = nullptr;
  int64_t FNextPts = 0;
  std::vector<uint32_t> FPixels;
};

}  // namespace

std::unique_ptr<TAnimationWriter> OpenVideoWriter(const std::string& FileName, int Width, int Height, int Fps,
                                                  std::string& Error) {
  if (!EndsWith(FileName, ".mp4") && !EndsWith(FileName, ".webm")) {
    Error = "--video wants a file ending in .mp4 or .webm, not '" + FileName + "'";
    return nullptr;
  }
  if (Width % 2 != 0 || Height % 2 != 0) {
    Error = "--video wants an even width and height (4:2:0 colour), not " + std::to_string(Width) + "x" +
            std::to_string(Height);
    return nullptr;
  }
  av_log_set_level(AV_LOG_ERROR);
  auto Writer = std::make_unique<TVideoWriter>(FileName, Width, Height, Fps);
  if (!Writer->Open(Error)) return nullptr;
  return Writer;
}

#endif

}  // namespace emberdell
