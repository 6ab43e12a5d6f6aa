#include "Brindle/ScreenPicture.hpp"

#include "Brindle/XcbRoot.hpp"

#include <QPixmap>
#include <QScreen>

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <unistd.h>
#include <xcb/shm.h>

namespace brindle {
namespace {

constexpr std::uint8_t rootDepth = 24;
constexpr std::uint8_t bitsPerPixel = 32;
constexpr std::size_t bytesPerPixel = 4;
constexpr std::uint32_t redMask = 0xff0000;
constexpr std::uint32_t greenMask = 0x00ff00;
constexpr std::uint32_t blueMask = 0x0000ff;
constexpr std::uint32_t allPlanes = ~0u;
constexpr std::uint32_t opaque = 0xff000000;

template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

// The pixels come as Qt's RGB32 (B, G, R, pad in memory) only for this one, most common, layout.
bool isRgb32(xcb_connection_t* connection, const xcb_screen_t& screen)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (screen.root_depth != rootDepth || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
        return false;
    }
    bool hasFormat = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
        hasFormat = hasFormat || (it.data->depth == rootDepth && it.data->bits_per_pixel == bitsPerPixel);
    }
    for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem > 0; xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals)) {
            const xcb_visualtype_t& visual = *visuals.data;
            if (visual.visual_id == screen.root_visual) {
                return hasFormat && visual.red_mask == redMask && visual.green_mask == greenMask &&
                       visual.blue_mask == blueMask;
            }
        }
    }
    return false;
}

// Passing a memory file needs MIT-SHM 1.2 and a server on this host.
bool canShareMemory(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
    if (extension == nullptr || !extension->present) {
        return false;
    }
    const ReplyPointer<xcb_shm_query_version_reply_t> version(
        xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr), &std::free);
    return version && (version->major_version > 1 || version->minor_version >= 2);
}

struct Mapping {
    void* data;
    std::size_t size;
};

void unmap(void* mapping)
{
    const auto* memory = static_cast<Mapping*>(mapping);
    munmap(memory->data, memory->size);
    delete memory;
}

// A memory file of `size` bytes and a second descriptor of it for the server, or none.
struct MemoryFile {
    int fd = -1;
    int forServer = -1;
};

MemoryFile createMemoryFile(std::size_t size)
{
    const int fd = memfd_create("quillet-screen", MFD_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    const int forServer = ftruncate(fd, off_t(size)) == 0 ? fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    if (forServer < 0) {
        close(fd);
        return {};
    }
    return {fd, forServer};
}

// Whether the server wrote the root window's pixels in `area` (native pixels) into `file`.
bool serverWrote(xcb_connection_t* connection, const xcb_screen_t& screen, const QRect& area,
                 const MemoryFile& file)
{
    const xcb_shm_seg_t segment = xcb_generate_id(connection);
    // xcb closes the descriptor it sends; a server on another host refuses it here.
    if (xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_shm_attach_fd_checked(connection, segment, file.forServer, 0))) {
        std::free(error);
        return false;
    }
    const ReplyPointer<xcb_shm_get_image_reply_t> reply(
        xcb_shm_get_image_reply(connection,
                                xcb_shm_get_image(connection, screen.root, std::int16_t(area.x()),
                                                  std::int16_t(area.y()), std::uint16_t(area.width()),
                                                  std::uint16_t(area.height()), allPlanes,
                                                  XCB_IMAGE_FORMAT_Z_PIXMAP, segment, 0),
                                nullptr),
        &std::free);
    xcb_shm_detach(connection, segment);
    xcb_flush(connection);
    return reply != nullptr;
}

// The root window's pixels in `area` (native pixels), or a null image.
QImage grabShared(xcb_connection_t* connection, const xcb_screen_t& screen, const QRect& area)
{
    const std::size_t bytesPerRow = std::size_t(area.width()) * bytesPerPixel;
    const std::size_t size = bytesPerRow * std::size_t(area.height());
    const MemoryFile file = createMemoryFile(size);
    if (file.fd < 0) {
        return {};
    }
    const bool wrote = serverWrote(connection, screen, area, file);
    // Mapped only now, and all at once: the pages the server filled come in one call instead of
    // one fault each.
    void* data = wrote ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, file.fd, 0)
                       : MAP_FAILED;
    close(file.fd);
    if (data == MAP_FAILED) {
        return {};
    }
    auto* pixels = static_cast<std::uint32_t*>(data);
    // The server leaves the pad byte as it likes; Qt's opaque format wants it set.
    for (std::size_t i = 0, count = size / bytesPerPixel; i < count; ++i) {
        pixels[i] |= opaque;
    }
    return QImage(static_cast<uchar*>(data), area.width(), area.height(), qsizetype(bytesPerRow),
                  QImage::Format_RGB32, &unmap, new Mapping{data, size});
}

} // namespace

QImage ScreenPicture::take(QScreen& screen)
{
    const qreal ratio = screen.devicePixelRatio();
    // The toolkit keeps a screen's top-left corner in native pixels and scales only its size.
    const QRect native(screen.geometry().topLeft(), (QSizeF(screen.geometry().size()) * ratio).toSize());
    xcb_connection_t* connection = x11Connection();
    const xcb_screen_t* root = connection ? defaultScreen(connection) : nullptr;
    const bool fitsRoot =
        root != nullptr && QRect(0, 0, root->width_in_pixels, root->height_in_pixels).contains(native);
    if (fitsRoot && !native.isEmpty() && isRgb32(connection, *root) && canShareMemory(connection)) {
        QImage picture = grabShared(connection, *root, native);
        if (!picture.isNull()) {
            picture.setDevicePixelRatio(ratio);
            return picture;
        }
    }
    QImage picture = screen.grabWindow(0).toImage();
    return picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
}

} // namespace brindle
