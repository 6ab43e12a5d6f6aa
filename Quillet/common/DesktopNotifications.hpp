#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

namespace quillet {

// Bubbles through the desktop's notification server (org.freedesktop.Notifications), each with one
// action that opens a place. Quiet when no server runs: the status line still tells. Never waits
// for the server on the calling thread. Main thread only.
class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    struct Notice {
        QString title;
        QString body;
        QString actionLabel;
        QUrl actionTarget; // what the action opens
    };
    using Open = std::function<void(const QUrl&)>;

    explicit DesktopNotifications(Open open, QObject* parent = nullptr);

    void show(const Notice& notice);

private slots:
    void actionInvoked(uint id, const QString& action);

private:
    Open open_;
    QHash<uint, QUrl> targets_; // by the server's notification id
};

} // namespace quillet
