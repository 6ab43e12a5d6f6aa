#pragma once

#include "tools/screencapture/x11/PixelRect.hpp"
#include "tools/screencapture/x11/RowReader.hpp"
#include "tools/screencapture/x11/SharedSegment.hpp"

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace quillet::screencapture {

// Strips of a root-window area, read into one reused shared segment or, without one, through
// GetImage replies.
class RootRowReader : public RowReader {
public:
    RootRowReader(xcb_connection_t* connection, xcb_window_t root, const PixelRect& area);

    [[nodiscard]] const std::uint8_t* rows(long first, long count) override;
    [[nodiscard]] std::size_t bytesPerRow() const override { return bytesPerRow_; }

private:
    [[nodiscard]] const std::uint8_t* readShared(long first, long count);
    [[nodiscard]] const std::uint8_t* readPlain(long first, long count);

    xcb_connection_t* connection_;
    xcb_window_t root_;
    PixelRect area_;
    std::size_t bytesPerRow_;
    std::unique_ptr<SharedSegment> segment_;
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply_{nullptr, &std::free};
};

} // namespace quillet::screencapture
