#include "tools/screencapture/x11/RootRowReader.hpp"

#include "tools/screencapture/still/Bitmap.hpp"

namespace quillet::screencapture {
namespace {

constexpr std::uint32_t allPlanes = ~0u;

} // namespace

RootRowReader::RootRowReader(xcb_connection_t* connection, xcb_window_t root, const PixelRect& area)
    : connection_(connection), root_(root), area_(area),
      bytesPerRow_(std::size_t(area.width) * Bitmap::bytesPerPixel),
      segment_(SharedSegment::attach(connection, bytesPerRow_ * std::size_t(maximumStripRows)))
{
}

const std::uint8_t* RootRowReader::rows(long first, long count)
{
    if (count <= 0 || count > maximumStripRows || first < 0 || first + count > area_.height) {
        return nullptr;
    }
    if (segment_) {
        if (const std::uint8_t* pixels = readShared(first, count)) {
            return pixels;
        }
        segment_.reset();
    }
    return readPlain(first, count);
}

const std::uint8_t* RootRowReader::readShared(long first, long count)
{
    auto* reply = xcb_shm_get_image_reply(
        connection_,
        xcb_shm_get_image(connection_, root_, std::int16_t(area_.x), std::int16_t(area_.y + first),
                          std::uint16_t(area_.width), std::uint16_t(count), allPlanes,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, segment_->id(), 0),
        nullptr);
    if (reply == nullptr) {
        return nullptr;
    }
    std::free(reply);
    return segment_->data();
}

const std::uint8_t* RootRowReader::readPlain(long first, long count)
{
    reply_.reset(
        xcb_get_image_reply(connection_,
                            xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_,
                                          std::int16_t(area_.x), std::int16_t(area_.y + first),
                                          std::uint16_t(area_.width), std::uint16_t(count), allPlanes),
                            nullptr));
    if (!reply_ || std::size_t(xcb_get_image_data_length(reply_.get())) < bytesPerRow_ * std::size_t(count)) {
        return nullptr;
    }
    return xcb_get_image_data(reply_.get());
}

} // namespace quillet::screencapture
