#include "tools/screencapture/RootGrabber.hpp"

#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>
#include <xcb/shm.h>

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

bool hasSharedFds(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
    if (extension == nullptr || !extension->present) {
        return false;
    }
    auto* version = xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr);
    // Passing a file descriptor needs MIT-SHM 1.2.
    const bool hasFds = version != nullptr && (version->major_version > 1 || version->minor_version >= 2);
    std::free(version);
    return hasFds;
}

// An anonymous memory file mapped here; the server maps the same file.
struct SharedMemory {
    int fd = -1;
    std::uint8_t* pixels = nullptr;
    std::size_t size = 0;
};

SharedMemory makeSharedMemory(std::size_t size)
{
    SharedMemory memory;
    memory.fd = memfd_create("quillet-screencapture", MFD_CLOEXEC);
    if (memory.fd < 0) {
        return memory;
    }
    void* mapped = MAP_FAILED;
    if (ftruncate(memory.fd, off_t(size)) == 0) {
        mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memory.fd, 0);
    }
    if (mapped == MAP_FAILED) {
        close(memory.fd);
        memory.fd = -1;
        return memory;
    }
    memory.pixels = static_cast<std::uint8_t*>(mapped);
    memory.size = size;
    return memory;
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
    if (Bitmap bitmap = grabShared(area); !bitmap.isEmpty()) {
        return bitmap;
    }
    return grabPlain(area);
}

Bitmap RootGrabber::grabShared(const PixelRect& area) const
{
    xcb_connection_t* connection = display_.connection();
    if (!hasSharedFds(connection)) {
        return {};
    }
    const std::size_t bytesPerRow = std::size_t(area.width) * Bitmap::bytesPerPixel;
    SharedMemory memory = makeSharedMemory(bytesPerRow * std::size_t(area.height));
    if (memory.pixels == nullptr) {
        return {};
    }
    auto storage = std::shared_ptr<void>(memory.pixels, [size = memory.size](void* p) { munmap(p, size); });
    const xcb_shm_seg_t segment = xcb_generate_id(connection);
    // xcb closes the descriptor once it has been sent; a server on another host refuses it here.
    if (xcb_generic_error_t* error =
            xcb_request_check(connection, xcb_shm_attach_fd_checked(connection, segment, memory.fd, 0))) {
        std::free(error);
        return {};
    }
    auto* reply = xcb_shm_get_image_reply(connection,
                                          xcb_shm_get_image(connection, display_.root(), std::int16_t(area.x),
                                                            std::int16_t(area.y), std::uint16_t(area.width),
                                                            std::uint16_t(area.height), allPlanes,
                                                            XCB_IMAGE_FORMAT_Z_PIXMAP, segment, 0),
                                          nullptr);
    xcb_shm_detach(connection, segment);
    xcb_flush(connection);
    if (reply == nullptr) {
        return {};
    }
    std::free(reply);
    return Bitmap{area.width, area.height, bytesPerRow, memory.pixels, std::move(storage)};
}

Bitmap RootGrabber::grabPlain(const PixelRect& area) const
{
    xcb_connection_t* connection = display_.connection();
    auto* reply = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, display_.root(), std::int16_t(area.x),
                      std::int16_t(area.y), std::uint16_t(area.width), std::uint16_t(area.height), allPlanes),
        nullptr);
    if (reply == nullptr) {
        return {};
    }
    const std::size_t bytesPerRow = std::size_t(area.width) * Bitmap::bytesPerPixel;
    if (std::size_t(xcb_get_image_data_length(reply)) < bytesPerRow * std::size_t(area.height)) {
        std::free(reply);
        return {};
    }
    auto storage = std::shared_ptr<void>(reply, std::free);
    return Bitmap{area.width, area.height, bytesPerRow, xcb_get_image_data(reply), std::move(storage)};
}

} // namespace quillet::screencapture
