#pragma once

#include "Quillet/capture/PermissionAlert.hpp"
#include "Quillet/capture/ScreenRecordingPermission.hpp"

#include <QObject>

#include <memory>

namespace quillet {

// Whether captures may see the screen, and the alert that explains it when they may not. Main
// thread only. `changed` follows every change of `hasScreenRecording`.
class PermissionGate : public QObject {
    Q_OBJECT

public:
    PermissionGate(std::unique_ptr<ScreenRecordingPermission> permission,
                   std::unique_ptr<PermissionAlert> alert, QObject* parent = nullptr);

    [[nodiscard]] bool hasScreenRecording() const { return hasScreenRecording_; }

    // Looks again without asking the user.
    void refresh();
    // Whether a capture may start now; shows the alert when it may not.
    [[nodiscard]] bool ensure();
    // Explains the missing permission and does what the user chooses.
    void showAlert();

signals:
    void changed();

private:
    void publish(bool granted);
    static void relaunch();

    std::unique_ptr<ScreenRecordingPermission> permission_;
    std::unique_ptr<PermissionAlert> alert_;
    bool hasScreenRecording_ = false;
};

} // namespace quillet
