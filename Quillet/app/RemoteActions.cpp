#include "Quillet/app/RemoteActions.hpp"

#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/DesktopPortals.hpp"
#include "core/ActionRequest.hpp"
#include "kit-core/LogFormat.hpp"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QTimer>

namespace quillet {
namespace {

const QString requestPrefix = QStringLiteral("action ");

} // namespace

RemoteActions::RemoteActions(Perform perform, QObject* parent) : QObject(parent), perform_(std::move(perform))
{
}

QString RemoteActions::request(CaptureAction action)
{
    return requestPrefix + QString::fromLatin1(actionName(action).data(), actionName(action).size());
}

bool RemoteActions::take(const QString& request)
{
    if (!request.startsWith(requestPrefix)) {
        return false;
    }
    return performNamed(request.mid(requestPrefix.size()), "command line");
}

bool RemoteActions::publish()
{
    if (!DesktopPortals::sessionBusAnnounced()) {
        captureLog().error("no session bus: Activate is not offered");
        return false;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        captureLog().error("no session bus: Activate is not offered");
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(objectPath), this, QDBusConnection::ExportScriptableSlots)) {
        captureLog().error("could not offer %{public}s on the session bus", objectPath);
        return false;
    }
    // Never queued behind another owner: a second copy on another display keeps the name where it is.
    const auto reply = bus.interface()->registerService(QString::fromLatin1(serviceName),
                                                        QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(QString::fromLatin1(objectPath));
        captureLog().error("the session bus name %{public}s is taken", serviceName);
        return false;
    }
    return true;
}

void RemoteActions::Activate(const QString& action)
{
    if (!performNamed(action, "session bus") && calledFromDBus()) {
        sendErrorReply(QDBusError::InvalidArgs,
                       QStringLiteral("unknown action \"%1\": use screen, area or record")
                           .arg(QString::fromStdString(brindle::LogFormat::outsideText(action.toStdString()))));
    }
}

bool RemoteActions::performNamed(const QString& name, const char* route)
{
    const auto action = actionNamed(name.toStdString());
    if (!action) {
        // Whoever reaches the bus or the socket writes this name: one safe line, whatever it holds.
        captureLog().error("refused the action %{public}s asked through the %{public}s",
                           brindle::LogFormat::outsideText(name.toStdString()), route);
        return false;
    }
    captureLog().log("action %{public}s asked through the %{public}s", actionName(*action), route);
    // After the answer: an action may open a modal dialog, and the asker must not wait on the user.
    QTimer::singleShot(0, this, [this, asked = *action] { perform_(asked); });
    return true;
}

} // namespace quillet
