#include "tools/screencapture/recording/FrameGrabber.hpp"

#include "tools/screencapture/x11/SharedSegment.hpp"
#include "tools/screencapture/x11/XDisplay.hpp"

#include <algorithm>
#include <cstdlib>

namespace quillet::screencapture {
namespace {

constexpr std::uint32_t allPlanes = ~0u;

std::size_t bytesPerRow(const PixelRect& area)
{
    return std::size_t(area.width) * Bitmap::bytesPerPixel;
}

} // namespace

FrameGrabber::FrameGrabber(const XDisplay& display, const PixelRect& area, int keptGrabs)
    : display_(display), area_(area)
{
    for (int i = 0; i < std::max(keptGrabs, 1); ++i) {
        auto segment = SharedSegment::attach(display.connection(), bytesPerRow(area) * std::size_t(area.height));
        if (!segment) {
            // All or none: the plain replies live as long as their pictures anyway.
            segments_.clear();
            return;
        }
        segments_.push_back(std::move(segment));
    }
}

FrameGrabber::~FrameGrabber() = default;

Bitmap FrameGrabber::grab()
{
    return segments_.empty() ? grabPlain() : grabShared();
}

Bitmap FrameGrabber::grabShared()
{
    const SharedSegment& segment = *segments_[nextSegment_];
    nextSegment_ = (nextSegment_ + 1) % segments_.size();
    xcb_connection_t* connection = display_.connection();
    auto* reply = xcb_shm_get_image_reply(
        connection,
        xcb_shm_get_image(connection, display_.root(), std::int16_t(area_.x), std::int16_t(area_.y),
                          std::uint16_t(area_.width), std::uint16_t(area_.height), allPlanes,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, segment.id(), 0),
        nullptr);
    if (reply == nullptr) {
        return {};
    }
    std::free(reply);
    return Bitmap{area_.width, area_.height, bytesPerRow(area_), segment.data(), nullptr};
}

Bitmap FrameGrabber::grabPlain()
{
    xcb_connection_t* connection = display_.connection();
    auto* reply =
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, display_.root(),
                                          std::int16_t(area_.x), std::int16_t(area_.y),
                                          std::uint16_t(area_.width), std::uint16_t(area_.height), allPlanes),
                            nullptr);
    if (reply == nullptr ||
        std::size_t(xcb_get_image_data_length(reply)) < bytesPerRow(area_) * std::size_t(area_.height)) {
        std::free(reply);
        return {};
    }
    return Bitmap{area_.width, area_.height, bytesPerRow(area_), xcb_get_image_data(reply),
                  std::shared_ptr<void>(reply, std::free)};
}

} // namespace quillet::screencapture
