#include "Quillet/common/DesktopNotifications.hpp"

#include "Quillet/common/CaptureLog.hpp"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace quillet {
namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
const QString actionKey = QStringLiteral("open");
// The server's own default; a notice about a lost recording should not vanish while unread.
constexpr int serverDefaultTimeout = -1;
// The server keeps old ids' targets meaningless after this many notices.
constexpr int rememberedTargets = 16;

} // namespace

DesktopNotifications::DesktopNotifications(Open open, QObject* parent) : QObject(parent), open_(std::move(open))
{
    QDBusConnection::sessionBus().connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                                          SLOT(actionInvoked(uint, QString)));
}

void DesktopNotifications::show(const Notice& notice)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    const QStringList actions = notice.actionTarget.isEmpty() ? QStringList()
                                                              : QStringList{actionKey, notice.actionLabel};
    call << QStringLiteral("Quillet") << uint(0) << QStringLiteral("app.quillet.Quillet") << notice.title
         << notice.body << actions << QVariantMap() << serverDefaultTimeout;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, target = notice.actionTarget](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    captureLog().log("no desktop notification: %{public}s", reply.error().message());
                    return;
                }
                if (targets_.size() >= rememberedTargets) {
                    targets_.clear();
                }
                targets_.insert(reply.value(), target);
            });
}

void DesktopNotifications::actionInvoked(uint id, const QString& action)
{
    const auto found = targets_.constFind(id);
    if (found == targets_.cend() || action != actionKey || found->isEmpty()) {
        return;
    }
    open_(*found);
}

} // namespace quillet
