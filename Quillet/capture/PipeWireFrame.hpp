#pragma once

#include "Quillet/common/Outcome.hpp"

#include <QImage>
#include <QPoint>

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace quillet::PipeWireFrame {

// One whole frame of a stream, and where the pointer stood on it when the stream tells (a stream
// with cursor metadata marks the pointer on the monitor that has it, and no pointer elsewhere).
struct Picture {
    QImage image;
    std::optional<QPoint> pointer; // in the frame's pixels, inside the frame
};

// Takes the next whole frame of each video stream in `nodes` on the PipeWire connection `fd`, all at
// once, waiting at most `limit` for them all. Per stream, in the order of `nodes`: its picture or why
// there is none. The connection is taken over and closed on every path; -1 connects to the user's own
// PipeWire server. Blocks: call it off the main thread.
// The `height` rows of `width` four-byte pixels from `first`, `stride` bytes apart, as an image of
// `format` (one without alpha) with every pixel opaque: a monitor has no transparency, and compositors
// leave the fourth byte undefined whatever format they announce. Null when no such image can be had.
[[nodiscard]] QImage opaqueImage(const uchar* first, int width, int height, int stride, QImage::Format format);

[[nodiscard]] std::vector<Outcome<Picture>> take(int fd, const std::vector<std::uint32_t>& nodes,
                                                 std::chrono::milliseconds limit);

} // namespace quillet::PipeWireFrame
