#include "Quillet/capture/PipeWireFrame.hpp"

#include "Quillet/common/PipeWireHandles.hpp"

#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <unistd.h>

namespace quillet::PipeWireFrame {
namespace {

constexpr int maximumSide = 16384;
constexpr std::size_t podBufferBytes = 1024;
// Room for the pointer's picture that comes with the cursor metadata (mutter offers 384 × 384 only);
// only the pointer's place is read.
constexpr int cursorSideUsual = 384;
constexpr int cursorSideLargest = 1024;

constexpr int cursorMetaBytes(int side)
{
    return int(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) + side * side * 4;
}

// What every stream of one call shares: the loop, which ends once no stream waits any more.
// A compositor sends a monitor's frame when its stream starts and another only when something on
// the monitor changes (mutter 43); now and then that first frame is lost while the buffers are still
// being agreed, and a still monitor then sends none. A stream without a frame is paused and started
// again (nudgeAfter), which makes the compositor paint once more; and once one stream has its frame,
// the others get a short while more, not the whole limit.
constexpr timespec lateFrameGrace{1, 0};

struct Waiting {
    pw_main_loop* loop = nullptr;
    std::size_t streams = 0;
    spa_source* timer = nullptr;
    bool anyFrame = false;

    void settled(bool withFrame)
    {
        if (--streams == 0) {
            pw_main_loop_quit(loop);
            return;
        }
        if (withFrame && !anyFrame && timer != nullptr) {
            anyFrame = true;
            timespec grace = lateFrameGrace;
            pw_loop_update_timer(pw_main_loop_get_loop(loop), timer, &grace, nullptr, false);
        }
    }
};

struct Taking {
    Waiting* waiting = nullptr;
    pw_stream* stream = nullptr;
    spa_source* nudge = nullptr;
    spa_hook listener{};
    spa_video_info_raw format{};
    std::optional<QPoint> pointer;
    std::optional<QImage> frame;
    QString error;
    bool settled = false;
    // How far the stream came, for the reason of a frame that never came.
    pw_stream_state lastState = PW_STREAM_STATE_UNCONNECTED;
    int restarts = 0;

    void settle()
    {
        if (!settled) {
            settled = true;
            waiting->settled(frame.has_value());
        }
    }

    void fail(QString description)
    {
        if (error.isEmpty() && !frame) {
            error = std::move(description);
        }
        settle();
    }
};

std::optional<QImage::Format> qtFormat(spa_video_format format)
{
    // Byte order in memory; Qt's 32-bit formats name the word on a little-endian machine. A monitor's
    // alpha means nothing: the formats with it are read as the same bytes without it.
    switch (format) {
    case SPA_VIDEO_FORMAT_BGRx:
    case SPA_VIDEO_FORMAT_BGRA:
        return QImage::Format_RGB32;
    case SPA_VIDEO_FORMAT_RGBx:
    case SPA_VIDEO_FORMAT_RGBA:
        return QImage::Format_RGBX8888;
    default:
        return std::nullopt;
    }
}

const spa_pod* formatsWanted(spa_pod_builder& builder)
{
    const spa_rectangle smallest = SPA_RECTANGLE(1, 1);
    const spa_rectangle largest = SPA_RECTANGLE(maximumSide, maximumSide);
    const spa_rectangle usual = SPA_RECTANGLE(1920, 1080);
    const spa_fraction noRate = SPA_FRACTION(0, 1);
    const spa_fraction fastest = SPA_FRACTION(1000, 1);
    const spa_fraction usualRate = SPA_FRACTION(30, 1);
    // No modifiers offered: the compositor then hands frames in shared memory, readable without a GPU.
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
        SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                               SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&usual, &smallest, &largest),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&usualRate, &noRate, &fastest)));
}

void onParamChanged(void* data, uint32_t id, const spa_pod* param)
{
    auto& taking = *static_cast<Taking*>(data);
    if (param == nullptr || id != SPA_PARAM_Format) {
        return;
    }
    uint32_t mediaType = 0;
    uint32_t mediaSubtype = 0;
    if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 || mediaType != SPA_MEDIA_TYPE_video ||
        mediaSubtype != SPA_MEDIA_SUBTYPE_raw || spa_format_video_raw_parse(param, &taking.format) < 0) {
        taking.fail(QStringLiteral("the stream offers no raw video"));
        return;
    }
    std::array<uint8_t, podBufferBytes> bytes{};
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(bytes.data(), bytes.size());
    const auto* buffers = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
    const auto* header = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header),
        SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
    const auto* cursor = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Cursor),
        SPA_PARAM_META_size,
        SPA_POD_CHOICE_RANGE_Int(cursorMetaBytes(cursorSideUsual), cursorMetaBytes(1),
                                 cursorMetaBytes(cursorSideLargest))));
    std::array<const spa_pod*, 3> params{buffers, header, cursor};
    pw_stream_update_params(taking.stream, params.data(), params.size());
}

// A copy of the buffer's picture, or nothing when the buffer holds no whole picture (compositors send
// cursor-only updates and mark damaged frames).
std::optional<QImage> pictureIn(const spa_buffer& buffer, const spa_video_info_raw& format)
{
    const auto* header = static_cast<const spa_meta_header*>(
        spa_buffer_find_meta_data(&buffer, SPA_META_Header, sizeof(spa_meta_header)));
    if (header != nullptr && (header->flags & SPA_META_HEADER_FLAG_CORRUPTED) != 0) {
        return std::nullopt;
    }
    if (buffer.n_datas < 1) {
        return std::nullopt;
    }
    const spa_data& plane = buffer.datas[0];
    const auto qt = qtFormat(format.format);
    const int width = static_cast<int>(format.size.width);
    const int height = static_cast<int>(format.size.height);
    if (plane.data == nullptr || plane.chunk == nullptr || !qt || width <= 0 || height <= 0 ||
        width > maximumSide || height > maximumSide || (plane.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) != 0) {
        return std::nullopt;
    }
    const int rowBytes = width * 4;
    const int stride = plane.chunk->stride > 0 ? plane.chunk->stride : rowBytes;
    const uint64_t needed =
        uint64_t(plane.chunk->offset) + uint64_t(stride) * uint64_t(height - 1) + rowBytes;
    if (plane.chunk->size == 0 || stride < rowBytes || needed > plane.maxsize) {
        return std::nullopt;
    }
    const auto* first = static_cast<const uchar*>(plane.data) + plane.chunk->offset;
    QImage image = PipeWireFrame::opaqueImage(first, width, height, stride, *qt);
    if (image.isNull()) {
        return std::nullopt;
    }
    return image;
}

// The pointer's place when the buffer tells it: nothing when the stream has no visible pointer or
// puts it outside the frame (compositors mark the pointer on the monitor that has it only).
std::optional<std::optional<QPoint>> pointerIn(const spa_buffer& buffer, const spa_video_info_raw& format)
{
    const auto* cursor = static_cast<const spa_meta_cursor*>(
        spa_buffer_find_meta_data(&buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)));
    if (cursor == nullptr) {
        return std::nullopt;
    }
    const QPoint place(cursor->position.x, cursor->position.y);
    const bool inside = place.x() >= 0 && place.y() >= 0 && uint32_t(place.x()) < format.size.width &&
                        uint32_t(place.y()) < format.size.height;
    if (!spa_meta_cursor_is_valid(cursor) || !inside) {
        return std::optional<QPoint>();
    }
    return std::optional<QPoint>(place);
}

void onProcess(void* data)
{
    auto& taking = *static_cast<Taking*>(data);
    while (pw_buffer* buffer = pw_stream_dequeue_buffer(taking.stream)) {
        if (!taking.frame && buffer->buffer != nullptr) {
            // Pointer-only updates come between frames: the latest one up to the frame counts.
            if (const auto pointer = pointerIn(*buffer->buffer, taking.format)) {
                taking.pointer = *pointer;
            }
            taking.frame = pictureIn(*buffer->buffer, taking.format);
        }
        pw_stream_queue_buffer(taking.stream, buffer);
    }
    if (taking.frame) {
        taking.settle();
    }
}

constexpr timespec nudgeAfter{0, 300'000'000};

void onNudge(void* data, uint64_t)
{
    auto& taking = *static_cast<Taking*>(data);
    if (!taking.frame && !taking.settled) {
        ++taking.restarts;
        pw_stream_set_active(taking.stream, false);
        pw_stream_set_active(taking.stream, true);
    }
}

void onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char* error)
{
    auto& taking = *static_cast<Taking*>(data);
    taking.lastState = state;
    if (state == PW_STREAM_STATE_ERROR) {
        taking.fail(QStringLiteral("the stream failed: %1").arg(QString::fromUtf8(error ? error : "")));
    } else if (state == PW_STREAM_STATE_UNCONNECTED) {
        taking.fail(QStringLiteral("the stream was closed"));
    } else if (state == PW_STREAM_STATE_STREAMING && !taking.frame && taking.nudge != nullptr) {
        timespec after = nudgeAfter;
        pw_loop_update_timer(pw_main_loop_get_loop(taking.waiting->loop), taking.nudge, &after, nullptr,
                             false);
    }
}

void onTimeout(void* data, uint64_t)
{
    pw_main_loop_quit(static_cast<Waiting*>(data)->loop);
}

const pw_stream_events streamEvents = [] {
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = onStateChanged;
    events.param_changed = onParamChanged;
    events.process = onProcess;
    return events;
}();

std::vector<Outcome<Picture>> everyStreamFailed(std::size_t streams, const QString& reason)
{
    return std::vector<Outcome<Picture>>(streams, Outcome<Picture>::failure(reason));
}

} // namespace

QImage opaqueImage(const uchar* first, int width, int height, int stride, QImage::Format format)
{
    // In both formats the fourth byte is the top byte of a pixel's word on a little-endian machine.
    constexpr std::uint32_t opaqueByte = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 0xff000000u : 0x000000ffu;
    QImage image(width, height, format);
    if (image.isNull()) {
        return image;
    }
    for (int row = 0; row < height; ++row) {
        auto* pixels = reinterpret_cast<std::uint32_t*>(image.scanLine(row));
        std::memcpy(pixels, first + std::size_t(row) * std::size_t(stride), std::size_t(width) * 4);
        for (int x = 0; x < width; ++x) {
            pixels[x] |= opaqueByte;
        }
    }
    return image;
}

std::vector<Outcome<Picture>> take(int fd, const std::vector<std::uint32_t>& nodes,
                                   std::chrono::milliseconds limit)
{
    using namespace PipeWireHandles;
    initialise();

    Owned<pw_main_loop, pw_main_loop_destroy> loop(pw_main_loop_new(nullptr));
    if (!loop) {
        if (fd >= 0) {
            ::close(fd);
        }
        return everyStreamFailed(nodes.size(), QStringLiteral("no PipeWire loop"));
    }
    pw_loop* events = pw_main_loop_get_loop(loop.get());
    // PipeWire locks every mapped buffer in memory by default: sixteen full-HD pictures a monitor are
    // 130 MB faulted in before its stream starts, for one frame read once.
    Owned<pw_context, pw_context_destroy> context(
        pw_context_new(events, pw_properties_new("mem.allow-mlock", "false", nullptr), 0));
    if (!context) {
        if (fd >= 0) {
            ::close(fd);
        }
        return everyStreamFailed(nodes.size(), QStringLiteral("no PipeWire context"));
    }
    // pw_context_connect_fd owns the descriptor from here on, even when it fails.
    OwnedCore core(fd >= 0 ? pw_context_connect_fd(context.get(), fd, nullptr, 0)
                           : pw_context_connect(context.get(), nullptr, 0));
    if (!core) {
        return everyStreamFailed(nodes.size(), QStringLiteral("cannot reach PipeWire"));
    }

    Waiting waiting{loop.get(), nodes.size()};
    std::vector<Taking> takings(nodes.size());
    std::vector<Owned<pw_stream, pw_stream_destroy>> streams;
    for (std::size_t index = 0; index < nodes.size(); ++index) {
        Taking& taking = takings[index];
        taking.waiting = &waiting;
        streams.emplace_back(
            pw_stream_new(core.get(), "quillet-still",
                          pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                            PW_KEY_MEDIA_ROLE, "Screen", nullptr)));
        taking.stream = streams.back().get();
        if (taking.stream == nullptr) {
            taking.fail(QStringLiteral("no PipeWire stream"));
            continue;
        }
        taking.nudge = pw_loop_add_timer(events, onNudge, &taking);
        pw_stream_add_listener(taking.stream, &taking.listener, &streamEvents, &taking);
        std::array<uint8_t, podBufferBytes> bytes{};
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(bytes.data(), bytes.size());
        std::array<const spa_pod*, 1> params{formatsWanted(builder)};
        const auto flags =
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
        if (pw_stream_connect(taking.stream, PW_DIRECTION_INPUT, nodes[index], flags, params.data(),
                              params.size()) < 0) {
            taking.fail(QStringLiteral("cannot connect to stream %1").arg(nodes[index]));
        }
    }

    spa_source* timer = pw_loop_add_timer(events, onTimeout, &waiting);
    waiting.timer = timer;
    timespec timeout = after(limit);
    pw_loop_update_timer(events, timer, &timeout, nullptr, false);

    if (waiting.streams > 0) {
        pw_main_loop_run(loop.get());
    }
    pw_loop_destroy_source(events, timer);

    std::vector<Outcome<Picture>> pictures;
    for (Taking& taking : takings) {
        if (taking.nudge != nullptr) {
            pw_loop_destroy_source(events, taking.nudge);
        }
        if (taking.stream != nullptr) {
            spa_hook_remove(&taking.listener);
            pw_stream_disconnect(taking.stream);
        }
        if (taking.frame) {
            pictures.emplace_back(Picture{std::move(*taking.frame), taking.pointer});
        } else {
            pictures.push_back(Outcome<Picture>::failure(
                taking.error.isEmpty()
                    ? QStringLiteral("no frame came in time (the stream was %1, restarted %2 times)")
                          .arg(QString::fromUtf8(pw_stream_state_as_string(taking.lastState)))
                          .arg(taking.restarts)
                    : taking.error));
        }
    }
    return pictures;
}

} // namespace quillet::PipeWireFrame
