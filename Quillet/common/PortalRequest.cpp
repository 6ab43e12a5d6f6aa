#include "Quillet/common/PortalRequest.hpp"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <atomic>

namespace quillet {
namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

// Where the portal puts the request object, known before the call so that no answer is missed.
QString requestPath(const QDBusConnection& bus, const QString& token)
{
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("%1/request/%2/%3").arg(portalPath, sender, token);
}

} // namespace

QString PortalRequest::uniqueToken()
{
    static std::atomic<int> counter = 0;
    return QStringLiteral("quillet%1").arg(++counter);
}

PortalRequest::PortalRequest(QDBusConnection bus, QString method, Answer answer, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), method_(std::move(method)), answer_(std::move(answer))
{
    limit_.setSingleShot(true);
    connect(&limit_, &QTimer::timeout, this, [this] {
        finish(Outcome<QVariantMap>::failure(QStringLiteral("%1: no answer in time").arg(method_)));
    });
}

void PortalRequest::call(QDBusConnection bus, const QString& interface, const QString& method,
                         QVariantList arguments, QVariantMap options, std::chrono::milliseconds limit,
                         QObject* context, Answer answer)
{
    if (!bus.isConnected()) {
        answer(Outcome<QVariantMap>::failure(QStringLiteral("no session bus")), false);
        return;
    }
    auto* request = new PortalRequest(bus, method, std::move(answer), context);
    const QString token = uniqueToken();
    options.insert(QStringLiteral("handle_token"), token);
    request->listen(requestPath(bus, token));
    request->limit_.start(limit);

    auto message = QDBusMessage::createMethodCall(portalService, portalPath, interface, method);
    message.setArguments(arguments << options);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, int(limit.count())), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request, [request](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *call;
        if (reply.isError()) {
            request->finish(Outcome<QVariantMap>::failure(
                QStringLiteral("%1: %2").arg(request->method_, reply.error().message())));
            return;
        }
        // Portals older than the handle token put the request elsewhere.
        if (reply.value().path() != request->path_) {
            request->listen(reply.value().path());
        }
    });
}

void PortalRequest::listen(const QString& path)
{
    if (!path_.isEmpty()) {
        bus_.disconnect(portalService, path_, requestInterface, QStringLiteral("Response"), this,
                        SLOT(response(uint, QVariantMap)));
    }
    path_ = path;
    bus_.connect(portalService, path_, requestInterface, QStringLiteral("Response"), this,
                 SLOT(response(uint, QVariantMap)));
}

void PortalRequest::response(uint code, const QVariantMap& results)
{
    if (code == cancelCode) {
        finish(
            Outcome<QVariantMap>::failure(QStringLiteral("%1: cancelled (code %2)").arg(method_).arg(code)),
            true);
        return;
    }
    if (code != 0) {
        finish(Outcome<QVariantMap>::failure(QStringLiteral("%1: refused (code %2)").arg(method_).arg(code)));
        return;
    }
    finish(results);
}

void PortalRequest::finish(Outcome<QVariantMap> results, bool cancelledByUser)
{
    if (!answer_) {
        return;
    }
    limit_.stop();
    bus_.disconnect(portalService, path_, requestInterface, QStringLiteral("Response"), this,
                    SLOT(response(uint, QVariantMap)));
    const Answer answer = std::move(answer_);
    answer_ = nullptr;
    deleteLater();
    answer(std::move(results), cancelledByUser);
}

} // namespace quillet
