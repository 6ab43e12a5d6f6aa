#pragma once

// Presses a button of the program's windows by its accessible name, through the desktop's
// accessibility bus, as a screen reader or keyboard user does: a Wayland test cannot learn where the
// desktop placed a window, so it cannot aim the pointer at it. The program must run with
// QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

#include <optional>
#include <utility>
#include <vector>

namespace quillet::testing {

class AccessibleButton {
public:
    // Every application on the bus, searched depth first; false when no button of that name was
    // found or it refused the press.
    [[nodiscard]] static bool press(const QString& name)
    {
        const QDBusReply<QString> address = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                           QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
        if (!address.isValid()) {
            return false;
        }
        QDBusConnection bus = QDBusConnection::connectToBus(address.value(), QStringLiteral("quillet-a11y"));
        int budget = nodeLimit;
        for (const auto& [service, path] :
             children(bus, QStringLiteral("org.a11y.atspi.Registry"), QString::fromLatin1(rootPath))) {
            if (const auto found = find(bus, service, path, name, budget)) {
                QDBusMessage press = QDBusMessage::createMethodCall(found->first, found->second.path(),
                                                                    QStringLiteral("org.a11y.atspi.Action"),
                                                                    QStringLiteral("DoAction"));
                press << 0;
                const QDBusReply<bool> done = bus.call(press);
                return done.isValid() && done.value();
            }
        }
        return false;
    }

private:
    static constexpr const char* rootPath = "/org/a11y/atspi/accessible/root";
    static constexpr int nodeLimit = 3000;
    using Node = std::pair<QString, QDBusObjectPath>;

    static std::vector<Node> children(QDBusConnection& bus, const QString& service, const QString& path)
    {
        const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(
            service, path, QStringLiteral("org.a11y.atspi.Accessible"), QStringLiteral("GetChildren")));
        std::vector<Node> nodes;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            return nodes;
        }
        const auto list = reply.arguments().constFirst().value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            Node node;
            list.beginStructure();
            list >> node.first >> node.second;
            list.endStructure();
            nodes.push_back(node);
        }
        list.endArray();
        return nodes;
    }

    static QString nameOf(QDBusConnection& bus, const Node& node)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(node.first, node.second.path(),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << QStringLiteral("org.a11y.atspi.Accessible") << QStringLiteral("Name");
        const QDBusReply<QDBusVariant> name = bus.call(get);
        return name.isValid() ? name.value().variant().toString() : QString();
    }

    static std::optional<Node> find(QDBusConnection& bus, const QString& service, const QDBusObjectPath& path,
                                    const QString& name, int& budget)
    {
        if (--budget < 0) {
            return std::nullopt;
        }
        const Node node{service, path};
        if (nameOf(bus, node) == name) {
            return node;
        }
        for (const auto& [childService, childPath] : children(bus, service, path.path())) {
            if (auto found = find(bus, childService, childPath, name, budget)) {
                return found;
            }
        }
        return std::nullopt;
    }
};

} // namespace quillet::testing
