#include "tools/screencapture/picker/InteractiveCapture.hpp"

#include "tools/screencapture/x11/CapturableDisplay.hpp"
#include "tools/screencapture/picker/PickerSession.hpp"
#include "tools/screencapture/picker/PickerWindow.hpp"
#include "tools/screencapture/still/StillCapture.hpp"
#include "tools/screencapture/x11/TopLevelWindows.hpp"
#include "tools/screencapture/x11/XDisplay.hpp"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <memory>

namespace quillet::screencapture::InteractiveCapture {
namespace {

using namespace std::chrono_literals;

// Launched from a held shortcut, the tool may find the keyboard still grabbed by whoever saw the
// shortcut until its keys are released.
constexpr auto grabRetryInterval = 20ms;
constexpr int grabAttempts = 100;

// The scale must be Xft.dpi / 96 alone, as for -R, whatever the environment asks of the toolkit.
void pinToolkitScaling()
{
    for (const char* name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
                             "QT_USE_PHYSICAL_DPI", "QT_FONT_DPI", "QT_SCALE_FACTOR_ROUNDING_POLICY"}) {
        qunsetenv(name);
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

// The frozen root picture cut to one screen, without a copy.
QImage screenImage(const Bitmap& frozen, const QScreen* screen)
{
    const double ratio = screen->devicePixelRatio();
    const QRect geometry = screen->geometry();
    const PixelRect pixels = PixelRect{geometry.x(), geometry.y(), std::lround(geometry.width() * ratio),
                                       std::lround(geometry.height() * ratio)}
                                 .intersected({0, 0, frozen.width, frozen.height});
    if (pixels.isEmpty()) {
        return {};
    }
    const std::uint8_t* start = frozen.row(pixels.y) + std::size_t(pixels.x) * Bitmap::bytesPerPixel;
    QImage image(start, int(pixels.width), int(pixels.height), qsizetype(frozen.bytesPerRow),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

void grabInput(QWidget* window, int attemptsLeft)
{
    QWindow* handle = window->windowHandle();
    const bool hasKeyboard = handle->setKeyboardGrabEnabled(true);
    const bool hasPointer = handle->setMouseGrabEnabled(true);
    if ((hasKeyboard && hasPointer) || attemptsLeft <= 0) {
        return;
    }
    QTimer::singleShot(grabRetryInterval, window,
                       [window, attemptsLeft] { grabInput(window, attemptsLeft - 1); });
}

QWidget* windowUnderPointer(const std::vector<std::unique_ptr<PickerWindow>>& windows)
{
    const QPoint pointer = QCursor::pos();
    for (const auto& window : windows) {
        if (window->geometry().contains(pointer)) {
            return window.get();
        }
    }
    return windows.front().get();
}

// Shows the picker and runs until the user picks or cancels; the pick in root pixels.
std::optional<PixelRect> pick(const Bitmap& frozen, std::vector<PixelRect> topLevels)
{
    int argc = 1;
    char name[] = "quillet-screencapture";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    std::vector<std::unique_ptr<PickerWindow>> windows;
    std::optional<PixelRect> picked;
    PickerSession session(std::move(topLevels), [&](std::optional<PixelRect> result) {
        picked = result;
        for (auto& window : windows) {
            window->hide();
        }
        QApplication::quit();
    });
    for (QScreen* screen : QGuiApplication::screens()) {
        windows.push_back(std::make_unique<PickerWindow>(screen, session, screenImage(frozen, screen)));
        session.addScreen(screen, windows.back().get());
    }
    if (windows.empty()) {
        return std::nullopt;
    }
    for (auto& window : windows) {
        window->show();
    }
    QWidget* input = windowUnderPointer(windows);
    input->activateWindow();
    input->grabKeyboard();
    input->grabMouse();
    grabInput(input, grabAttempts);
    session.start(QCursor::pos());
    QApplication::exec();
    return picked;
}

} // namespace

ExitStatus run(const Command& command)
{
    auto opened = openCapturableDisplay();
    if (const auto* status = std::get_if<ExitStatus>(&opened)) {
        return *status;
    }
    const XDisplay& display = *std::get<std::unique_ptr<XDisplay>>(opened);
    // Everything the user sees while picking is this one moment of the screens.
    const ScreenLayout layout = display.layout();
    Bitmap frozen = StillCapture::grabArea(display, layout, display.rootRect());
    if (frozen.isEmpty()) {
        return reported(ExitStatus::failure, "cannot read the screen");
    }
    // The toolkit takes these pixels as 0xffRRGGBB; the server leaves the top byte 0.
    frozen.makeOpaque();
    pinToolkitScaling();
    const std::optional<PixelRect> picked = pick(frozen, TopLevelWindows::list(display));
    if (!picked) {
        return ExitStatus::success;
    }
    const Bitmap cut = frozen.copied(*picked, 0, 0);
    if (cut.isEmpty()) {
        return reported(ExitStatus::failure, "cannot cut the picked area");
    }
    if (auto reason = StillCapture::save(cut, layout.pixelsPerPoint, command.outputPath)) {
        return reported(ExitStatus::failure, *reason);
    }
    return ExitStatus::success;
}

} // namespace quillet::screencapture::InteractiveCapture
