#include "Quillet/capture/PermissionGate.hpp"

#include "Brindle/SystemSettings.hpp"
#include "Quillet/common/CaptureLog.hpp"

#include <QCoreApplication>
#include <QProcess>

namespace quillet {

PermissionGate::PermissionGate(std::unique_ptr<ScreenRecordingPermission> permission,
                               std::unique_ptr<PermissionAlert> alert, QObject* parent)
    : QObject(parent), permission_(std::move(permission)), alert_(std::move(alert))
{
}

void PermissionGate::publish(bool granted)
{
    if (hasScreenRecording_ == granted) {
        return;
    }
    hasScreenRecording_ = granted;
    emit changed();
}

void PermissionGate::refresh()
{
    publish(permission_->preflight());
}

bool PermissionGate::ensure()
{
    const bool granted = permission_->preflight();
    publish(granted);
    captureLog().log("screen recording preflight=%{bool}d", granted);
    if (granted) {
        return true;
    }
    showAlert();
    return false;
}

void PermissionGate::showAlert()
{
    switch (alert_->show()) {
    case PermissionAlert::Choice::openSystemSettings:
        if (!permission_->request()) {
            brindle::SystemSettings::open(brindle::SystemSettings::Pane::screenRecording);
        }
        return;
    case PermissionAlert::Choice::reopenApp:
        relaunch();
        return;
    case PermissionAlert::Choice::cancel:
        return;
    }
}

void PermissionGate::relaunch()
{
    // The new instance starts once this one had half a second to quit.
    QProcess::startDetached(QStringLiteral("/bin/sh"),
                            {QStringLiteral("-c"), QStringLiteral("sleep 0.5; exec \"$0\""),
                             QCoreApplication::applicationFilePath()});
    QCoreApplication::quit();
}

} // namespace quillet
