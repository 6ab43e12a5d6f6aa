#include "Quillet/common/ScreenCastSession.hpp"

#include "Quillet/common/PortalRequest.hpp"
#include "kit-core/PreferenceStore.hpp"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>

#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace quillet {
namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString screenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString sessionInterface = QStringLiteral("org.freedesktop.portal.Session");

constexpr uint monitorSources = 1;
constexpr uint cursorHidden = 1;
constexpr uint cursorEmbedded = 2;
// The pointer's place (and its picture when it changes) sent beside each frame.
constexpr uint cursorAsMetadata = 4;
// Until the user withdraws it: the choice of monitors is asked once.
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

std::vector<ScreenCastSession::Stream> ScreenCastSession::streamsIn(const QVariantMap& started)
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

ScreenCastSession::ScreenCastSession(brindle::PreferenceStore& preferences, PointerFallback pointer,
                                     Limits limits, QDBusConnection bus, QObject* parent)
    : QObject(parent), preferences_(preferences), pointer_(pointer), limits_(limits), bus_(std::move(bus))
{
}

ScreenCastSession::~ScreenCastSession()
{
    close();
}

void ScreenCastSession::start(Started started)
{
    close();
    started_ = std::move(started);
    askCursorModes();
}

void ScreenCastSession::askCursorModes()
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
        // A portal that does not say offers nothing but its default.
        cursorModes_ = reply.isError() ? 0u : reply.value().variant().toUInt();
        if (started_) {
            createSession();
        }
    });
}

void ScreenCastSession::createSession()
{
    PortalRequest::call(bus_, screenCast, QStringLiteral("CreateSession"), {},
                        {{QStringLiteral("session_handle_token"), PortalRequest::uniqueToken()}},
                        limits_.answer, this, [this](Outcome<QVariantMap> created, bool cancelled) {
                            if (!started_) {
                                return; // closed meanwhile
                            }
                            if (!created.isSuccess()) {
                                fail(QStringLiteral("create a screen cast"), created.error(), cancelled);
                                return;
                            }
                            selectSources(created.value());
                        });
}

void ScreenCastSession::selectSources(const QVariantMap& created)
{
    session_ = sessionHandle(created);
    if (session_.isEmpty()) {
        fail(QStringLiteral("create a screen cast"), QStringLiteral("no session in the answer"), false);
        return;
    }
    watchClosed(true);
    const uint fallback = pointer_ == PointerFallback::embedded ? cursorEmbedded : cursorHidden;
    const uint offered = cursorModes_.value_or(0);
    const uint cursor = (offered & cursorAsMetadata) != 0 ? cursorAsMetadata
                        : (offered & fallback) != 0       ? fallback
                                                          : cursorHidden;
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
                            if (!started_) {
                                return;
                            }
                            if (!selected.isSuccess()) {
                                fail(QStringLiteral("choose the screen"), selected.error(), cancelled);
                                return;
                            }
                            startCast();
                        });
}

void ScreenCastSession::startCast()
{
    // Without a token the desktop asks the user, who may take a while; with one it answers at once,
    // unless the remembered monitor is gone and it asks again: the user's limit holds either way.
    PortalRequest::call(bus_, screenCast, QStringLiteral("Start"),
                        {QVariant::fromValue(QDBusObjectPath(session_)), QString()}, {}, limits_.choice, this,
                        [this](Outcome<QVariantMap> started, bool cancelled) {
                            if (!started_) {
                                return;
                            }
                            if (!started.isSuccess()) {
                                fail(QStringLiteral("start the screen cast"), started.error(), cancelled);
                                return;
                            }
                            // Some desktops take a token once only: the newest one is the one to keep.
                            const QString token =
                                started.value().value(QStringLiteral("restore_token")).toString();
                            if (!token.isEmpty()) {
                                preferences_.set(token.toStdString(), restoreTokenKey);
                            }
                            auto streams = streamsIn(started.value());
                            if (streams.empty()) {
                                fail(QStringLiteral("start the screen cast"),
                                     QStringLiteral("no stream in the answer"), false);
                                return;
                            }
                            std::exchange(started_, nullptr)(std::move(streams), false);
                        });
}

void ScreenCastSession::openRemote(Opened opened)
{
    if (!isOpen()) {
        opened(Outcome<int>::failure(QStringLiteral("the screen cast is closed")));
        return;
    }
    auto message = QDBusMessage::createMethodCall(portalService, portalPath, screenCast,
                                                  QStringLiteral("OpenPipeWireRemote"));
    message.setArguments({QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap()});
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, int(limits_.answer.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [opened = std::move(opened)](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *call;
                if (reply.isError() || !reply.value().isValid()) {
                    opened(Outcome<int>::failure(
                        QStringLiteral("could not reach the screen cast through the desktop portal: %1")
                            .arg(reply.error().message())));
                    return;
                }
                // The reply closes its descriptor when it goes; the receiver owns a copy.
                const int fd = ::fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0);
                if (fd < 0) {
                    opened(Outcome<int>::failure(QStringLiteral("could not reach the screen cast: %1")
                                                     .arg(QString::fromLocal8Bit(std::strerror(errno)))));
                    return;
                }
                opened(fd);
            });
}

void ScreenCastSession::fail(const QString& step, const QString& reason, bool cancelledByUser)
{
    const Started started = std::exchange(started_, nullptr);
    close();
    if (started) {
        started(Outcome<std::vector<Stream>>::failure(
                    QStringLiteral("could not %1 through the desktop portal: %2").arg(step, reason)),
                cancelledByUser);
    }
}

void ScreenCastSession::close()
{
    started_ = nullptr;
    if (session_.isEmpty()) {
        return;
    }
    watchClosed(false);
    bus_.send(
        QDBusMessage::createMethodCall(portalService, session_, sessionInterface, QStringLiteral("Close")));
    session_.clear();
}

void ScreenCastSession::watchClosed(bool on)
{
    if (on) {
        bus_.connect(portalService, session_, sessionInterface, QStringLiteral("Closed"), this,
                     SLOT(sessionClosed(QVariantMap)));
    } else {
        bus_.disconnect(portalService, session_, sessionInterface, QStringLiteral("Closed"), this,
                        SLOT(sessionClosed(QVariantMap)));
    }
}

void ScreenCastSession::sessionClosed(const QVariantMap&)
{
    if (session_.isEmpty()) {
        return;
    }
    watchClosed(false);
    session_.clear();
    // A start under way learns of it as a failure; a running cast's owner through the signal.
    if (started_) {
        fail(QStringLiteral("start the screen cast"), QStringLiteral("the desktop closed it"), false);
        return;
    }
    emit closedByDesktop();
}

} // namespace quillet
