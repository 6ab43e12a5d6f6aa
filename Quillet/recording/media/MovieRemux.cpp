#include "Quillet/recording/media/MediaEntryPoints.hpp"

#include <QFile>

#include <memory>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
}

namespace quillet {
namespace {

QString describe(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return QString::fromUtf8(text);
}

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;

struct OutputCloser {
    void operator()(AVFormatContext* context) const
    {
        if (context->pb != nullptr) {
            avio_closep(&context->pb);
        }
        avformat_free_context(context);
    }
};
using Output = std::unique_ptr<AVFormatContext, OutputCloser>;

struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

bool isCarried(const AVStream* stream)
{
    const AVMediaType type = stream->codecpar->codec_type;
    return type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO;
}

// The output stream for each input stream, or -1 for a stream that is left out.
std::optional<QString> addStreams(AVFormatContext* input, AVFormatContext* output, std::vector<int>& mapping)
{
    mapping.assign(input->nb_streams, -1);
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* from = input->streams[i];
        if (!isCarried(from)) {
            continue;
        }
        AVStream* to = avformat_new_stream(output, nullptr);
        if (to == nullptr) {
            return QStringLiteral("out of memory");
        }
        if (const int error = avcodec_parameters_copy(to->codecpar, from->codecpar); error < 0) {
            return describe(error);
        }
        // The QuickTime tag may mean something else in MPEG-4; the muxer picks its own.
        to->codecpar->codec_tag = 0;
        to->time_base = from->time_base;
        mapping[i] = to->index;
    }
    if (output->nb_streams == 0) {
        return QStringLiteral("the movie has no audio or video");
    }
    return std::nullopt;
}

std::optional<QString> copyPackets(AVFormatContext* input, AVFormatContext* output,
                                   const std::vector<int>& mapping)
{
    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    if (!packet) {
        return QStringLiteral("out of memory");
    }
    std::size_t copied = 0;
    for (;;) {
        // Only the end of the file ends the copy: any other failure (a damaged packet, a disk that
        // cannot be read) would pass a movie cut short for the whole one, and the source is then
        // deleted.
        if (const int read = av_read_frame(input, packet.get()); read == AVERROR_EOF) {
            return copied > 0 ? std::nullopt
                              : std::optional<QString>(QStringLiteral("the movie holds no frames"));
        } else if (read < 0) {
            return QStringLiteral("couldn't read the movie: %1").arg(describe(read));
        }
        const int target = mapping[std::size_t(packet->stream_index)];
        if (target < 0) {
            av_packet_unref(packet.get());
            continue;
        }
        av_packet_rescale_ts(packet.get(), input->streams[packet->stream_index]->time_base,
                             output->streams[target]->time_base);
        packet->stream_index = target;
        packet->pos = -1;
        if (const int error = av_interleaved_write_frame(output, packet.get()); error < 0) {
            return describe(error);
        }
        ++copied;
    }
}

std::optional<QString> remux(const QString& movie, const QString& target)
{
    AVFormatContext* opened = nullptr;
    if (const int error =
            avformat_open_input(&opened, QFile::encodeName(movie).constData(), nullptr, nullptr);
        error < 0) {
        return describe(error);
    }
    const Input input(opened);
    if (const int error = avformat_find_stream_info(input.get(), nullptr); error < 0) {
        return describe(error);
    }
    AVFormatContext* made = nullptr;
    const QByteArray path = QFile::encodeName(target);
    if (const int error = avformat_alloc_output_context2(&made, nullptr, "mp4", path.constData());
        error < 0) {
        return describe(error);
    }
    const Output output(made);
    std::vector<int> mapping;
    if (auto failed = addStreams(input.get(), output.get(), mapping)) {
        return failed;
    }
    if (const int error = avio_open(&output->pb, path.constData(), AVIO_FLAG_WRITE); error < 0) {
        return describe(error);
    }
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+faststart", 0);
    const int header = avformat_write_header(output.get(), &options);
    av_dict_free(&options);
    if (header < 0) {
        return describe(header);
    }
    if (auto failed = copyPackets(input.get(), output.get(), mapping)) {
        return failed;
    }
    if (const int error = av_write_trailer(output.get()); error < 0) {
        return describe(error);
    }
    if (const int error = avio_closep(&output->pb); error < 0) {
        return describe(error);
    }
    return std::nullopt;
}

} // namespace

} // namespace quillet

extern "C" QUILLET_MEDIA_ENTRY bool quilletRemux(const QString& movie, const QString& target,
                                                 QString& failure)
{
    // The libraries' progress notes would go to the program's standard error; failures are logged by
    // the caller.
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_ERROR);
        return true;
    }();
    (void)quiet;
    const auto failed = quillet::remux(movie, target);
    failure = failed.value_or(QString());
    return !failed;
}
