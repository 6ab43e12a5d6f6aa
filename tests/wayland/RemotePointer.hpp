#pragma once

// Pointer input into the headless GNOME desktop of rig.sh, for the desktop's own dialogs and for the
// program's windows in another process.
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QStringList>

#include <memory>

namespace quillet::testing {

// Pointer input through the compositor's own remote-desktop interface: the one way into the
// desktop's dialogs that a test has. Moves are absolute, on a screen cast of a monitor linked to
// the session (the primary one, or those named), as relative moves are accelerated.
class RemotePointer {
public:
    explicit RemotePointer(const QStringList& monitors = {QString()})
    {
        const QString remoteDesktop = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
        const QString screenCast = QStringLiteral("org.gnome.Mutter.ScreenCast");
        QDBusInterface desktop(remoteDesktop, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
                               remoteDesktop);
        const QDBusReply<QDBusObjectPath> session = desktop.call(QStringLiteral("CreateSession"));
        session_ = std::make_unique<QDBusInterface>(remoteDesktop, session.value().path(),
                                                    remoteDesktop + QStringLiteral(".Session"));
        const QString id = session_->property("SessionId").toString();
        QDBusInterface casts(screenCast, QStringLiteral("/org/gnome/Mutter/ScreenCast"), screenCast);
        const QDBusReply<QDBusObjectPath> cast = casts.call(
            QStringLiteral("CreateSession"), QVariantMap{{QStringLiteral("remote-desktop-session-id"), id}});
        castSession_ = cast.value().path();
        QDBusInterface castSession(screenCast, castSession_, screenCast + QStringLiteral(".Session"));
        for (const QString& monitor : monitors) {
            const QDBusReply<QDBusObjectPath> stream =
                castSession.call(QStringLiteral("RecordMonitor"), monitor, QVariantMap());
            streams_ << stream.value().path();
        }
        session_->call(QStringLiteral("Start"));
    }

    // To a point of the `monitor`th monitor of the session, in its own coordinates.
    void moveTo(double x, double y, int monitor = 0)
    {
        session_->call(QStringLiteral("NotifyPointerMotionAbsolute"), streams_.value(monitor), x, y);
    }

    void press(bool down) { session_->call(QStringLiteral("NotifyPointerButton"), leftButton, down); }

    void click(double x, double y)
    {
        moveTo(x, y);
        press(true);
        press(false);
    }

    // The screen cast the pointer's moves are placed on, which the program's own casts are not.
    [[nodiscard]] const QString& castSession() const { return castSession_; }

private:
    static constexpr int leftButton = 0x110;
    std::unique_ptr<QDBusInterface> session_;
    QString castSession_;
    QStringList streams_;
};

// The monitor chooser of the GNOME portal as it shows on the rig's 1280x720 monitor.
inline void acceptMonitorChooser(RemotePointer& pointer)
{
    pointer.click(640, 386); // the monitor's row
    pointer.click(852, 232); // Share
}

} // namespace quillet::testing
