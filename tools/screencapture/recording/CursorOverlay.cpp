#include "tools/screencapture/recording/CursorOverlay.hpp"

#include <algorithm>
#include <cstdlib>
#include <xcb/xfixes.h>

namespace quillet::screencapture {
namespace {

constexpr std::uint32_t cursorImageMajor = 4; // the image call needs version 1; 4 is what we speak

std::uint8_t over(std::uint8_t below, std::uint32_t above, int shift, std::uint32_t alpha)
{
    const std::uint32_t channel = (above >> shift) & 0xff;
    return std::uint8_t(std::min<std::uint32_t>(255, channel + (below * (255 - alpha) + 127) / 255));
}

} // namespace

CursorOverlay::CursorOverlay(xcb_connection_t* connection) : connection_(connection)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (extension == nullptr || !extension->present) {
        return;
    }
    auto* version = xcb_xfixes_query_version_reply(
        connection, xcb_xfixes_query_version(connection, cursorImageMajor, 0), nullptr);
    isAvailable_ = version != nullptr && version->major_version >= 1;
    std::free(version);
}

CursorOverlay::~CursorOverlay()
{
    if (asked_) {
        xcb_discard_reply(connection_, asked_->sequence);
    }
}

void CursorOverlay::ask()
{
    if (!isAvailable_) {
        return;
    }
    if (asked_) {
        xcb_discard_reply(connection_, asked_->sequence);
    }
    asked_ = xcb_xfixes_get_cursor_image(connection_);
}

void CursorOverlay::draw(const Bitmap& frame, const PixelRect& area)
{
    if (!asked_) {
        ask();
    }
    if (!asked_) {
        return;
    }
    auto* cursor = xcb_xfixes_get_cursor_image_reply(connection_, *asked_, nullptr);
    asked_.reset();
    if (cursor == nullptr) {
        return;
    }
    const long left = long(cursor->x) - cursor->xhot - area.x;
    const long top = long(cursor->y) - cursor->yhot - area.y;
    blend(frame, xcb_xfixes_get_cursor_image_cursor_image(cursor), cursor->width, cursor->height, left, top);
    std::free(cursor);
}

void CursorOverlay::blend(const Bitmap& frame, const std::uint32_t* image, long width, long height, long left,
                          long top)
{
    const long firstRow = std::max(0L, -top);
    const long lastRow = std::min(height, frame.height - top);
    const long firstColumn = std::max(0L, -left);
    const long lastColumn = std::min(width, frame.width - left);
    for (long row = firstRow; row < lastRow; ++row) {
        std::uint8_t* pixel = frame.row(top + row) + std::size_t(left + firstColumn) * Bitmap::bytesPerPixel;
        for (long column = firstColumn; column < lastColumn; ++column, pixel += Bitmap::bytesPerPixel) {
            const std::uint32_t argb = image[row * width + column];
            const std::uint32_t alpha = argb >> 24;
            if (alpha == 0) {
                continue;
            }
            pixel[0] = over(pixel[0], argb, 0, alpha);
            pixel[1] = over(pixel[1], argb, 8, alpha);
            pixel[2] = over(pixel[2], argb, 16, alpha);
        }
    }
}

} // namespace quillet::screencapture
