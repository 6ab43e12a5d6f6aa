#pragma once

#include <QObject>

namespace quillet {

// What the application state, the status item and the menu need of the update reminder.
// `changed` follows every change of `isUpdateReminderDue`.
class UpdateCenter : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    [[nodiscard]] virtual bool isUpdateReminderDue() const = 0;
    virtual void refresh() = 0;
    virtual void checkForUpdates() = 0;
    virtual void dismissUpdateReminder() = 0;

signals:
    void changed();
};

} // namespace quillet
