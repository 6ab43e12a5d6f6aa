#include "tests/wayland/MutterScreenCast.hpp"

#include "tests/support/WaitFor.hpp"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace quillet::testing {
namespace {

const QString service = QStringLiteral("org.gnome.Mutter.ScreenCast");

} // namespace

MutterScreenCast::MutterScreenCast(Pointer pointer)
{
    QDBusInterface casts(service, QStringLiteral("/org/gnome/Mutter/ScreenCast"), service);
    const QDBusReply<QDBusObjectPath> session = casts.call(QStringLiteral("CreateSession"), QVariantMap());
    if (!session.isValid()) {
        return;
    }
    session_ = session.value().path();
    QDBusInterface sessionInterface(service, session_, service + QStringLiteral(".Session"));
    const QDBusReply<QDBusObjectPath> stream =
        sessionInterface.call(QStringLiteral("RecordMonitor"), QString(),
                              QVariantMap{{QStringLiteral("cursor-mode"), unsigned(pointer)}});
    if (!stream.isValid()) {
        return;
    }
    QDBusConnection::sessionBus().connect(service, stream.value().path(), service + QStringLiteral(".Stream"),
                                          QStringLiteral("PipeWireStreamAdded"), this, SLOT(onStreamAdded(uint)));
    sessionInterface.call(QStringLiteral("Start"));
}

MutterScreenCast::~MutterScreenCast()
{
    stop();
}

std::optional<std::uint32_t> MutterScreenCast::node(std::chrono::milliseconds limit)
{
    waitFor([this] { return node_.has_value(); }, limit);
    return node_;
}

void MutterScreenCast::stop()
{
    if (session_.isEmpty()) {
        return;
    }
    QDBusInterface(service, session_, service + QStringLiteral(".Session")).call(QStringLiteral("Stop"));
    session_.clear();
}

int MutterScreenCast::connectToPipeWire()
{
    const QByteArray path = qgetenv("XDG_RUNTIME_DIR") + "/pipewire-0";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::size_t(path.size()) >= sizeof(address.sun_path)) {
        return -1;
    }
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    const int descriptor = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        return -1;
    }
    if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        close(descriptor);
        return -1;
    }
    return descriptor;
}

void MutterScreenCast::onStreamAdded(uint node)
{
    node_ = node;
}

} // namespace quillet::testing
