#pragma once

#include "Quillet/common/Outcome.hpp"

#include <QImage>

#include <chrono>
#include <cstdint>

namespace quillet::PipeWireFrame {

// Takes the next whole frame of the video stream `node` on the PipeWire connection `fd`, waiting at
// most `limit`. The connection is taken over and closed on every path; -1 connects to the user's own
// PipeWire server. Blocks: call it off the main thread.
[[nodiscard]] Outcome<QImage> take(int fd, std::uint32_t node, std::chrono::milliseconds limit);

} // namespace quillet::PipeWireFrame
