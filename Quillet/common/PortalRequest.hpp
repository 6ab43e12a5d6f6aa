#pragma once

#include "Quillet/common/Outcome.hpp"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <chrono>
#include <functional>

namespace quillet {

// One call of a desktop portal method that answers later, through a Response signal on a request
// object of its own. The answer is awaited at most `limit`; a refusal, a cancelled dialog, an error,
// a portal that is missing or never answers all end as a failure with its reason. The answer is
// delivered on the main thread, once, and never after the request is gone. A dialog still open at
// the limit is left to whoever owns the portal session: closing the request itself brings down GNOME's
// portal back-end (43) while its dialog shows, and closing the session takes the dialog away safely.
class PortalRequest : public QObject {
    Q_OBJECT

public:
    // The answer's code for the user's cancel; failures carry every code in their text.
    static constexpr uint cancelCode = 1;

    // `cancelledByUser` tells the user's own no from every other failure.
    using Answer = std::function<void(Outcome<QVariantMap> results, bool cancelledByUser)>;

    // A name for a request or a session no other of this process's has had: the portal may still
    // hold a closed one a moment later.
    [[nodiscard]] static QString uniqueToken();

    // `arguments` precede the options; the handle token is added to `options` here.
    static void call(QDBusConnection bus, const QString& interface, const QString& method,
                     QVariantList arguments, QVariantMap options, std::chrono::milliseconds limit,
                     QObject* context, Answer answer);

private slots:
    void response(uint code, const QVariantMap& results);

private:
    PortalRequest(QDBusConnection bus, QString method, Answer answer, QObject* parent);
    void listen(const QString& path);
    void finish(Outcome<QVariantMap> results, bool cancelledByUser = false);

    QDBusConnection bus_;
    QString method_;
    QString path_;
    Answer answer_;
    QTimer limit_;
};

} // namespace quillet
