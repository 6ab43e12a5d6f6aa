#pragma once

#include "tests/support/ChildProcess.hpp"
#include "tests/support/WaitFor.hpp"

#include <QDBusConnection>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace quillet::testing {

// A session bus of the test's own, at an address in a private folder, so nothing reaches the user's
// session. Ready once a connection is accepted (the socket file appears before the daemon listens).
class PrivateBus {
public:
    PrivateBus()
    {
        if (!folder_.isValid()) {
            return;
        }
        address_ = QStringLiteral("unix:path=") + folder_.filePath(QStringLiteral("bus"));
        daemon_ =
            std::make_unique<ChildProcess>(std::vector<std::string>{"dbus-daemon", "--session", "--nofork",
                                                                    "--address=" + address_.toStdString()},
                                           ChildProcess::baseEnvironment({}));
        isReady_ = waitFor(
            [this] {
                const QString name = QStringLiteral("readiness");
                const bool connected = QDBusConnection::connectToBus(address_, name).isConnected();
                QDBusConnection::disconnectFromBus(name);
                return connected;
            },
            std::chrono::seconds(10));
    }

    [[nodiscard]] bool isReady() const { return isReady_; }
    // For DBUS_SESSION_BUS_ADDRESS and QDBusConnection::connectToBus.
    [[nodiscard]] const QString& address() const { return address_; }

private:
    QTemporaryDir folder_;
    QString address_;
    std::unique_ptr<ChildProcess> daemon_;
    bool isReady_ = false;
};

} // namespace quillet::testing
