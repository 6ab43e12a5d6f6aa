#include "tools/screencapture/recording/MovieWriter.hpp"

#include "tools/screencapture/recording/MediaError.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <fcntl.h>
#include <unistd.h>

namespace quillet::screencapture {

MovieWriter::MovieWriter(std::string path) : path_(std::move(path))
{
    if (avformat_alloc_output_context2(&context_, nullptr, "mov", path_.c_str()) < 0) {
        context_ = nullptr;
        failure_ = "the QuickTime movie format is not available";
    }
}

MovieWriter::~MovieWriter()
{
    if (syncDescriptor_ >= 0) {
        close(syncDescriptor_);
    }
    if (context_ != nullptr) {
        avio_closep(&context_->pb);
        avformat_free_context(context_);
    }
}

int MovieWriter::addStream(const AVCodecContext& encoder)
{
    std::lock_guard lock(mutex_);
    if (context_ == nullptr || isOpen_) {
        return -1;
    }
    AVStream* stream = avformat_new_stream(context_, nullptr);
    if (stream == nullptr || avcodec_parameters_from_context(stream->codecpar, &encoder) < 0) {
        return -1;
    }
    stream->time_base = encoder.time_base;
    return stream->index;
}

bool MovieWriter::open()
{
    if (const int status = avio_open(&context_->pb, path_.c_str(), AVIO_FLAG_WRITE); status < 0) {
        fail("cannot write '" + path_ + "': " + mediaError(status));
        return false;
    }
    syncDescriptor_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
    // Each packet reaches the file at once, so the fragments on disk are never behind the encoder.
    context_->flush_packets = 1;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+frag_keyframe+empty_moov", 0);
    const int status = avformat_write_header(context_, &options);
    av_dict_free(&options);
    if (status < 0) {
        fail("cannot start the movie '" + path_ + "': " + mediaError(status));
        return false;
    }
    isOpen_ = true;
    return true;
}

bool MovieWriter::start()
{
    std::lock_guard lock(mutex_);
    return isOpen_ || (context_ != nullptr && !failure_ && open());
}

bool MovieWriter::write(AVPacket& packet, int streamIndex, const AVCodecContext& encoder)
{
    std::lock_guard lock(mutex_);
    if (failure_ || context_ == nullptr || streamIndex < 0) {
        av_packet_unref(&packet);
        return false;
    }
    if (!isOpen_ && !open()) {
        av_packet_unref(&packet);
        return false;
    }
    AVStream* stream = context_->streams[streamIndex];
    av_packet_rescale_ts(&packet, encoder.time_base, stream->time_base);
    packet.stream_index = streamIndex;
    // Not interleaved: the muxer gathers each fragment's samples per track anyway, and waiting for
    // a microphone that went away would hold the video back.
    const bool endsFragment = encoder.codec_type == AVMEDIA_TYPE_VIDEO && (packet.flags & AV_PKT_FLAG_KEY);
    const int status = av_write_frame(context_, &packet);
    av_packet_unref(&packet);
    // A key frame has just closed the previous fragment: make it survive a power cut too.
    if (endsFragment && syncDescriptor_ >= 0) {
        fdatasync(syncDescriptor_);
    }
    if (status < 0 || context_->pb->error < 0) {
        fail("cannot write the movie '" + path_ +
             "': " + mediaError(status < 0 ? status : context_->pb->error));
        return false;
    }
    return true;
}

std::optional<std::string> MovieWriter::finish()
{
    std::lock_guard lock(mutex_);
    if (isOpen_) {
        isOpen_ = false;
        const int status = av_write_trailer(context_);
        const int flushed = avio_closep(&context_->pb);
        if (syncDescriptor_ >= 0) {
            fsync(syncDescriptor_);
        }
        if (!failure_ && (status < 0 || flushed < 0)) {
            fail("cannot complete the movie '" + path_ + "': " + mediaError(status < 0 ? status : flushed));
        }
    }
    return failure_;
}

bool MovieWriter::hasFailed() const
{
    std::lock_guard lock(mutex_);
    return failure_.has_value();
}

void MovieWriter::fail(std::string reason)
{
    if (!failure_) {
        failure_ = std::move(reason);
    }
}

} // namespace quillet::screencapture
