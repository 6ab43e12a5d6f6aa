#include "tools/screencapture/still/StillCapture.hpp"

#include "tools/screencapture/still/PngWriter.hpp"
#include "tools/screencapture/still/RawWriter.hpp"
#include "tools/screencapture/x11/CapturableDisplay.hpp"
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

bool isOnAnyScreen(const ScreenLayout& layout, const PixelRect& area)
{
    for (const PixelRect& screen : layout.screens) {
        if (!screen.intersected(area).isEmpty()) {
            return true;
        }
    }
    return false;
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

std::optional<std::string> save(const Bitmap& bitmap, double pixelsPerPoint, const std::string& path,
                                StillFormat format)
{
    switch (format) {
    case StillFormat::png:
        return write(PngWriter::encode(bitmap, pixelsPerPoint), path);
    case StillFormat::raw: {
        Bitmap pixels = bitmap; // the same pixels, which are not needed afterwards
        return RawWriter::writeFile(pixels, pixelsPerPoint, path);
    }
    }
    return "unknown still format";
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
    if (!isOnAnyScreen(layout, area)) {
        return reported(ExitStatus::failure, "region is outside every screen");
    }
    if (auto refusal = PngWriter::refusedOutput(command.outputPath)) {
        return reported(ExitStatus::failure, *refusal);
    }
    // For the application, straight into the file where the area is all on one screen.
    if (command.stillFormat == StillFormat::raw && isOnOneScreen(layout, area) &&
        area.intersected(display.rootRect()) == area) {
        const auto reason = RawWriter::grabToFile(RootGrabber(display), display.connection(), area,
                                                  layout.pixelsPerPoint, command.outputPath);
        return reason ? reported(ExitStatus::failure, *reason) : ExitStatus::success;
    }
    // One request reads the whole area, so the still is one moment of the screen; the bands are
    // compressed side by side afterwards.
    const Bitmap bitmap = grabArea(display, layout, area);
    if (bitmap.isEmpty()) {
        return reported(ExitStatus::failure, "cannot read the screen");
    }
    const auto reason = save(bitmap, layout.pixelsPerPoint, command.outputPath, command.stillFormat);
    return reason ? reported(ExitStatus::failure, *reason) : ExitStatus::success;
}

} // namespace quillet::screencapture::StillCapture
