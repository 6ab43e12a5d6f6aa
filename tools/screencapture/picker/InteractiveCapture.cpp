#include "tools/screencapture/picker/InteractiveCapture.hpp"

#include "tools/screencapture/picker/PickerSession.hpp"
#include "tools/screencapture/picker/PickerWindow.hpp"
#include "tools/screencapture/still/StillCapture.hpp"
#include "tools/screencapture/x11/CapturableDisplay.hpp"
#include "tools/screencapture/x11/TopLevelWindows.hpp"
#include "tools/screencapture/x11/XDisplay.hpp"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>

namespace quillet::screencapture::InteractiveCapture {
namespace {

using namespace std::chrono_literals;

// Launched from a held shortcut, the tool may find the keyboard still grabbed by whoever saw the
// shortcut until its keys are released.
constexpr auto grabRetryInterval = 20ms;
constexpr int grabAttempts = 100;
// A picker left open with nobody at it gives the screen back after this long without input.
constexpr std::chrono::milliseconds defaultIdleLimit = 5min;
// Overrides the idle limit (whole milliseconds), for tests.
constexpr const char* idleLimitVariable = "QUILLET_SCREENCAPTURE_IDLE_LIMIT_MS";

struct Pick {
    std::optional<PixelRect> area;      // nothing when cancelled or given up
    std::optional<std::string> problem; // why it gave up
};

std::chrono::milliseconds idleLimit()
{
    bool isNumber = false;
    const long long limit = qEnvironmentVariable(idleLimitVariable).toLongLong(&isNumber);
    return isNumber && limit > 0 ? std::chrono::milliseconds(limit) : defaultIdleLimit;
}

// Restarts `timer` on every key press and pointer event the picker gets.
class InputActivity : public QObject {
public:
    explicit InputActivity(QTimer& timer) : timer_(timer) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
            timer_.start();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTimer& timer_;
};

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

// Without both grabs the picker could neither see Escape nor keep clicks from reaching other
// programs, so after the retries it gives up through `failed`.
void grabInput(QWidget* window, int attemptsLeft, const std::function<void()>& failed)
{
    QWindow* handle = window->windowHandle();
    const bool hasKeyboard = handle->setKeyboardGrabEnabled(true);
    const bool hasPointer = handle->setMouseGrabEnabled(true);
    if (hasKeyboard && hasPointer) {
        return;
    }
    if (attemptsLeft <= 0) {
        failed();
        return;
    }
    QTimer::singleShot(grabRetryInterval, window,
                       [window, attemptsLeft, failed] { grabInput(window, attemptsLeft - 1, failed); });
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

// Shows the picker and runs until the user picks or cancels, or it gives up; the pick in root pixels.
// The toolkit starts while the server copies the screen out: `frozen` is waited for only once
// windows are to be made. It is empty when the screen could not be read.
Pick pick(std::future<Bitmap>& frozenGrab, Bitmap& frozen, std::vector<PixelRect> topLevels)
{
    int argc = 1;
    char name[] = "quillet-screencapture";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    frozen = frozenGrab.get();
    if (frozen.isEmpty()) {
        return {};
    }
    std::vector<std::unique_ptr<PickerWindow>> windows;
    Pick picked;
    const auto end = [&](Pick result) {
        picked = std::move(result);
        for (auto& window : windows) {
            window->hide();
        }
        QApplication::quit();
    };
    PickerSession session(std::move(topLevels), [&](std::optional<PixelRect> result) { end({result, {}}); });
    for (QScreen* screen : QGuiApplication::screens()) {
        windows.push_back(std::make_unique<PickerWindow>(screen, session, screenImage(frozen, screen)));
        session.addScreen(screen, windows.back().get());
    }
    if (windows.empty()) {
        return {};
    }
    for (auto& window : windows) {
        window->show();
    }
    QWidget* input = windowUnderPointer(windows);
    input->activateWindow();
    input->grabKeyboard();
    input->grabMouse();
    grabInput(input, grabAttempts, [&] {
        end({std::nullopt, "cannot grab the keyboard and pointer: another program holds them"});
    });
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(idleLimit());
    QObject::connect(&idle, &QTimer::timeout, [&] {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(idle.intervalAsDuration());
        end({std::nullopt, "gave up after " + std::to_string(seconds.count()) + " s without input"});
    });
    InputActivity activity(idle);
    application.installEventFilter(&activity);
    idle.start();
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
    // Everything the user sees while picking is this one moment of the screens, read on a thread of
    // its own (xcb takes requests from any thread) while the toolkit starts.
    const ScreenLayout layout = display.layout();
    std::future<Bitmap> frozenGrab = std::async(std::launch::async, [&display, &layout] {
        Bitmap grabbed = StillCapture::grabArea(display, layout, display.rootRect());
        // The toolkit takes these pixels as 0xffRRGGBB; the server leaves the top byte 0.
        grabbed.makeOpaque();
        return grabbed;
    });
    pinToolkitScaling();
    Bitmap frozen;
    const Pick picked = pick(frozenGrab, frozen, TopLevelWindows::list(display));
    if (frozen.isEmpty()) {
        return reported(ExitStatus::failure, "cannot read the screen");
    }
    if (picked.problem) {
        return reported(ExitStatus::failure, *picked.problem);
    }
    if (!picked.area) {
        return ExitStatus::success;
    }
    const Bitmap cut = frozen.copied(*picked.area, 0, 0);
    if (cut.isEmpty()) {
        return reported(ExitStatus::failure, "cannot cut the picked area");
    }
    if (auto reason =
            StillCapture::save(cut, layout.pixelsPerPoint, command.outputPath, command.stillFormat)) {
        return reported(ExitStatus::failure, *reason);
    }
    return ExitStatus::success;
}

} // namespace quillet::screencapture::InteractiveCapture
