#include "Quillet/diagnostics/SessionDiagnosis.hpp"

#include <QStringList>

namespace quillet {
namespace {

QString kindText(DesktopSession::Kind kind)
{
    switch (kind) {
    case DesktopSession::Kind::x11:
        return QStringLiteral("x11");
    case DesktopSession::Kind::waylandWithXWayland:
        return QStringLiteral("wayland with XWayland");
    case DesktopSession::Kind::waylandOnly:
        return QStringLiteral("wayland without XWayland");
    case DesktopSession::Kind::none:
        return QStringLiteral("none");
    }
    return {};
}

QString desktopText(DesktopSession::Desktop desktop)
{
    switch (desktop) {
    case DesktopSession::Desktop::gnome:
        return QStringLiteral("GNOME");
    case DesktopSession::Desktop::kde:
        return QStringLiteral("KDE");
    case DesktopSession::Desktop::wlroots:
        return QStringLiteral("wlroots");
    case DesktopSession::Desktop::other:
        return QStringLiteral("other");
    }
    return {};
}

QString captureRouteText(CaptureRoute route)
{
    switch (route) {
    case CaptureRoute::x11:
        return QStringLiteral("X11 grab");
    case CaptureRoute::portal:
        return QStringLiteral("desktop portal");
    case CaptureRoute::none:
        return QStringLiteral("none");
    }
    return {};
}

QString shortcutRouteText(ShortcutRoute route)
{
    switch (route) {
    case ShortcutRoute::x11HotKeys:
        return QStringLiteral("X11 hot keys");
    case ShortcutRoute::globalShortcutsPortal:
        return QStringLiteral("GlobalShortcuts portal");
    case ShortcutRoute::desktopBinding:
        return QStringLiteral("keys bound to quillet --action in the desktop's settings");
    }
    return {};
}

QStringList capturePortals(const PortalOffer& offer)
{
    QStringList names;
    if (offer.screenCast) {
        names << QStringLiteral("screen cast");
    }
    if (offer.screenshot) {
        names << QStringLiteral("screenshot");
    }
    return names;
}

QString portalsText(const PortalOffer& offer)
{
    QStringList names = capturePortals(offer);
    if (offer.globalShortcuts) {
        names << QStringLiteral("global shortcuts");
    }
    return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

} // namespace

std::vector<std::pair<QString, QString>> SessionFacts::lines() const
{
    const DesktopRoutes routes = session.routes(offer);
    std::vector<std::pair<QString, QString>> result{
        {QStringLiteral("session kind"),
         QStringLiteral("%1, %2 desktop").arg(kindText(session.kind), desktopText(session.desktop))},
        {QStringLiteral("routes"),
         QStringLiteral("capture: %1; shortcuts: %2")
             .arg(captureRouteText(routes.capture), shortcutRouteText(routes.shortcuts))},
    };
    if (!session.isWayland()) {
        return result;
    }
    result.emplace_back(QStringLiteral("desktop portals"), portalsText(offer));
    result.emplace_back(QStringLiteral("restore token"),
                        restoreTokenStored ? QStringLiteral("stored") : QStringLiteral("none"));
    result.emplace_back(QStringLiteral("pipewire"),
                        pipeWire
                            ? QStringLiteral("reachable, %1")
                                  .arg(pipeWire->isEmpty() ? QStringLiteral("version unknown") : *pipeWire)
                            : QStringLiteral("not reachable"));
    return result;
}

void SessionFacts::describeCapture(DiagnosticsReport& report) const
{
    if (!session.isWayland()) {
        return;
    }
    const QStringList portals = capturePortals(offer);
    if (portals.isEmpty()) {
        report.captureNotTried = QStringLiteral("this session gives no way to capture");
        report.canCapture = false;
        report.canCaptureHow = QStringLiteral("no desktop portal for capture");
        report.shareableContent = QStringLiteral("the desktop portal offers no screen cast or screenshot");
        return;
    }
    report.captureNotTried = QStringLiteral(
        "a capture through the desktop portal may ask the user; take one with quillet --action screen");
    report.shareableContent = DiagnosticsReport::PortalContent{portals};
    if (offer.screenCast && restoreTokenStored) {
        report.canCapture = true;
        report.canCaptureHow = QStringLiteral("desktop portal screen cast, restore token stored");
    } else if (offer.screenCast) {
        report.canCapture = false;
        report.canCaptureHow =
            QStringLiteral("desktop portal screen cast: the first capture will ask which screen to share");
    } else {
        // Whether the screenshot portal asks is the desktop's decision, made at each capture.
        report.canCapture = std::nullopt;
        report.canCaptureHow =
            QStringLiteral("desktop portal screenshot: the desktop may ask at each capture");
    }
}

} // namespace quillet
