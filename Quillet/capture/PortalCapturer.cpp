#include "Quillet/capture/PortalCapturer.hpp"

#include "Quillet/capture/FrozenFramePicker.hpp"
#include "Quillet/capture/PipeWireFrame.hpp"
#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/PortalRequest.hpp"
#include "kit-core/PreferenceStore.hpp"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quillet {
namespace {

// Why a step of a capture failed, as the user reads it.
QString failureOf(const QString& step, const QString& reason)
{
    return QStringLiteral("could not %1 through the desktop portal: %2").arg(step, reason);
}

} // namespace

PortalCapturer::PortalCapturer(brindle::PreferenceStore& preferences, Limits limits, QDBusConnection bus,
                               QObject* parent)
    : Capturer(ScreenCaptureTool(), parent), limits_(limits), bus_(bus),
      cast_(preferences, ScreenCastSession::PointerFallback::hidden, {limits.answer, limits.choice},
            std::move(bus))
{
}

PortalCapturer::~PortalCapturer()
{
    for (const QPointer<QWidget>& picker : pickers_) {
        delete picker;
    }
    cast_.close();
}

CapturedImage PortalCapturer::stillFrom(QImage frame, int logicalWidth)
{
    const double scale =
        logicalWidth > 0 ? std::max(1.0, std::round(double(frame.width()) / logicalWidth)) : 1.0;
    frame.convertTo(QImage::Format_RGBA8888_Premultiplied);
    return CapturedImage{std::move(frame), scale};
}

void PortalCapturer::capture(Mode mode, Completion completion)
{
    if (isRunning()) {
        completion(std::optional<CapturedImage>());
        return;
    }
    completion_ = std::move(completion);
    mode_ = mode;
    triedScreenshot_ = false;
    castFailure_.clear();
    retriedFrames_ = false;
    ownWindowsHidden_ = std::make_unique<WindowsHiddenForGrab>();
    if (ownWindowsHidden_->hidAny()) {
        // The desktop takes its picture from what it shows once asked: it must have taken our windows
        // away first. The round trip returns once the display server (the compositor, or XWayland for
        // an X client) has handled every request sent, the unmaps among them; every cast and screenshot
        // is asked after it, and its picture is painted after it.
        QGuiApplication::sync();
    }
    startCast();
}

void PortalCapturer::startCast()
{
    cast_.start([this](Outcome<std::vector<Stream>> streams, bool cancelled) {
        if (!streams.isSuccess()) {
            fail(streams.error(), cancelled);
            return;
        }
        cast_.openRemote([this, streams = streams.value()](Outcome<int> descriptor) mutable {
            if (!descriptor.isSuccess()) {
                fail(descriptor.error());
                return;
            }
            takeFrames(descriptor.value(), std::move(streams));
        });
    });
}

void PortalCapturer::takeFrames(int fd, std::vector<Stream> streams)
{
    std::vector<std::uint32_t> nodes;
    for (const Stream& stream : streams) {
        nodes.push_back(stream.node);
    }
    runInBackground(
        this, [fd, nodes, limit = limits_.frame] { return PipeWireFrame::take(fd, nodes, limit); },
        [this, streams = std::move(streams)](std::vector<Outcome<PipeWireFrame::Picture>> pictures) {
            cast_.close();
            std::vector<CastScreen> screens;
            QString missing;
            for (std::size_t index = 0; index < pictures.size() && index < streams.size(); ++index) {
                if (!pictures[index].isSuccess()) {
                    missing = pictures[index].error();
                    continue;
                }
                const auto& picture = pictures[index].value();
                screens.push_back(CastScreen{picture.image, streams[index].place, picture.pointer});
            }
            if (!missing.isEmpty()) {
                captureLog().error("a monitor of the screen cast gave no frame: %{public}s", missing);
            }
            // A monitor without a frame may be the one wanted: the pointer's, or one to drag on. A
            // second cast, asked at once with the token, nearly always has every frame.
            const bool pointerSeen =
                std::any_of(screens.begin(), screens.end(),
                            [](const CastScreen& screen) { return screen.pointer.has_value(); });
            if (!missing.isEmpty() && !retriedFrames_ && (mode_ == Mode::interactive || !pointerSeen)) {
                retriedFrames_ = true;
                startCast();
                return;
            }
            if (screens.empty()) {
                fail(failureOf(QStringLiteral("take a frame of the screen"), missing));
                return;
            }
            handOn(std::move(screens));
        });
}

void PortalCapturer::takeScreenshot()
{
    triedScreenshot_ = true;
    PortalRequest::call(
        bus_, QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"), {QString()},
        {{QStringLiteral("interactive"), false}}, limits_.answer, this,
        [this](Outcome<QVariantMap> taken, bool cancelled) {
            if (!taken.isSuccess()) {
                fail(failureOf(QStringLiteral("take a screenshot"), taken.error()), cancelled);
                return;
            }
            const QString path = QUrl(taken.value().value(QStringLiteral("uri")).toString()).toLocalFile();
            if (path.isEmpty()) {
                fail(failureOf(QStringLiteral("take a screenshot"), QStringLiteral("no file in the answer")));
                return;
            }
            const QRect desktop = QGuiApplication::primaryScreen() != nullptr
                                      ? QGuiApplication::primaryScreen()->virtualGeometry()
                                      : QRect();
            runInBackground(
                this,
                [path]() -> std::optional<QImage> {
                    // The portal wrote this file for this request alone; the still is saved our way.
                    QImage image(path);
                    QFile::remove(path);
                    return image.isNull() ? std::nullopt : std::optional(image);
                },
                [this, desktop](std::optional<QImage> image) {
                    if (!image) {
                        fail(failureOf(QStringLiteral("take a screenshot"),
                                       QStringLiteral("its file is not an image")));
                        return;
                    }
                    handOn({CastScreen{*image, desktop, std::nullopt}});
                });
        });
}

void PortalCapturer::handOn(std::vector<CastScreen> screens)
{
    switch (mode_) {
    case Mode::screen: {
        const QScreen* primary = QGuiApplication::primaryScreen();
        CastScreen& taken =
            screens[screenUnderPointer(screens, primary ? primary->geometry().topLeft() : QPoint())];
        captureLog().log("screen at %{public}d,%{public}d of %{public}d shared, pointer %{public}s",
                         taken.place.x(), taken.place.y(), int(screens.size()),
                         taken.pointer ? "on it" : "not seen");
        finish(std::optional(stillFrom(std::move(taken.frame), taken.place.width())));
        return;
    }
    case Mode::interactive:
        pickArea(std::move(screens));
        return;
    }
}

namespace {

// The screen that shows a cast's monitor: the one at its place, else the one at its position in the
// list (a desktop may place Quillet's screens differently), else the primary screen.
QScreen* screenShowing(const CastScreen& cast, std::size_t index)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        if (screen->geometry().topLeft() == cast.place.topLeft()) {
            return screen;
        }
    }
    return index < std::size_t(screens.size()) ? screens[qsizetype(index)] : QGuiApplication::primaryScreen();
}

} // namespace

void PortalCapturer::pickArea(std::vector<CastScreen> screens)
{
    // Each screen shows its own frame; the area is picked on the screen where the drag starts, so an
    // area never spans two monitors, and the first picker to answer closes the others.
    for (std::size_t index = 0; index < screens.size(); ++index) {
        const CastScreen& cast = screens[index];
        const CapturedImage still = stillFrom(cast.frame, cast.place.width());
        auto* picker = new FrozenFramePicker(still.image, [this, still](std::optional<QRect> area) {
            closePickers();
            if (!area) {
                finish(std::optional<CapturedImage>());
                return;
            }
            finish(std::optional(CapturedImage{still.image.copy(*area), still.scale}));
        });
        pickers_.emplace_back(picker);
        if (QScreen* screen = screenShowing(cast, index)) {
            picker->setScreen(screen);
            picker->setGeometry(screen->geometry());
        }
        picker->showFullScreen();
    }
}

void PortalCapturer::closePickers()
{
    for (const QPointer<QWidget>& picker : pickers_) {
        if (picker) {
            picker->close();
        }
    }
    pickers_.clear();
}

void PortalCapturer::fail(const QString& failure, bool cancelledByUser)
{
    cast_.close();
    if (cancelledByUser) {
        captureLog().log("the desktop's question was cancelled: %{public}s", failure);
        finish(std::optional<CapturedImage>());
        return;
    }
    // Desktops whose screen cast cannot serve us may still hand out a screenshot without asking; the
    // cast's failure is told with the screenshot's, should that fail too.
    if (!triedScreenshot_) {
        captureLog().log("%{public}s; trying the screenshot", failure);
        castFailure_ = failure;
        takeScreenshot();
        return;
    }
    QString told = castFailure_.isEmpty() ? failure : castFailure_ + QStringLiteral("; ") + failure;
    if (!missingProgram_.isEmpty()) {
        told +=
            QStringLiteral("; the desktop's portal takes its screenshots with %1, which is not installed: "
                           "install the %1 package")
                .arg(missingProgram_);
    }
    finish(Result::failure(told));
}

void PortalCapturer::finish(Result result)
{
    ownWindowsHidden_.reset();
    const Completion completion = std::move(completion_);
    completion_ = nullptr;
    if (completion) {
        completion(std::move(result));
    }
}

} // namespace quillet
