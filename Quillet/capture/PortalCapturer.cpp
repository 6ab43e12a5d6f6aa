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

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString screenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");

constexpr uint monitorSources = 1;
constexpr uint cursorHidden = 1;
// The pointer's place sent beside each frame, on the monitor that has it only.
constexpr uint cursorAsMetadata = 4;
// Until the user withdraws it: the choice of monitor is asked once.
constexpr uint persistUntilRevoked = 2;

// A pair of integers of an answer's stream properties, (ii); nothing when it is not one.
std::optional<QPoint> pairIn(const QVariant& value)
{
    if (!value.canConvert<QDBusArgument>()) {
        return std::nullopt;
    }
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(ii)")) {
        return std::nullopt;
    }
    int first = 0;
    int second = 0;
    argument.beginStructure();
    argument >> first >> second;
    argument.endStructure();
    return QPoint(first, second);
}

QString sessionHandle(const QVariantMap& created)
{
    const auto handle = created.value(QStringLiteral("session_handle"));
    if (handle.canConvert<QDBusObjectPath>()) {
        return handle.value<QDBusObjectPath>().path();
    }
    return handle.toString();
}

} // namespace

std::vector<PortalCapturer::Stream> PortalCapturer::streamsIn(const QVariantMap& started)
{
    const auto streams = started.value(QStringLiteral("streams"));
    if (!streams.canConvert<QDBusArgument>()) {
        return {};
    }
    const auto argument = streams.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("a(ua{sv})")) {
        return {};
    }
    std::vector<Stream> found;
    argument.beginArray();
    while (!argument.atEnd()) {
        Stream stream;
        QVariantMap properties;
        argument.beginStructure();
        argument >> stream.node >> properties;
        argument.endStructure();
        // Without a position (older portals, one monitor) the stream sits at the desktop's origin.
        const auto position = pairIn(properties.value(QStringLiteral("position"))).value_or(QPoint());
        const auto size = pairIn(properties.value(QStringLiteral("size")));
        if (size && size->x() > 0 && size->y() > 0) {
            stream.place = QRect(position, QSize(size->x(), size->y()));
        }
        found.push_back(stream);
    }
    argument.endArray();
    return found;
}

PortalCapturer::PortalCapturer(brindle::PreferenceStore& preferences, Limits limits, QDBusConnection bus,
                               QObject* parent)
    : Capturer(ScreenCaptureTool(), parent), preferences_(preferences), limits_(limits), bus_(std::move(bus))
{
}

PortalCapturer::~PortalCapturer()
{
    for (const QPointer<QWidget>& picker : pickers_) {
        delete picker;
    }
    closeSession();
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
    askCursorModes();
}

void PortalCapturer::askCursorModes()
{
    if (cursorModes_) {
        createSession();
        return;
    }
    auto message = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message.setArguments({screenCast, QStringLiteral("AvailableCursorModes")});
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, int(limits_.answer.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *call;
        // A portal that does not say offers no metadata; the cast then goes on without the pointer.
        cursorModes_ = reply.isError() ? 0u : reply.value().variant().toUInt();
        createSession();
    });
}

void PortalCapturer::createSession()
{
    PortalRequest::call(bus_, screenCast, QStringLiteral("CreateSession"), {},
                        {{QStringLiteral("session_handle_token"), PortalRequest::uniqueToken()}},
                        limits_.answer, this, [this](Outcome<QVariantMap> created, bool cancelled) {
                            if (!created.isSuccess()) {
                                fail(QStringLiteral("create a screen cast"), created.error(), cancelled);
                                return;
                            }
                            selectSources(created.value());
                        });
}

void PortalCapturer::selectSources(const QVariantMap& created)
{
    session_ = sessionHandle(created);
    if (session_.isEmpty()) {
        fail(QStringLiteral("create a screen cast"), QStringLiteral("no session in the answer"));
        return;
    }
    const uint cursor = (cursorModes_.value_or(0) & cursorAsMetadata) != 0 ? cursorAsMetadata : cursorHidden;
    QVariantMap options{{QStringLiteral("types"), monitorSources},
                        {QStringLiteral("multiple"), true},
                        {QStringLiteral("cursor_mode"), cursor},
                        {QStringLiteral("persist_mode"), persistUntilRevoked}};
    if (preferences_.object(singleMonitorTokenKey)) {
        preferences_.set(std::nullopt, singleMonitorTokenKey);
    }
    const auto stored = preferences_.object(restoreTokenKey);
    const std::string* token = stored ? stored->get<std::string>() : nullptr;
    if (token != nullptr && !token->empty()) {
        options.insert(QStringLiteral("restore_token"), QString::fromStdString(*token));
    }
    PortalRequest::call(bus_, screenCast, QStringLiteral("SelectSources"),
                        {QVariant::fromValue(QDBusObjectPath(session_))}, options, limits_.answer, this,
                        [this](Outcome<QVariantMap> selected, bool cancelled) {
                            if (!selected.isSuccess()) {
                                fail(QStringLiteral("choose the screen"), selected.error(), cancelled);
                                return;
                            }
                            start();
                        });
}

void PortalCapturer::start()
{
    // Without a token the desktop asks the user, who may take a while; with one it answers at once,
    // unless the remembered monitor is gone and it asks again: the user's limit holds either way.
    PortalRequest::call(bus_, screenCast, QStringLiteral("Start"),
                        {QVariant::fromValue(QDBusObjectPath(session_)), QString()}, {}, limits_.choice, this,
                        [this](Outcome<QVariantMap> started, bool cancelled) {
                            if (!started.isSuccess()) {
                                fail(QStringLiteral("start the screen cast"), started.error(), cancelled);
                                return;
                            }
                            openPipeWire(started.value());
                        });
}

void PortalCapturer::openPipeWire(const QVariantMap& started)
{
    const QString token = started.value(QStringLiteral("restore_token")).toString();
    if (!token.isEmpty()) {
        preferences_.set(token.toStdString(), restoreTokenKey);
    }
    auto streams = streamsIn(started);
    if (streams.empty()) {
        fail(QStringLiteral("start the screen cast"), QStringLiteral("no stream in the answer"));
        return;
    }
    auto message = QDBusMessage::createMethodCall(portalService, portalPath, screenCast,
                                                  QStringLiteral("OpenPipeWireRemote"));
    message.setArguments({QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap()});
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, int(limits_.answer.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, streams = std::move(streams)](QDBusPendingCallWatcher* call) mutable {
                call->deleteLater();
                const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *call;
                if (reply.isError() || !reply.value().isValid()) {
                    fail(QStringLiteral("reach the screen cast"), reply.error().message());
                    return;
                }
                // The reply closes its descriptor; the frames' reader owns a copy.
                const int fd = ::fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0);
                if (fd < 0) {
                    fail(QStringLiteral("reach the screen cast"),
                         QString::fromLocal8Bit(std::strerror(errno)));
                    return;
                }
                takeFrames(fd, std::move(streams));
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
            closeSession();
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
                createSession();
                return;
            }
            if (screens.empty()) {
                fail(QStringLiteral("take a frame of the screen"), missing);
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
                fail(QStringLiteral("take a screenshot"), taken.error(), cancelled);
                return;
            }
            const QString path = QUrl(taken.value().value(QStringLiteral("uri")).toString()).toLocalFile();
            if (path.isEmpty()) {
                fail(QStringLiteral("take a screenshot"), QStringLiteral("no file in the answer"));
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
                        fail(QStringLiteral("take a screenshot"), QStringLiteral("its file is not an image"));
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

void PortalCapturer::fail(const QString& step, const QString& reason, bool cancelledByUser)
{
    closeSession();
    if (cancelledByUser) {
        captureLog().log("the desktop's question was cancelled: %{public}s", reason);
        finish(std::optional<CapturedImage>());
        return;
    }
    const QString failure = QStringLiteral("could not %1 through the desktop portal: %2").arg(step, reason);
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
        told += QStringLiteral("; the desktop's portal takes its screenshots with %1, which is not installed: "
                               "install the %1 package")
                    .arg(missingProgram_);
    }
    finish(Result::failure(told));
}

void PortalCapturer::closeSession()
{
    if (session_.isEmpty()) {
        return;
    }
    bus_.send(QDBusMessage::createMethodCall(
        portalService, session_, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    session_.clear();
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
