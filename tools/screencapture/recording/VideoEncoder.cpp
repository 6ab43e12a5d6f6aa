#include "tools/screencapture/recording/VideoEncoder.hpp"

#include "tools/screencapture/recording/EncodedStream.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/dict.h>
}

namespace quillet::screencapture::VideoEncoder {
namespace {

constexpr const char* preset = "ultrafast";
constexpr const char* constantQuality = "20";

} // namespace

std::variant<AVCodecContext*, std::string> open(int width, int height)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr) {
        return std::string("no H.264 encoder (libx264) in this FFmpeg");
    }
    AVCodecContext* encoder = avcodec_alloc_context3(codec);
    if (encoder == nullptr) {
        return std::string("out of memory");
    }
    encoder->width = width;
    encoder->height = height;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->time_base = AVRational{1, ticksPerSecond};
    encoder->framerate = AVRational{framesPerSecond, 1};
    encoder->gop_size = framesPerKeyFrame;
    // What the BT.601 limited-range conversion produced; untagged, players assume BT.709 for HD.
    encoder->colorspace = AVCOL_SPC_SMPTE170M;
    encoder->color_range = AVCOL_RANGE_MPEG;
    encoder->color_primaries = AVCOL_PRI_BT709;
    encoder->color_trc = AVCOL_TRC_IEC61966_2_1;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", preset, 0);
    av_dict_set(&options, "crf", constantQuality, 0);
    auto problem = openEncoder(*encoder, &options);
    av_dict_free(&options);
    if (problem) {
        avcodec_free_context(&encoder);
        return *problem;
    }
    return encoder;
}

AVFrame* makeFrame(const AVCodecContext& encoder)
{
    AVFrame* frame = av_frame_alloc();
    if (frame == nullptr) {
        return nullptr;
    }
    frame->format = encoder.pix_fmt;
    frame->width = encoder.width;
    frame->height = encoder.height;
    frame->color_range = encoder.color_range;
    frame->colorspace = encoder.colorspace;
    if (av_frame_get_buffer(frame, 0) < 0) {
        av_frame_free(&frame);
    }
    return frame;
}

} // namespace quillet::screencapture::VideoEncoder
