#include "tests/wayland/SilentVideoSource.hpp"

#include <array>
#include <chrono>
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <thread>

namespace quillet::testing {

struct SilentVideoSource::Parts {
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;

    ~Parts()
    {
        if (loop != nullptr) {
            pw_thread_loop_stop(loop);
        }
        if (stream != nullptr) {
            pw_stream_destroy(stream);
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

SilentVideoSource::SilentVideoSource() : parts_(std::make_unique<Parts>())
{
    pw_init(nullptr, nullptr);
    Parts& parts = *parts_;
    parts.loop = pw_thread_loop_new("silent-source", nullptr);
    parts.context = pw_context_new(pw_thread_loop_get_loop(parts.loop), nullptr, 0);
    parts.core = parts.context ? pw_context_connect(parts.context, nullptr, 0) : nullptr;
    if (parts.core == nullptr) {
        return;
    }
    parts.stream = pw_stream_new(parts.core, "quillet-test-silent-source",
                                 pw_properties_new(PW_KEY_MEDIA_CLASS, "Video/Source", nullptr));
    std::array<uint8_t, 1024> bytes{};
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(bytes.data(), bytes.size());
    const spa_rectangle size = SPA_RECTANGLE(320, 240);
    const spa_fraction noRate = SPA_FRACTION(0, 1);
    std::array<const spa_pod*, 1> params{static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
        SPA_FORMAT_VIDEO_format, SPA_POD_Id(SPA_VIDEO_FORMAT_BGRx), SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&noRate)))};
    pw_stream_connect(parts.stream, PW_DIRECTION_OUTPUT, PW_ID_ANY,
                      static_cast<pw_stream_flags>(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS),
                      params.data(), params.size());
    pw_thread_loop_start(parts.loop);
}

SilentVideoSource::~SilentVideoSource() = default;

std::optional<std::uint32_t> SilentVideoSource::node()
{
    constexpr int tries = 100;
    for (int i = 0; i < tries && parts_->stream != nullptr; ++i) {
        pw_thread_loop_lock(parts_->loop);
        const std::uint32_t id = pw_stream_get_node_id(parts_->stream);
        pw_thread_loop_unlock(parts_->loop);
        if (id != SPA_ID_INVALID) {
            return id;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::nullopt;
}

} // namespace quillet::testing
