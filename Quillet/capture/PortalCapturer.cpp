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
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

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
// Until the user withdraws it: the choice of monitor is asked once.
constexpr uint persistUntilRevoked = 2;

struct Stream {
    uint node = 0;
    int logicalWidth = 0;
};

// The first stream of Start's answer, a(ua{sv}); nothing when the answer holds none.
std::optional<Stream> firstStream(const QVariantMap& started)
{
    const auto streams = started.value(QStringLiteral("streams"));
    if (!streams.canConvert<QDBusArgument>()) {
        return std::nullopt;
    }
    const auto argument = streams.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("a(ua{sv})")) {
        return std::nullopt;
    }
    std::optional<Stream> first;
    argument.beginArray();
    while (!argument.atEnd()) {
        Stream stream;
        QVariantMap properties;
        argument.beginStructure();
        argument >> stream.node >> properties;
        argument.endStructure();
        const auto size = properties.value(QStringLiteral("size"));
        if (size.canConvert<QDBusArgument>()) {
            const auto sizeArgument = size.value<QDBusArgument>();
            if (sizeArgument.currentSignature() == QLatin1String("(ii)")) {
                int height = 0;
                sizeArgument.beginStructure();
                sizeArgument >> stream.logicalWidth >> height;
                sizeArgument.endStructure();
            }
        }
        if (!first) {
            first = stream;
        }
    }
    argument.endArray();
    return first;
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

PortalCapturer::PortalCapturer(brindle::PreferenceStore& preferences, Limits limits, QDBusConnection bus,
                               QObject* parent)
    : Capturer(ScreenCaptureTool(), parent), preferences_(preferences), limits_(limits), bus_(std::move(bus))
{
}

PortalCapturer::~PortalCapturer()
{
    delete picker_;
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
    QVariantMap options{{QStringLiteral("types"), monitorSources},
                        {QStringLiteral("multiple"), false},
                        {QStringLiteral("cursor_mode"), cursorHidden},
                        {QStringLiteral("persist_mode"), persistUntilRevoked}};
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
    const auto stream = firstStream(started);
    if (!stream) {
        fail(QStringLiteral("start the screen cast"), QStringLiteral("no stream in the answer"));
        return;
    }
    auto message = QDBusMessage::createMethodCall(portalService, portalPath, screenCast,
                                                  QStringLiteral("OpenPipeWireRemote"));
    message.setArguments({QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap()});
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, int(limits_.answer.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, stream = *stream](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *call;
                if (reply.isError() || !reply.value().isValid()) {
                    fail(QStringLiteral("reach the screen cast"), reply.error().message());
                    return;
                }
                // The reply closes its descriptor; the frame's reader owns a copy.
                const int fd = ::fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0);
                if (fd < 0) {
                    fail(QStringLiteral("reach the screen cast"),
                         QString::fromLocal8Bit(std::strerror(errno)));
                    return;
                }
                takeFrame(fd, stream.node, stream.logicalWidth);
            });
}

void PortalCapturer::takeFrame(int fd, uint node, int logicalWidth)
{
    runInBackground(
        this, [fd, node, limit = limits_.frame] { return PipeWireFrame::take(fd, node, limit); },
        [this, logicalWidth](Outcome<QImage> frame) {
            closeSession();
            if (!frame.isSuccess()) {
                fail(QStringLiteral("take a frame of the screen"), frame.error());
                return;
            }
            handOn(stillFrom(frame.value(), logicalWidth));
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
                    handOn(stillFrom(*image, desktop.width()));
                });
        });
}

void PortalCapturer::handOn(CapturedImage still)
{
    switch (mode_) {
    case Mode::screen:
        finish(std::optional(std::move(still)));
        return;
    case Mode::interactive:
        pickArea(std::move(still));
        return;
    }
}

void PortalCapturer::pickArea(CapturedImage still)
{
    auto* picker = new FrozenFramePicker(still.image, [this, still](std::optional<QRect> area) {
        if (!area) {
            finish(std::optional<CapturedImage>());
            return;
        }
        finish(std::optional(CapturedImage{still.image.copy(*area), still.scale}));
    });
    picker_ = picker;
    picker->showFullScreen();
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
    finish(Result::failure(castFailure_.isEmpty() ? failure : castFailure_ + QStringLiteral("; ") + failure));
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
    const Completion completion = std::move(completion_);
    completion_ = nullptr;
    if (completion) {
        completion(std::move(result));
    }
}

} // namespace quillet
