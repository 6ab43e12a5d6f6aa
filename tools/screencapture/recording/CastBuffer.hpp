#pragma once

#include "tools/screencapture/recording/CastPictureCopy.hpp"

#include <optional>
#include <spa/param/video/raw.h>

struct spa_buffer;

namespace quillet::screencapture {

// The byte order of a stream format the tool reads; nothing for any other.
[[nodiscard]] std::optional<CastPicture::Order> castPictureOrder(spa_video_format format);

// The part of a mapped buffer's picture that shows the monitor, when the buffer holds a whole
// picture of the negotiated `format`: compositors send pointer-only buffers without one and mark
// damaged ones. A GPU buffer, which the tool cannot map, sets `isGpuBuffer`.
[[nodiscard]] std::optional<CastPicture> castPictureIn(const spa_buffer& buffer, const spa_video_info_raw& format,
                                                       bool& isGpuBuffer);

} // namespace quillet::screencapture
