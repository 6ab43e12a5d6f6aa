#pragma once

#include "core/CaptureAction.hpp"

#include <QDBusContext>
#include <QObject>
#include <QString>

#include <functional>

namespace quillet {

// The capture actions as other programs ask for them: `quillet --action NAME` through the one-copy
// socket, and the method Activate(NAME) of app.quillet.Quillet on the session bus. Either runs the
// action as its shortcut would. Main thread only.
class RemoteActions : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.quillet.Quillet")

public:
    using Perform = std::function<void(CaptureAction)>;
    static constexpr const char* serviceName = "app.quillet.Quillet";
    static constexpr const char* objectPath = "/app/quillet/Quillet";

    explicit RemoteActions(Perform perform, QObject* parent = nullptr);

    // The socket request that asks the running copy for `action`.
    [[nodiscard]] static QString request(CaptureAction action);
    // Runs the action a socket request names; false for anything else.
    bool take(const QString& request);

    // Offers Activate on the session bus under the service name; false, and logged, without a bus or
    // when another copy holds the name.
    bool publish();

public slots:
    // The bus's name for the method, as desktops and scripts call it. An unknown action is an error reply.
    Q_SCRIPTABLE void Activate(const QString& action);

private:
    bool performNamed(const QString& name, const char* route);

    Perform perform_;
};

} // namespace quillet
