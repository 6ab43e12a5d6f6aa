#include "tools/screencapture/recording/PipeWireGrabber.hpp"

#include "tools/screencapture/recording/CastBuffer.hpp"
#include "tools/screencapture/recording/CastPictureCopy.hpp"
#include "tools/screencapture/recording/CastPointer.hpp"
#include "tools/screencapture/recording/CastStreamParams.hpp"
#include "tools/screencapture/recording/FrameClock.hpp"
#include "tools/screencapture/recording/StopSignal.hpp"

#include <array>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <unistd.h>

namespace quillet::screencapture {
namespace {

using Clock = std::chrono::steady_clock;

// A compositor sends its first picture as the stream starts; one lost while the buffers were being
// agreed is sent again after a pause and start. Mutter 43 was seen to send none for 0.3-2 s after the
// start (to GStreamer too), and a restart often brought one within 70 ms, so the stream is restarted
// again while none comes. Past the limit the cast is taken to send nothing.
constexpr auto firstPictureLimit = std::chrono::seconds(5);
constexpr auto restartAfter = std::chrono::milliseconds(300);
constexpr auto restartAgainAfter = std::chrono::milliseconds(500);
constexpr auto pollPeriod = std::chrono::milliseconds(20);

class LoopLock {
public:
    explicit LoopLock(pw_thread_loop* loop) : loop_(loop) { pw_thread_loop_lock(loop_); }
    ~LoopLock() { pw_thread_loop_unlock(loop_); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pw_thread_loop* loop_;
};

} // namespace

struct PipeWireGrabber::Shared {
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_registry* registry = nullptr;
    pw_stream* stream = nullptr;
    spa_hook coreListener{};
    spa_hook registryListener{};
    spa_hook streamListener{};
    std::uint32_t node = 0;

    // Under the loop's lock.
    spa_video_info_raw format{};
    bool isAreaGiven = false;
    PixelRect area;
    PixelRect lastPicture;
    Bitmap latest;
    std::uint64_t pictures = 0;
    std::uint64_t skippedInQueue = 0; // older pictures that waited beside a newer one
    CastPointer pointer;
    pw_stream_state state = PW_STREAM_STATE_UNCONNECTED;
    std::optional<Clock::time_point> streamingSince;
    std::optional<std::string> end;
    bool isGpuOnly = false;

    // The grabbing thread's own.
    Bitmap working;
    std::uint64_t copiedPictures = 0;
    std::uint64_t replacedPictures = 0;
    CastPointer pendingPointer;
    std::optional<CastPointer> drawnPointer;

    void ended(std::string reason)
    {
        if (!end) {
            end = std::move(reason);
        }
    }

    ~Shared()
    {
        if (loop != nullptr) {
            pw_thread_loop_stop(loop);
        }
        if (stream != nullptr) {
            pw_stream_destroy(stream);
        }
        if (registry != nullptr) {
            pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry));
        }
        if (core != nullptr) {
            pw_core_disconnect(core);
        }
        if (context != nullptr) {
            pw_context_destroy(context);
        }
        if (loop != nullptr) {
            pw_thread_loop_destroy(loop);
        }
    }
};

namespace {

using Shared = PipeWireGrabber::Shared;

void onParamChanged(void* data, uint32_t id, const spa_pod* param)
{
    auto& shared = *static_cast<Shared*>(data);
    if (param == nullptr || id != SPA_PARAM_Format) {
        return;
    }
    uint32_t mediaType = 0;
    uint32_t mediaSubtype = 0;
    if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 || mediaType != SPA_MEDIA_TYPE_video ||
        mediaSubtype != SPA_MEDIA_SUBTYPE_raw || spa_format_video_raw_parse(param, &shared.format) < 0 ||
        !castPictureOrder(shared.format.format)) {
        shared.ended("the screen cast offers no picture format the tool reads");
        return;
    }
    if ((shared.format.flags & SPA_VIDEO_FLAG_MODIFIER) != 0) {
        shared.isGpuOnly = true;
        return;
    }
    std::array<uint8_t, CastStreamParams::podBytes> bytes{};
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(bytes.data(), bytes.size());
    auto params = CastStreamParams::buffersWanted(builder);
    pw_stream_update_params(shared.stream, params.data(), params.size());
}

void keep(Shared& shared, const CastPicture& picture)
{
    if (!shared.isAreaGiven && shared.latest.isEmpty()) {
        shared.area = PixelRect{0, 0, picture.width, picture.height};
        shared.latest = Bitmap::black(picture.width, picture.height);
    }
    if (shared.latest.isEmpty()) {
        return;
    }
    copyPictureArea(picture, shared.area, shared.latest);
    shared.lastPicture = PixelRect{0, 0, picture.width, picture.height};
    ++shared.pictures;
}

// Every buffer goes back at once, since a compositor that finds none free skips a picture; only the
// newest picture is copied.
void onProcess(void* data)
{
    auto& shared = *static_cast<Shared*>(data);
    pw_buffer* newest = nullptr;
    std::optional<CastPicture> newestPicture;
    while (pw_buffer* buffer = pw_stream_dequeue_buffer(shared.stream)) {
        std::optional<CastPicture> picture;
        if (buffer->buffer != nullptr) {
            shared.pointer.update(*buffer->buffer);
            picture = castPictureIn(*buffer->buffer, shared.format, shared.isGpuOnly);
        }
        if (!picture) {
            pw_stream_queue_buffer(shared.stream, buffer);
            continue;
        }
        if (newest != nullptr) {
            pw_stream_queue_buffer(shared.stream, newest);
            ++shared.skippedInQueue;
        }
        newest = buffer;
        newestPicture = picture;
    }
    if (newest != nullptr) {
        keep(shared, *newestPicture);
        pw_stream_queue_buffer(shared.stream, newest);
    }
}

void onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char* error)
{
    auto& shared = *static_cast<Shared*>(data);
    shared.state = state;
    // Paused is no end: a desktop pauses a cast it is about to remove, and may resume one.
    switch (state) {
    case PW_STREAM_STATE_ERROR:
        shared.ended(std::string("the screen cast failed: ") + (error != nullptr ? error : "no reason given"));
        return;
    case PW_STREAM_STATE_UNCONNECTED:
        shared.ended("the screen cast was disconnected");
        return;
    case PW_STREAM_STATE_STREAMING:
        if (!shared.streamingSince) {
            shared.streamingSince = Clock::now();
        }
        return;
    case PW_STREAM_STATE_CONNECTING:
    case PW_STREAM_STATE_PAUSED:
        return;
    }
}

void onGlobalRemoved(void* data, uint32_t id)
{
    auto& shared = *static_cast<Shared*>(data);
    if (id == shared.node) {
        shared.ended("the screen cast ended");
    }
}

void onCoreError(void* data, uint32_t id, int, int, const char* message)
{
    if (id == PW_ID_CORE) {
        static_cast<Shared*>(data)->ended(std::string("the connection to PipeWire failed: ") +
                                          (message != nullptr ? message : "no reason given"));
    }
}

const pw_stream_events streamEvents = [] {
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = onStateChanged;
    events.param_changed = onParamChanged;
    events.process = onProcess;
    return events;
}();

const pw_registry_events registryEvents = [] {
    pw_registry_events events{};
    events.version = PW_VERSION_REGISTRY_EVENTS;
    events.global_remove = onGlobalRemoved;
    return events;
}();

const pw_core_events coreEvents = [] {
    pw_core_events events{};
    events.version = PW_VERSION_CORE_EVENTS;
    events.error = onCoreError;
    return events;
}();

std::optional<std::string> startStream(Shared& shared, int descriptor)
{
    shared.loop = pw_thread_loop_new("quillet-cast", nullptr);
    // PipeWire locks every mapped buffer in memory by default: sixteen full-HD pictures are 130 MB
    // faulted in before the stream starts (0.1-0.4 s seen), and memory the tool never needs locked.
    shared.context = shared.loop ? pw_context_new(pw_thread_loop_get_loop(shared.loop),
                                                  pw_properties_new("mem.allow-mlock", "false", nullptr), 0)
                                 : nullptr;
    if (shared.context == nullptr) {
        ::close(descriptor);
        return "cannot start a PipeWire client";
    }
    // The core owns the descriptor from here on, even when it fails.
    shared.core = pw_context_connect_fd(shared.context, descriptor, nullptr, 0);
    if (shared.core == nullptr) {
        return "cannot reach PipeWire through descriptor " + std::to_string(descriptor);
    }
    pw_core_add_listener(shared.core, &shared.coreListener, &coreEvents, &shared);
    shared.registry = pw_core_get_registry(shared.core, PW_VERSION_REGISTRY, 0);
    if (shared.registry != nullptr) {
        pw_registry_add_listener(shared.registry, &shared.registryListener, &registryEvents, &shared);
    }
    shared.stream = pw_stream_new(shared.core, "quillet-recording",
                                  pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                                    PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    if (shared.stream == nullptr) {
        return "cannot make a PipeWire stream";
    }
    pw_stream_add_listener(shared.stream, &shared.streamListener, &streamEvents, &shared);
    std::array<uint8_t, CastStreamParams::podBytes> bytes{};
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(bytes.data(), bytes.size());
    std::array<const spa_pod*, 1> params{CastStreamParams::formatsWanted(builder)};
    const auto flags = static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
    if (pw_stream_connect(shared.stream, PW_DIRECTION_INPUT, shared.node, flags, params.data(), params.size()) <
        0) {
        return "cannot connect to the screen cast's node " + std::to_string(shared.node);
    }
    // PipeWire's thread must leave the stop signals to the thread that waits for them.
    StopSignal::blockInThisThread();
    const int started = pw_thread_loop_start(shared.loop);
    StopSignal::unblockInThisThread();
    if (started < 0) {
        return "cannot start PipeWire's thread";
    }
    return std::nullopt;
}

} // namespace

PipeWireGrabber::PipeWireGrabber() : shared_(std::make_unique<Shared>()) {}

PipeWireGrabber::~PipeWireGrabber() = default;

std::variant<std::unique_ptr<PipeWireGrabber>, std::string> PipeWireGrabber::connect(const Connection& connection)
{
    if (fcntl(connection.descriptor, F_GETFD) == -1) {
        return "descriptor " + std::to_string(connection.descriptor) +
               " is not open: the program that runs the tool passes the PipeWire connection there";
    }
    static std::once_flag initialised;
    std::call_once(initialised, [] { pw_init(nullptr, nullptr); });
    std::unique_ptr<PipeWireGrabber> grabber(new PipeWireGrabber());
    Shared& shared = *grabber->shared_;
    shared.node = connection.node;
    if (connection.area) {
        shared.isAreaGiven = true;
        shared.area = *connection.area;
        shared.latest = Bitmap::black(shared.area.width, shared.area.height);
        if (shared.latest.isEmpty()) {
            ::close(connection.descriptor);
            return "out of memory for the pictures";
        }
    }
    if (auto failure = startStream(shared, connection.descriptor)) {
        return *failure;
    }
    return grabber;
}

PipeWireGrabber::FirstPicture PipeWireGrabber::awaitFirstPicture()
{
    using Outcome = FirstPicture::Outcome;
    Shared& shared = *shared_;
    const Clock::time_point start = Clock::now();
    std::optional<Clock::time_point> nextRestart;
    int restarts = 0;
    while (!StopSignal::isRequested()) {
        const Clock::time_point now = Clock::now();
        {
            LoopLock lock(shared.loop);
            if (shared.isGpuOnly) {
                return {Outcome::failed, {}, "the screen cast offers only GPU (DMA-BUF) buffers, which the tool "
                                             "cannot read; nothing was recorded"};
            }
            if (shared.pictures > 0) {
                if (shared.area.intersected(shared.lastPicture).isEmpty()) {
                    return {Outcome::failed, {},
                            "the area lies outside the screen cast's " + std::to_string(shared.lastPicture.width) +
                                "x" + std::to_string(shared.lastPicture.height) + " picture"};
                }
                shared.working = Bitmap::black(shared.area.width, shared.area.height);
                if (shared.working.isEmpty()) {
                    return {Outcome::failed, {}, "out of memory for the pictures"};
                }
                return {Outcome::came, shared.area, {}};
            }
            if (shared.end) {
                return {Outcome::failed, {}, *shared.end + " before its first picture"};
            }
            if (!nextRestart && shared.streamingSince) {
                nextRestart = *shared.streamingSince + restartAfter;
            }
            if (nextRestart && now >= *nextRestart) {
                pw_stream_set_active(shared.stream, false);
                pw_stream_set_active(shared.stream, true);
                ++restarts;
                nextRestart = now + restartAgainAfter;
            }
            if (now - start >= firstPictureLimit) {
                return {Outcome::failed, {},
                        std::string("no picture from the screen cast within 5 s (its stream was ") +
                            pw_stream_state_as_string(shared.state) + ", restarted " + std::to_string(restarts) +
                            " times)"};
            }
        }
        FrameClock::sleepUntil(now + pollPeriod);
    }
    return {Outcome::stopped, {}, {}};
}

FrameSource::Grab PipeWireGrabber::grab()
{
    Shared& shared = *shared_;
    LoopLock lock(shared.loop);
    if (shared.end || shared.isGpuOnly) {
        return Grab{Status::ended, {}, {}};
    }
    const bool isPointerStale = shared.drawnPointer && *shared.drawnPointer != shared.pointer;
    if (shared.pictures > shared.copiedPictures + 1) {
        shared.replacedPictures += shared.pictures - shared.copiedPictures - 1;
    }
    const bool isNewPicture = shared.pictures != shared.copiedPictures;
    const bool isRepeat = !isNewPicture && shared.drawnPointer && *shared.drawnPointer == shared.pointer;
    if (isNewPicture || isPointerStale) {
        std::memcpy(shared.working.pixels, shared.latest.pixels,
                    shared.latest.bytesPerRow * std::size_t(shared.latest.height));
        shared.copiedPictures = shared.pictures;
        shared.drawnPointer.reset();
    }
    shared.pendingPointer = shared.pointer;
    return Grab{Status::frame, shared.working, {}, isRepeat};
}

PipeWireGrabber::PictureCounts PipeWireGrabber::pictureCounts() const
{
    LoopLock lock(shared_->loop);
    return {shared_->pictures + shared_->skippedInQueue, shared_->replacedPictures + shared_->skippedInQueue};
}

void PipeWireGrabber::drawPointer(const Bitmap& frame)
{
    Shared& shared = *shared_;
    // A picture with this pointer drawn in it already is the one the last frame showed.
    if (shared.drawnPointer == shared.pendingPointer) {
        return;
    }
    shared.pendingPointer.draw(frame, shared.area);
    shared.drawnPointer = shared.pendingPointer;
}

} // namespace quillet::screencapture
