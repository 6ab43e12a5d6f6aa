#include "tools/screencapture/recording/PulseInput.hpp"

#include <cstring>
#include <pulse/pulseaudio.h>

namespace quillet::screencapture {
namespace {

// Every state change and every arrival of samples wakes the thread that waits in `open` or `read`.
void wake(void* loop)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

void wakeOnContext(pa_context*, void* loop)
{
    wake(loop);
}

void wakeOnStream(pa_stream*, void* loop)
{
    wake(loop);
}

void wakeOnSamples(pa_stream*, std::size_t, void* loop)
{
    wake(loop);
}

bool isSettled(pa_context_state_t state)
{
    return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
}

bool isSettled(pa_stream_state_t state)
{
    return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
}

} // namespace

std::variant<std::unique_ptr<PulseInput>, std::string>
PulseInput::open(const std::optional<std::string>& source, int sampleRate, int channels,
                 std::chrono::milliseconds chunk)
{
    std::unique_ptr<PulseInput> input(new PulseInput);
    input->loop_ = pa_threaded_mainloop_new();
    if (input->loop_ == nullptr || pa_threaded_mainloop_start(input->loop_) < 0) {
        return std::string("cannot record sound: no PulseAudio main loop");
    }
    pa_threaded_mainloop_lock(input->loop_);
    auto problem = input->connect(source, sampleRate, channels, chunk);
    pa_threaded_mainloop_unlock(input->loop_);
    if (problem) {
        return *problem;
    }
    return input;
}

std::optional<std::string> PulseInput::connect(const std::optional<std::string>& source, int sampleRate,
                                               int channels, std::chrono::milliseconds chunk)
{
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Quillet");
    if (context_ == nullptr) {
        return "cannot record sound: out of memory";
    }
    pa_context_set_state_callback(context_, wakeOnContext, loop_);
    // No autostarted server: without one there is no input to record.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return "cannot record sound: " + lastError();
    }
    while (!isSettled(pa_context_get_state(context_))) {
        pa_threaded_mainloop_wait(loop_);
    }
    if (pa_context_get_state(context_) != PA_CONTEXT_READY) {
        return "cannot record sound: " + lastError();
    }
    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32LE, std::uint32_t(sampleRate), std::uint8_t(channels)};
    frameBytes_ = pa_frame_size(&sampleFormat);
    stream_ = pa_stream_new(context_, "Screen recording", &sampleFormat, nullptr);
    if (stream_ == nullptr) {
        return "cannot record sound: " + lastError();
    }
    pa_stream_set_state_callback(stream_, wakeOnStream, loop_);
    pa_stream_set_read_callback(stream_, wakeOnSamples, loop_);
    pa_buffer_attr buffering;
    std::memset(&buffering, 0xff, sizeof buffering); // the server's defaults, but for:
    buffering.fragsize =
        std::uint32_t(pa_usec_to_bytes(pa_usec_t(chunk.count()) * PA_USEC_PER_MSEC, &sampleFormat));
    const auto flags =
        pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE | PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_record(stream_, source ? source->c_str() : nullptr, &buffering, flags) < 0) {
        return "cannot record sound: " + lastError();
    }
    while (!isSettled(pa_stream_get_state(stream_))) {
        pa_threaded_mainloop_wait(loop_);
    }
    if (pa_stream_get_state(stream_) == PA_STREAM_READY) {
        return std::nullopt;
    }
    if (pa_context_errno(context_) == PA_ERR_NOENTITY && source) {
        return "no audio input '" + *source + "'";
    }
    return "cannot record sound" + (source ? " from '" + *source + "'" : std::string()) + ": " + lastError();
}

PulseInput::~PulseInput()
{
    if (loop_ == nullptr) {
        return;
    }
    pa_threaded_mainloop_stop(loop_);
    if (stream_ != nullptr) {
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }
    if (context_ != nullptr) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    pa_threaded_mainloop_free(loop_);
}

std::optional<PulseInput::Chunk> PulseInput::read(std::string& problem)
{
    pa_threaded_mainloop_lock(loop_);
    std::optional<Chunk> chunk;
    while (!chunk && !isInterrupted_) {
        if (pa_stream_get_state(stream_) != PA_STREAM_READY) {
            problem = lastError();
            break;
        }
        if (pa_stream_readable_size(stream_) == 0) {
            pa_threaded_mainloop_wait(loop_);
            continue;
        }
        const void* data = nullptr;
        std::size_t bytes = 0;
        if (pa_stream_peek(stream_, &data, &bytes) < 0) {
            problem = lastError();
            break;
        }
        if (data != nullptr && bytes > 0) {
            const auto* samples = static_cast<const float*>(data);
            chunk = Chunk{std::vector<float>(samples, samples + bytes / sizeof(float)), latency(), position_};
        }
        // A hole (no data but a size) still advances the source's count: the timeline puts silence there.
        position_ += std::int64_t(bytes / frameBytes_);
        if (bytes > 0) {
            pa_stream_drop(stream_);
        }
    }
    pa_threaded_mainloop_unlock(loop_);
    return chunk;
}

std::optional<std::chrono::nanoseconds> PulseInput::latency() const
{
    // Not pa_stream_get_latency: it fails on many reads, and after an idle source wakes its
    // interpolating clock catches up for a second or more, putting the first sound far too early.
    // The server's part (the source's own delay and the transport) changes slowly and comes with every
    // timing update; the part queued here is exact: the first sample in hand was heard that much before
    // the last one that arrived.
    const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
    const std::size_t queued = pa_stream_readable_size(stream_);
    if (timing == nullptr || queued == std::size_t(-1)) {
        return std::nullopt;
    }
    const pa_usec_t heardBefore = timing->source_usec + timing->transport_usec +
                                  pa_bytes_to_usec(queued, pa_stream_get_sample_spec(stream_));
    return std::chrono::microseconds(heardBefore);
}

void PulseInput::interrupt()
{
    pa_threaded_mainloop_lock(loop_);
    isInterrupted_ = true;
    pa_threaded_mainloop_signal(loop_, 0);
    pa_threaded_mainloop_unlock(loop_);
}

std::string PulseInput::lastError() const
{
    return pa_strerror(pa_context_errno(context_));
}

} // namespace quillet::screencapture
