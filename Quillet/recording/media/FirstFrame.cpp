#include "Quillet/recording/media/MediaEntryPoints.hpp"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace quillet {
namespace {

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFree {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};

using Frame = std::unique_ptr<AVFrame, FrameFree>;

// Feeds the stream's packets to the decoder until it gives a picture; at the end of the file the
// decoder is drained, since it may hold back the first pictures.
Frame decodeFirst(AVFormatContext* input, AVCodecContext* decoder, int stream)
{
    Frame frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    if (!frame || !packet) {
        return nullptr;
    }
    bool draining = false;
    for (;;) {
        const int received = avcodec_receive_frame(decoder, frame.get());
        if (received == 0) {
            return frame;
        }
        if (received != AVERROR(EAGAIN) || draining) {
            return nullptr;
        }
        if (av_read_frame(input, packet.get()) < 0) {
            draining = true;
            avcodec_send_packet(decoder, nullptr);
            continue;
        }
        if (packet->stream_index == stream) {
            avcodec_send_packet(decoder, packet.get());
        }
        av_packet_unref(packet.get());
    }
}

QSize fitted(int width, int height, int maxPixels)
{
    const double factor = std::min({1.0, double(maxPixels) / width, double(maxPixels) / height});
    return {std::max(1, int(std::lround(width * factor))), std::max(1, int(std::lround(height * factor)))};
}

std::optional<QImage> scaled(const AVFrame& frame, int maxPixels)
{
    const QSize size = fitted(frame.width, frame.height, maxPixels);
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        return std::nullopt;
    }
    std::unique_ptr<SwsContext, ScalerFree> scaler(
        sws_getContext(frame.width, frame.height, AVPixelFormat(frame.format), size.width(), size.height(),
                       AV_PIX_FMT_BGRA, SWS_AREA, nullptr, nullptr, nullptr));
    if (!scaler) {
        return std::nullopt;
    }
    std::uint8_t* planes[] = {image.bits()};
    const int strides[] = {int(image.bytesPerLine())};
    sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides);
    return image;
}

std::optional<QImage> firstFrame(const QString& path, int maxPixels)
{
    if (maxPixels < 1) {
        return std::nullopt;
    }
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, QFile::encodeName(path).constData(), nullptr, nullptr) < 0) {
        return std::nullopt;
    }
    const std::unique_ptr<AVFormatContext, InputCloser> input(opened);
    if (avformat_find_stream_info(input.get(), nullptr) < 0) {
        return std::nullopt;
    }
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (stream < 0 || codec == nullptr) {
        return std::nullopt;
    }
    const std::unique_ptr<AVCodecContext, CodecFree> decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), input->streams[stream]->codecpar) < 0 ||
        avcodec_open2(decoder.get(), codec, nullptr) < 0) {
        return std::nullopt;
    }
    const Frame frame = decodeFirst(input.get(), decoder.get(), stream);
    if (!frame || frame->width <= 0 || frame->height <= 0) {
        return std::nullopt;
    }
    return scaled(*frame, maxPixels);
}

} // namespace
} // namespace quillet

extern "C" QUILLET_MEDIA_ENTRY bool quilletFirstFrame(const QString& path, int maxPixels, QImage& frame)
{
    auto found = quillet::firstFrame(path, maxPixels);
    if (!found) {
        return false;
    }
    frame = std::move(*found);
    return true;
}

extern "C" QUILLET_MEDIA_ENTRY const char* quilletMediaVersion()
{
    return av_version_info();
}
