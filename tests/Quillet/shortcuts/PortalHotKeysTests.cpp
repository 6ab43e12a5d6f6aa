// The global keys through the desktop's GlobalShortcuts portal, against a stand-in portal on a bus of
// the test's own: the exchange of requests and answers, the suggested keys, and which activations count.
#include "Quillet/shortcuts/PortalHotKeys.hpp"

#include "tests/support/PrivateBus.hpp"
#include "tests/support/WaitFor.hpp"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString sessionPath = QStringLiteral("/org/freedesktop/portal/desktop/session/test/quillet");

// What the stand-in was asked: the identifiers and suggested triggers of each binding.
using Binding = std::map<QString, QString>;

[[nodiscard]] Binding bindingIn(const QVariant& value)
{
    Binding binding;
    const auto argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString id;
        QVariantMap properties;
        argument.beginStructure();
        argument >> id >> properties;
        argument.endStructure();
        binding[id] = properties.value(QStringLiteral("preferred_trigger")).toString();
    }
    argument.endArray();
    return binding;
}

// One entry of a list the desktop reports, a(sa{sv}).
struct Listed {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const Listed& listed)
{
    argument.beginStructure();
    argument << listed.id << listed.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Listed& listed)
{
    argument.beginStructure();
    argument >> listed.id >> listed.properties;
    argument.endStructure();
    return argument;
}

// The desktop's list of the program's keys, each with the words it describes its trigger in.
[[nodiscard]] QList<Listed> described(const std::map<QString, QString>& triggers)
{
    QList<Listed> list;
    for (const auto& [id, trigger] : triggers) {
        list.append({id, {{QStringLiteral("trigger_description"), trigger}}});
    }
    return list;
}

// Answers each call at once with a Response on the request object the caller expects.
class FakeShortcutsPortal final : public QDBusVirtualObject {
public:
    std::vector<Binding> bindings;
    Binding createdWith;
    QVariant held;     // the last list bound, as the desktop keeps it across the program's starts
    QVariant reported; // what ListShortcuts answers instead, when set
    int listings = 0;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.interface() != shortcutsInterface) {
            return false;
        }
        const QVariantList arguments = message.arguments();
        const auto options = qdbus_cast<QVariantMap>(arguments.constLast());
        QVariantMap results;
        if (message.member() == QLatin1String("CreateSession")) {
            createdWith = bindingIn(options.value(QStringLiteral("shortcuts")));
            results.insert(QStringLiteral("session_handle"), sessionPath);
        } else if (message.member() == QLatin1String("BindShortcuts")) {
            bindings.push_back(bindingIn(arguments.at(1)));
            held = arguments.at(1);
        } else if (message.member() == QLatin1String("ListShortcuts")) {
            ++listings;
            if (reported.isValid()) {
                results.insert(QStringLiteral("shortcuts"), reported);
            } else if (held.isValid()) {
                results.insert(QStringLiteral("shortcuts"), held);
            }
        } else {
            return false;
        }
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request =
            QStringLiteral("%1/request/%2/%3")
                .arg(portalPath, sender, options.value(QStringLiteral("handle_token")).toString());
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        auto response = QDBusMessage::createTargetedSignal(message.service(), request,
                                                           QStringLiteral("org.freedesktop.portal.Request"),
                                                           QStringLiteral("Response"));
        response << 0u << results;
        connection.send(response);
        return true;
    }

    static void activate(QDBusConnection connection, const QString& session, const QString& id)
    {
        auto signal = QDBusMessage::createSignal(portalPath, shortcutsInterface, QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1) << QVariantMap();
        connection.send(signal);
    }

    // The user changed keys in the desktop's settings.
    static void change(QDBusConnection connection, const QList<Listed>& shortcuts)
    {
        auto signal =
            QDBusMessage::createSignal(portalPath, shortcutsInterface, QStringLiteral("ShortcutsChanged"));
        signal << QVariant::fromValue(QDBusObjectPath(sessionPath)) << QVariant::fromValue(shortcuts);
        connection.send(signal);
    }
};

// Sees every activation on the program's connection: as the bus keeps their order, once it has seen
// a marker the program has been handed everything sent before it.
class ActivationWitness final : public QObject {
    Q_OBJECT

public:
    QStringList seen;

public slots:
    void activated(const QDBusMessage& message) { seen << message.arguments().value(1).toString(); }
};

TEST(PortalHotKeys, BindsThroughThePortalAndRunsOnlyItsOwnActivationsWhileRegistered)
{
    testing::PrivateBus bus;
    ASSERT_TRUE(bus.isReady()) << "the bus did not start";
    const QString address = bus.address();

    QDBusConnection portalBus = QDBusConnection::connectToBus(address, QStringLiteral("fake-portal"));
    ASSERT_TRUE(portalBus.isConnected());
    FakeShortcutsPortal portal;
    ASSERT_TRUE(portalBus.registerVirtualObject(portalPath, &portal));
    ASSERT_TRUE(portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    QDBusConnection programBus = QDBusConnection::connectToBus(address, QStringLiteral("program"));

    std::vector<CaptureAction> presses;
    {
        PortalHotKeys keys(programBus);
        keys.setOnPress([&presses](CaptureAction action) { presses.push_back(action); });
        ShortcutMap shortcuts = ShortcutMap::fromStored({});
        keys.registerShortcuts(shortcuts);
        ASSERT_TRUE(testing::waitFor([&portal] { return portal.bindings.size() == 1; }, 20s));
        const Binding expected{
            {"screen", "SHIFT+LOGO+3"}, {"area", "SHIFT+LOGO+4"}, {"record", "SHIFT+LOGO+5"}};
        EXPECT_EQ(portal.bindings.front(), expected);
        EXPECT_EQ(portal.createdWith, expected);
        EXPECT_TRUE(keys.failed().empty());

        FakeShortcutsPortal::activate(portalBus, sessionPath, "area");
        ASSERT_TRUE(testing::waitFor([&presses] { return !presses.empty(); }, 20s));

        // Withdrawn, another session's, or an unknown name: none of these runs an action.
        ActivationWitness witness;
        ASSERT_TRUE(programBus.connect("org.freedesktop.portal.Desktop", portalPath, shortcutsInterface,
                                       "Activated", &witness, SLOT(activated(QDBusMessage))));
        keys.unregister();
        FakeShortcutsPortal::activate(portalBus, sessionPath, "screen");
        FakeShortcutsPortal::activate(portalBus, sessionPath, "marker");
        ASSERT_TRUE(testing::waitFor([&witness] { return witness.seen.contains("marker"); }, 20s));
        keys.registerShortcuts(shortcuts);
        FakeShortcutsPortal::activate(portalBus, "/org/freedesktop/portal/desktop/session/test/other",
                                      "screen");
        FakeShortcutsPortal::activate(portalBus, sessionPath, "everything");
        FakeShortcutsPortal::activate(portalBus, sessionPath, "record");
        ASSERT_TRUE(testing::waitFor([&presses] { return presses.size() >= 2; }, 20s));
        EXPECT_EQ(presses, (std::vector{CaptureAction::area, CaptureAction::recording}));
        EXPECT_EQ(portal.bindings.size(), 1U) << "the same map was bound again";

        // A changed map is offered to the desktop again; a key without a plain name goes unsuggested.
        shortcuts.assign({49, brindle::Shortcut::controlMask}, CaptureAction::screen);
        shortcuts.assign({123, brindle::Shortcut::commandMask}, CaptureAction::area);
        keys.registerShortcuts(shortcuts);
        ASSERT_TRUE(testing::waitFor([&portal] { return portal.bindings.size() == 2; }, 20s));
        const Binding changed{{"screen", "CTRL+space"}, {"area", ""}, {"record", "SHIFT+LOGO+5"}};
        EXPECT_EQ(portal.bindings.back(), changed);
    }
    {
        // The next start finds its keys held by the desktop and binds only what the user changes.
        PortalHotKeys keys(programBus);
        ShortcutMap shortcuts = ShortcutMap::fromStored({});
        keys.registerShortcuts(shortcuts);
        ASSERT_TRUE(testing::waitFor([&portal] { return portal.listings == 2; }, 20s));
        // The program has taken the list's answer once it sees a signal the portal sent after it.
        ActivationWitness witness;
        ASSERT_TRUE(programBus.connect("org.freedesktop.portal.Desktop", portalPath, shortcutsInterface,
                                       "Activated", &witness, SLOT(activated(QDBusMessage))));
        FakeShortcutsPortal::activate(portalBus, sessionPath, "marker");
        ASSERT_TRUE(testing::waitFor([&witness] { return witness.seen.contains("marker"); }, 20s));
        shortcuts.assign({49, brindle::Shortcut::controlMask}, CaptureAction::area);
        keys.registerShortcuts(shortcuts);
        ASSERT_TRUE(testing::waitFor([&portal] { return portal.bindings.size() >= 3; }, 20s));
        EXPECT_EQ(portal.bindings.at(2).at("area"), "CTRL+space")
            << "the held keys were bound again at start";
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("program"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
}

// The panel shows the keys as the desktop reports them, at start and after the user changed one in the
// desktop's settings; a key it describes with nothing is left to the panel's own words.
TEST(PortalHotKeys, KeepsTheTriggersTheDesktopReportsAndTheirChanges)
{
    qDBusRegisterMetaType<Listed>();
    qDBusRegisterMetaType<QList<Listed>>();
    testing::PrivateBus bus;
    ASSERT_TRUE(bus.isReady()) << "the bus did not start";
    QDBusConnection portalBus = QDBusConnection::connectToBus(bus.address(), QStringLiteral("fake-portal"));
    FakeShortcutsPortal portal;
    ASSERT_TRUE(portalBus.registerVirtualObject(portalPath, &portal));
    ASSERT_TRUE(portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    QDBusConnection programBus = QDBusConnection::connectToBus(bus.address(), QStringLiteral("program"));
    portal.reported = QVariant::fromValue(
        described({{"screen", "Shift+Meta+3"}, {"area", "Shift+Meta+4"}, {"record", " "}, {"other", "F1"}}));
    {
        PortalHotKeys keys(programBus);
        int changes = 0;
        keys.setOnFailedChange([&changes] { ++changes; });
        keys.registerShortcuts(ShortcutMap::fromStored({}));
        using Triggers = std::map<CaptureAction, QString>;
        const Triggers atStart{{CaptureAction::screen, "Shift+Meta+3"},
                               {CaptureAction::area, "Shift+Meta+4"}};
        ASSERT_TRUE(testing::waitFor([&] { return keys.desktopTriggers() == atStart; }, 20s));
        EXPECT_TRUE(portal.bindings.empty()) << "the desktop held every key already";

        FakeShortcutsPortal::change(portalBus, described({{"screen", "Ctrl+Alt+S"}}));
        const Triggers changed{{CaptureAction::screen, "Ctrl+Alt+S"}};
        ASSERT_TRUE(testing::waitFor([&] { return keys.desktopTriggers() == changed; }, 20s));
        EXPECT_EQ(changes, 2);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("program"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
}

} // namespace
} // namespace quillet

#include "PortalHotKeysTests.moc"
