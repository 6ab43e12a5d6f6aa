#include "tools/screencapture/recording/EncodedStream.hpp"

#include "tools/screencapture/recording/MediaError.hpp"
#include "tools/screencapture/recording/MovieWriter.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace quillet::screencapture {

EncodedStream::EncodedStream(AVCodecContext* encoder, MovieWriter& writer)
    : encoder_(encoder), writer_(writer), streamIndex_(writer.addStream(*encoder))
{
    if (streamIndex_ < 0) {
        failure_ = "cannot add a track to the movie";
    }
}

EncodedStream::~EncodedStream()
{
    avcodec_free_context(&encoder_);
}

bool EncodedStream::encode(const AVFrame& frame)
{
    return !isFinished_ && send(&frame);
}

bool EncodedStream::finish()
{
    if (isFinished_) {
        return !failure_;
    }
    isFinished_ = true;
    return send(nullptr);
}

bool EncodedStream::send(const AVFrame* frame)
{
    if (failure_) {
        return false;
    }
    if (const int status = avcodec_send_frame(encoder_, frame); status < 0) {
        failure_ = std::string("the ") + encoder_->codec->name + " encoder failed: " + mediaError(status);
        return false;
    }
    AVPacket* packet = av_packet_alloc();
    bool isWritten = packet != nullptr;
    while (isWritten) {
        const int status = avcodec_receive_packet(encoder_, packet);
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) {
            break;
        }
        if (status < 0) {
            failure_ = std::string("the ") + encoder_->codec->name + " encoder failed: " + mediaError(status);
            isWritten = false;
            break;
        }
        // x264 leaves the duration open; the nominal one lets the muxer close each fragment exactly.
        if (packet->duration == 0 && encoder_->framerate.num > 0) {
            packet->duration = av_rescale_q(1, av_inv_q(encoder_->framerate), encoder_->time_base);
        }
        isWritten = writer_.write(*packet, streamIndex_, *encoder_);
    }
    av_packet_free(&packet);
    return isWritten;
}

std::optional<std::string> openEncoder(AVCodecContext& encoder, AVDictionary** options)
{
    encoder.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int status = avcodec_open2(&encoder, encoder.codec, options); status < 0) {
        return std::string("cannot open the ") + encoder.codec->name + " encoder: " + mediaError(status);
    }
    return std::nullopt;
}

} // namespace quillet::screencapture
