#include "Quillet/shortcuts/PortalHotKeys.hpp"

#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/PortalRequest.hpp"
#include "core/ActionRequest.hpp"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>

#include <algorithm>
#include <cctype>

namespace quillet {
namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// One entry of the portal's a(sa{sv}): an identifier and its properties.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

using PortalShortcuts = QList<PortalShortcut>;

[[nodiscard]] QString description(CaptureAction action)
{
    switch (action) {
    case CaptureAction::screen:
        return QStringLiteral("Capture the screen under the pointer");
    case CaptureAction::area:
        return QStringLiteral("Capture an area or a window");
    case CaptureAction::recording:
        return QStringLiteral("Start or stop a screen recording");
    }
    return {};
}

[[nodiscard]] PortalShortcuts portalShortcuts(const ShortcutMap& map)
{
    PortalShortcuts list;
    for (const CaptureAction action : allCaptureActions) {
        QVariantMap properties{{QStringLiteral("description"), description(action)}};
        if (const QString trigger = PortalHotKeys::trigger(map[action]); !trigger.isEmpty()) {
            properties.insert(QStringLiteral("preferred_trigger"), trigger);
        }
        const auto name = actionName(action);
        list.append({QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())), properties});
    }
    return list;
}

// The desktop's list, an a(sa{sv}); empty when the answer holds something else.
[[nodiscard]] PortalShortcuts shortcutsIn(const QVariant& listed)
{
    PortalShortcuts held;
    if (listed.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const auto argument = listed.value<QDBusArgument>();
        if (argument.currentSignature() == QLatin1String("a(sa{sv})")) {
            argument >> held;
        }
    }
    return held;
}

// Whether the desktop's list names every capture action.
[[nodiscard]] bool holdsEveryAction(const QVariant& listed)
{
    const PortalShortcuts held = shortcutsIn(listed);
    return std::all_of(allCaptureActions.begin(), allCaptureActions.end(), [&held](CaptureAction action) {
        const auto name = actionName(action);
        const QString id = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        return std::any_of(held.begin(), held.end(),
                           [&id](const PortalShortcut& shortcut) { return shortcut.id == id; });
    });
}

// The portal names the session as a string, later versions as an object path.
[[nodiscard]] QString sessionHandle(const QVariantMap& results)
{
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    if (handle.canConvert<QDBusObjectPath>() && handle.metaType() == QMetaType::fromType<QDBusObjectPath>()) {
        return handle.value<QDBusObjectPath>().path();
    }
    return handle.toString();
}

} // namespace
} // namespace quillet

Q_DECLARE_METATYPE(quillet::PortalShortcut)

namespace quillet {

PortalHotKeys::PortalHotKeys(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcuts>();
    if (!bus_.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                      SLOT(activated(QDBusMessage)))) {
        captureLog().error("global shortcuts: cannot follow the portal's activations");
    }
    bus_.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("ShortcutsChanged"), this,
                 SLOT(shortcutsChanged(QDBusMessage)));
}

PortalHotKeys::~PortalHotKeys()
{
    if (!session_.isEmpty()) {
        bus_.call(QDBusMessage::createMethodCall(portalService, session_,
                                                 QStringLiteral("org.freedesktop.portal.Session"),
                                                 QStringLiteral("Close")),
                  QDBus::NoBlock);
    }
}

QString PortalHotKeys::trigger(const brindle::Shortcut& shortcut)
{
    const std::string key = brindle::Shortcut::keyName(shortcut.keyCode);
    const bool plainKey = !key.empty() && std::all_of(key.begin(), key.end(), [](unsigned char c) {
        return std::isalnum(c) != 0;
    }) && key.front() != '#';
    if (!shortcut.isValid() || !plainKey) {
        return {};
    }
    QStringList parts;
    const std::pair<std::uint32_t, const char*> modifiers[] = {{brindle::Shortcut::controlMask, "CTRL"},
                                                               {brindle::Shortcut::optionMask, "ALT"},
                                                               {brindle::Shortcut::shiftMask, "SHIFT"},
                                                               {brindle::Shortcut::commandMask, "LOGO"}};
    for (const auto& [mask, name] : modifiers) {
        if ((shortcut.modifiers & mask) != 0) {
            parts << QString::fromLatin1(name);
        }
    }
    parts << QString::fromStdString(key).toLower();
    return parts.join(QLatin1Char('+'));
}

void PortalHotKeys::registerShortcuts(const ShortcutMap& shortcuts)
{
    isRegistered_ = true;
    wanted_ = shortcuts;
    if (session_.isEmpty()) {
        createSession();
        return;
    }
    bind();
}

void PortalHotKeys::createSession()
{
    if (isCreating_) {
        return;
    }
    isCreating_ = true;
    // Plasma 5.27 registers the shortcuts named here; BindShortcuts alone leaves them out.
    // A fixed name: some desktops file the keys under it, so it must not change from one start to the next.
    const QVariantMap options{{QStringLiteral("session_handle_token"), QStringLiteral("quillet")},
                              {QStringLiteral("shortcuts"), QVariant::fromValue(portalShortcuts(*wanted_))}};
    PortalRequest::call(bus_, shortcutsInterface, QStringLiteral("CreateSession"), {}, options, answerLimit,
                        this, [this](Outcome<QVariantMap> results, bool) {
                            isCreating_ = false;
                            if (!results.isSuccess()) {
                                captureLog().error("global shortcuts: %{public}s", results.error());
                                return;
                            }
                            session_ = sessionHandle(results.value());
                            listBound();
                        });
}

// Keys the desktop already holds from an earlier start are left alone: binding them again makes some
// desktops open their shortcut settings at every start, and the user may have changed them there.
void PortalHotKeys::listBound()
{
    const QVariantList arguments{QVariant::fromValue(QDBusObjectPath(session_))};
    PortalRequest::call(bus_, shortcutsInterface, QStringLiteral("ListShortcuts"), arguments, {}, answerLimit,
                        this, [this](Outcome<QVariantMap> results, bool) {
                            const QVariant listed = results.isSuccess()
                                                        ? results.value().value(QStringLiteral("shortcuts"))
                                                        : QVariant();
                            takeTriggers(listed);
                            if (wanted_ && holdsEveryAction(listed)) {
                                bound_ = wanted_;
                                captureLog().log("global shortcuts already held by the desktop");
                            }
                            bind();
                        });
}

// Binds the wanted map when it differs from the bound one: the desktop may ask the user each time.
void PortalHotKeys::bind()
{
    if (isBinding_ || !wanted_ || wanted_ == bound_ || session_.isEmpty()) {
        return;
    }
    isBinding_ = true;
    const ShortcutMap binding = *wanted_;
    const QVariantList arguments{QVariant::fromValue(QDBusObjectPath(session_)),
                                 QVariant::fromValue(portalShortcuts(binding)), QString()};
    PortalRequest::call(bus_, shortcutsInterface, QStringLiteral("BindShortcuts"), arguments, {}, answerLimit,
                        this, [this, binding](Outcome<QVariantMap> results, bool) {
                            isBinding_ = false;
                            if (!results.isSuccess()) {
                                captureLog().error("global shortcuts: %{public}s", results.error());
                                return;
                            }
                            bound_ = binding;
                            captureLog().log("global shortcuts bound through the portal");
                            takeTriggers(results.value().value(QStringLiteral("shortcuts")));
                            bind();
                        });
}

void PortalHotKeys::takeTriggers(const QVariant& listed)
{
    std::map<CaptureAction, QString> triggers;
    for (const PortalShortcut& shortcut : shortcutsIn(listed)) {
        const auto action = actionNamed(shortcut.id.toStdString());
        const QString trigger = shortcut.properties.value(QStringLiteral("trigger_description")).toString();
        if (action && !trigger.trimmed().isEmpty()) {
            triggers[*action] = trigger.trimmed();
        }
    }
    if (triggers == triggers_) {
        return;
    }
    triggers_ = std::move(triggers);
    if (onTriggersChange_) {
        onTriggersChange_();
    }
}

void PortalHotKeys::shortcutsChanged(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || arguments.at(0).value<QDBusObjectPath>().path() != session_) {
        return;
    }
    takeTriggers(arguments.at(1));
}

void PortalHotKeys::activated(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || !isRegistered_ || !onPress_ ||
        arguments.at(0).value<QDBusObjectPath>().path() != session_) {
        return;
    }
    if (const auto action = actionNamed(arguments.at(1).toString().toStdString())) {
        onPress_(*action);
    }
}

} // namespace quillet
