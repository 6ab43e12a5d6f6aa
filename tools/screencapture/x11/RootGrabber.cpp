#include "tools/screencapture/x11/RootGrabber.hpp"

#include "tools/screencapture/x11/SharedSegment.hpp"

#include <cstdint>
#include <cstdlib>

namespace quillet::screencapture {
namespace {

constexpr std::uint8_t bitsPerPixel = 32;
constexpr std::uint32_t redMask = 0xff0000;
constexpr std::uint32_t greenMask = 0x00ff00;
constexpr std::uint32_t blueMask = 0x0000ff;
constexpr std::uint32_t allPlanes = ~0u;

const xcb_format_t* pixmapFormat(const xcb_setup_t* setup, std::uint8_t depth)
{
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
        if (it.data->depth == depth) {
            return it.data;
        }
    }
    return nullptr;
}

const xcb_visualtype_t* rootVisual(const xcb_screen_t& screen)
{
    for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem > 0; xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == screen.root_visual) {
                return visuals.data;
            }
        }
    }
    return nullptr;
}

std::size_t bytesFor(const PixelRect& area)
{
    return std::size_t(area.width) * Bitmap::bytesPerPixel * std::size_t(area.height);
}

bool getShared(xcb_connection_t* connection, xcb_window_t root, const PixelRect& area,
               const SharedSegment& segment, std::size_t offset)
{
    if (offset > segment.size() || segment.size() - offset < bytesFor(area) || offset > UINT32_MAX) {
        return false;
    }
    auto* reply = xcb_shm_get_image_reply(
        connection,
        xcb_shm_get_image(connection, root, std::int16_t(area.x), std::int16_t(area.y), std::uint16_t(area.width),
                          std::uint16_t(area.height), allPlanes, XCB_IMAGE_FORMAT_Z_PIXMAP, segment.id(),
                          std::uint32_t(offset)),
        nullptr);
    std::free(reply);
    return reply != nullptr;
}

Bitmap grabShared(xcb_connection_t* connection, xcb_window_t root, const PixelRect& area)
{
    const std::size_t bytesPerRow = std::size_t(area.width) * Bitmap::bytesPerPixel;
    auto segment = SharedSegment::attach(connection, bytesFor(area));
    if (!segment || !getShared(connection, root, area, *segment, 0)) {
        return {};
    }
    std::uint8_t* pixels = segment->data();
    return Bitmap{area.width, area.height, bytesPerRow, pixels, segment->release()};
}

Bitmap grabPlain(xcb_connection_t* connection, xcb_window_t root, const PixelRect& area)
{
    auto* reply = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, std::int16_t(area.x), std::int16_t(area.y),
                      std::uint16_t(area.width), std::uint16_t(area.height), allPlanes),
        nullptr);
    const std::size_t bytesPerRow = std::size_t(area.width) * Bitmap::bytesPerPixel;
    if (reply == nullptr ||
        std::size_t(xcb_get_image_data_length(reply)) < bytesPerRow * std::size_t(area.height)) {
        std::free(reply);
        return {};
    }
    return Bitmap{area.width, area.height, bytesPerRow, xcb_get_image_data(reply),
                  std::shared_ptr<void>(reply, std::free)};
}

} // namespace

std::optional<std::string> RootGrabber::unsupportedFormat() const
{
    const xcb_screen_t& screen = display_.screen();
    const xcb_setup_t* setup = xcb_get_setup(display_.connection());
    const xcb_format_t* format = pixmapFormat(setup, screen.root_depth);
    const xcb_visualtype_t* visual = rootVisual(screen);
    const bool isBgrx = format != nullptr && format->bits_per_pixel == bitsPerPixel && visual != nullptr &&
                        visual->red_mask == redMask && visual->green_mask == greenMask &&
                        visual->blue_mask == blueMask && setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    if (isBgrx) {
        return std::nullopt;
    }
    return "unsupported screen format (depth " + std::to_string(screen.root_depth) +
           "): only 24-bit colour in 32-bit pixels can be captured";
}

Bitmap RootGrabber::grab(const PixelRect& area) const
{
    if (area.isEmpty() || !display_.rootRect().contains(area)) {
        return {};
    }
    if (Bitmap bitmap = grabShared(display_.connection(), display_.root(), area); !bitmap.isEmpty()) {
        return bitmap;
    }
    return grabPlain(display_.connection(), display_.root(), area);
}

bool RootGrabber::grabInto(const PixelRect& area, const SharedSegment& segment, std::size_t offset) const
{
    if (area.isEmpty() || !display_.rootRect().contains(area)) {
        return false;
    }
    return getShared(display_.connection(), display_.root(), area, segment, offset);
}

} // namespace quillet::screencapture
