#pragma once

#include <QRect>
#include <QSize>

namespace quillet::CastCrop {

// The pixels of a monitor's screen-cast stream that show `area`. `area` and `monitor` (the monitor's
// place) are in the desktop's logical points, `frame` is the stream's size in pixels: a HiDPI monitor
// sends more pixels than it has points. The result lies inside the frame, with an even width and
// height as the encoder needs them (rounded down); it is empty when `area` does not cover at least two
// pixels of the monitor each way.
[[nodiscard]] QRect inStream(const QRect& area, const QRect& monitor, QSize frame);

} // namespace quillet::CastCrop
