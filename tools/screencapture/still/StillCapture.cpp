#include "tools/screencapture/still/StillCapture.hpp"

#include "tools/screencapture/x11/CapturableDisplay.hpp"
#include "tools/screencapture/still/PngWriter.hpp"
#include "tools/screencapture/x11/RootGrabber.hpp"
#include "tools/screencapture/x11/XDisplay.hpp"

namespace quillet::screencapture::StillCapture {
namespace {

bool isOnOneScreen(const ScreenLayout& layout, const PixelRect& area)
{
    for (const PixelRect& screen : layout.screens) {
        if (screen.contains(area)) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> write(const std::vector<std::uint8_t>& png, const std::string& path)
{
    if (png.empty()) {
        return "cannot read the screen or encode the PNG for '" + path + "'";
    }
    return PngWriter::writeFile(png, path);
}

// The common case, a rectangle that one screen shows whole, is read and encoded strip by strip.
std::optional<std::string> captureDirectly(const XDisplay& display, const ScreenLayout& layout,
                                           const PixelRect& area, const std::string& path)
{
    const RowReaderFactory readers = RootGrabber(display).rowReaders(area);
    return write(PngWriter::encode(area.width, area.height, layout.pixelsPerPoint, readers), path);
}

} // namespace

Bitmap grabArea(const XDisplay& display, const ScreenLayout& layout, const PixelRect& area)
{
    const RootGrabber grabber(display);
    const PixelRect visible = area.intersected(display.rootRect());
    if (isOnOneScreen(layout, area) && visible == area) {
        return grabber.grab(area);
    }
    Bitmap result = Bitmap::black(area.width, area.height);
    if (result.isEmpty() || visible.isEmpty()) {
        return result;
    }
    const Bitmap grabbed = grabber.grab(visible);
    if (grabbed.isEmpty()) {
        return {};
    }
    // Root pixels that no screen shows are undefined on real hardware: leave them black.
    for (const PixelRect& screen : layout.screens) {
        result.paste(grabbed, visible.x, visible.y, area.x, area.y, screen.intersected(visible));
    }
    return result;
}

std::optional<std::string> save(const Bitmap& bitmap, double pixelsPerPoint, const std::string& path)
{
    return write(PngWriter::encode(bitmap, pixelsPerPoint), path);
}

ExitStatus run(const Command& command)
{
    auto opened = openCapturableDisplay();
    if (const auto* status = std::get_if<ExitStatus>(&opened)) {
        return *status;
    }
    const XDisplay& display = *std::get<std::unique_ptr<XDisplay>>(opened);
    const ScreenLayout layout = display.layout();
    const PixelRect area = layout.pixelRect(*command.region);
    if (area.isEmpty()) {
        return reported(ExitStatus::failure, "the region is smaller than one pixel");
    }
    if (area.width > maximumPixels / area.height) {
        return reported(ExitStatus::failure, "the region is too large to capture");
    }
    if (isOnOneScreen(layout, area) && display.rootRect().contains(area)) {
        const auto reason = captureDirectly(display, layout, area, command.outputPath);
        return reason ? reported(ExitStatus::failure, *reason) : ExitStatus::success;
    }
    const Bitmap bitmap = grabArea(display, layout, area);
    if (bitmap.isEmpty()) {
        return reported(ExitStatus::failure, "cannot read the screen");
    }
    const auto reason = save(bitmap, layout.pixelsPerPoint, command.outputPath);
    return reason ? reported(ExitStatus::failure, *reason) : ExitStatus::success;
}

} // namespace quillet::screencapture::StillCapture
