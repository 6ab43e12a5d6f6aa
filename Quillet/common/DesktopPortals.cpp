#include "Quillet/common/DesktopPortals.hpp"

#include "Quillet/common/CaptureLog.hpp"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <set>

namespace quillet::DesktopPortals {
namespace {

// The interfaces the portal object lists in its introspection data.
[[nodiscard]] std::set<QString> interfacesIn(const QString& xml)
{
    std::set<QString> names;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.name() == QLatin1String("interface")) {
            names.insert(reader.attributes().value(QLatin1String("name")).toString());
        }
    }
    return names;
}

} // namespace

bool sessionBusAnnounced()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
           (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")));
}

PortalOffer offer(std::chrono::milliseconds limit)
{
    if (!sessionBusAnnounced()) {
        return {};
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return {};
    }
    const auto call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, static_cast<int>(limit.count()));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        captureLog().error("the desktop portal did not answer: %{public}s", reply.errorMessage());
        return {};
    }
    const auto names = interfacesIn(reply.arguments().constFirst().toString());
    const PortalOffer found{.screenCast = names.contains(QStringLiteral("org.freedesktop.portal.ScreenCast")),
                            .screenshot = names.contains(QStringLiteral("org.freedesktop.portal.Screenshot")),
                            .globalShortcuts =
                                names.contains(QStringLiteral("org.freedesktop.portal.GlobalShortcuts"))};
    captureLog().log("desktop portals: screen cast=%{bool}d screenshot=%{bool}d global shortcuts=%{bool}d",
                     found.screenCast, found.screenshot, found.globalShortcuts);
    return found;
}

} // namespace quillet::DesktopPortals
