#include "tools/screencapture/recording/AudioRecorder.hpp"

#include "tools/screencapture/recording/EncodedStream.hpp"
#include "tools/screencapture/recording/PulseInput.hpp"
#include "tools/screencapture/recording/StopSignal.hpp"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

namespace quillet::screencapture {
namespace {

constexpr int sampleRate = 48'000;
constexpr int channels = 2;
constexpr int bitRate = 160'000;
// Small reads keep the clock reading close to the samples and a stop prompt.
constexpr std::chrono::milliseconds readInterval{10};
// The longest a stop waits for the sound that was heard before it but is still on its way. The wait
// ends as soon as that sound is in; the limit only matters on a machine so busy that the reading
// thread runs behind, where 250 ms once lost 0.87 s of heard sound at the end of a recording.
constexpr std::chrono::milliseconds tailLimit{1500};

std::variant<AVCodecContext*, std::string> openAacEncoder()
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    AVCodecContext* encoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (encoder == nullptr) {
        return std::string("no AAC encoder in this FFmpeg");
    }
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = sampleRate;
    encoder->bit_rate = bitRate;
    encoder->time_base = AVRational{1, sampleRate};
    av_channel_layout_default(&encoder->ch_layout, channels);
    if (auto problem = openEncoder(*encoder, nullptr)) {
        avcodec_free_context(&encoder);
        return *problem;
    }
    return encoder;
}

} // namespace

std::variant<std::unique_ptr<AudioRecorder>, std::string>
AudioRecorder::start(const std::optional<std::string>& source, MovieWriter& writer)
{
    auto opened = PulseInput::open(source, sampleRate, channels, readInterval);
    if (auto* reason = std::get_if<std::string>(&opened)) {
        return *reason;
    }
    auto encoder = openAacEncoder();
    if (auto* reason = std::get_if<std::string>(&encoder)) {
        return *reason;
    }
    auto stream = std::make_unique<EncodedStream>(std::get<AVCodecContext*>(encoder), writer);
    if (stream->failure()) {
        return *stream->failure();
    }
    return std::unique_ptr<AudioRecorder>(new AudioRecorder(
        std::move(std::get<std::unique_ptr<PulseInput>>(opened)), std::move(stream),
        source ? "the audio input '" + *source + "'" : std::string("the default audio input")));
}

AudioRecorder::AudioRecorder(std::unique_ptr<PulseInput> input, std::unique_ptr<EncodedStream> stream,
                             std::string sourceName)
    : input_(std::move(input)), stream_(std::move(stream)), sourceName_(std::move(sourceName)),
      timeline_(audioTimelineForSampleRate(sampleRate)), thread_([this] { record(); })
{
}

AudioRecorder::~AudioRecorder()
{
    static_cast<void>(finish(std::nullopt));
}

void AudioRecorder::setOrigin(Clock::time_point origin)
{
    originNanoseconds_ =
        std::chrono::duration_cast<std::chrono::nanoseconds>(origin.time_since_epoch()).count();
}

std::optional<std::string> AudioRecorder::finish(std::optional<Clock::time_point> end)
{
    if (end && originNanoseconds_ >= 0) {
        endNanoseconds_ =
            std::chrono::duration_cast<std::chrono::nanoseconds>(end->time_since_epoch()).count();
        std::unique_lock lock(mutex_);
        ended_.wait_for(lock, tailLimit, [this] { return hasEnded_; });
    }
    input_->interrupt();
    if (thread_.joinable()) {
        thread_.join();
    }
    return problem_;
}

void AudioRecorder::record()
{
    StopSignal::blockInThisThread();
    for (;;) {
        std::string problem;
        auto chunk = input_->read(problem);
        if (!chunk) {
            if (!problem.empty()) {
                problem_ = sourceName_ + " went away (" + problem + "); the recording goes on without sound";
            }
            break;
        }
        if (!append(*chunk, Clock::now()) || hasReachedTheEnd()) {
            break;
        }
    }
    {
        std::lock_guard lock(mutex_);
        hasEnded_ = true;
    }
    ended_.notify_all();
    if (!encodeWhole(true) || !stream_->finish()) {
        problem_ = problem_.value_or(stream_->failure().value_or("cannot write the sound"));
    }
}

bool AudioRecorder::hasReachedTheEnd() const
{
    const std::int64_t end = endNanoseconds_;
    const std::int64_t origin = originNanoseconds_;
    return end >= 0 && timeline_.next >= (end - origin) * sampleRate / 1'000'000'000;
}

bool AudioRecorder::append(const PulseInput::Chunk& chunk, Clock::time_point readAt)
{
    const std::int64_t origin = originNanoseconds_;
    if (origin < 0) {
        return true; // before the first frame: not part of the movie
    }
    const auto toSamples = [](std::int64_t nanoseconds) { return nanoseconds * sampleRate / 1'000'000'000; };
    const std::vector<float>& interleaved = chunk.samples;
    const std::int64_t frames = std::int64_t(interleaved.size()) / channels;
    const auto read = std::chrono::duration_cast<std::chrono::nanoseconds>(readAt.time_since_epoch());
    AudioChunk timing{toSamples(read.count() - origin), std::nullopt, chunk.position, frames};
    if (chunk.latency) {
        timing.latency = toSamples(chunk.latency->count());
    }
    const AudioPlacement placement = place(timeline_, timing);
    if (pending_[0].empty()) {
        pendingStart_ = timeline_.next - (frames - placement.skipped) - placement.silence;
    }
    for (int channel = 0; channel < channels; ++channel) {
        std::vector<float>& pending = pending_[channel];
        pending.insert(pending.end(), std::size_t(placement.silence), 0.0f);
        for (std::int64_t i = placement.skipped; i < frames; ++i) {
            pending.push_back(interleaved[std::size_t(i * channels + channel)]);
        }
    }
    return encodeWhole(false);
}

bool AudioRecorder::encodeWhole(bool includesPartial)
{
    const AVCodecContext& encoder = stream_->encoder();
    const std::size_t frameSize = std::size_t(encoder.frame_size);
    if (includesPartial && pending_[0].size() % frameSize != 0) {
        // The encoder takes whole frames: the last one is completed with silence.
        for (std::vector<float>& pending : pending_) {
            pending.resize(pending.size() + frameSize - pending.size() % frameSize, 0.0f);
        }
    }
    while (pending_[0].size() >= frameSize) {
        const std::size_t count = frameSize;
        AVFrame* frame = av_frame_alloc();
        frame->format = encoder.sample_fmt;
        frame->sample_rate = encoder.sample_rate;
        frame->nb_samples = int(count);
        av_channel_layout_copy(&frame->ch_layout, &encoder.ch_layout);
        bool isEncoded = av_frame_get_buffer(frame, 0) >= 0;
        if (isEncoded) {
            for (int channel = 0; channel < channels; ++channel) {
                std::copy_n(pending_[channel].begin(), count, reinterpret_cast<float*>(frame->data[channel]));
                pending_[channel].erase(pending_[channel].begin(),
                                        pending_[channel].begin() + std::ptrdiff_t(count));
            }
            frame->pts = pendingStart_;
            pendingStart_ += std::int64_t(count);
            isEncoded = stream_->encode(*frame);
        }
        av_frame_free(&frame);
        if (!isEncoded) {
            return false;
        }
    }
    return true;
}

} // namespace quillet::screencapture
