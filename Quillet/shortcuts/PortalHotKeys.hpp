#pragma once

#include "Quillet/shortcuts/HotKeys.hpp"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

#include <chrono>
#include <optional>

namespace quillet {

// The capture actions' global keys through the desktop's GlobalShortcuts portal (Wayland, where no
// program may grab keys itself). The portal keeps one session for the program's life: the desktop
// binds the keys, may ask the user once and lets the user change them in its own settings, so the
// program only suggests its shortcuts and never learns of a refusal. While withdrawn (switch off, an
// edit open) the session stays and its activations are ignored. Main thread only.
class PortalHotKeys final : public QObject, public HotKeys {
    Q_OBJECT

public:
    // How long each portal request is awaited; the first one may show the desktop's dialog.
    static constexpr std::chrono::seconds answerLimit{120};

    explicit PortalHotKeys(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalHotKeys() override;

    void registerShortcuts(const ShortcutMap& shortcuts) override;
    void unregister() override { isRegistered_ = false; }
    [[nodiscard]] std::set<CaptureAction> failed() const override { return {}; }
    void setOnPress(Action action) override { onPress_ = std::move(action); }
    [[nodiscard]] std::map<CaptureAction, QString> desktopTriggers() const override { return triggers_; }
    void setOnFailedChange(std::function<void()> changed) override { onTriggersChange_ = std::move(changed); }

    // The trigger the portal is offered for `shortcut`, in the desktop's own notation ("LOGO+SHIFT+3");
    // empty for a key without a plain name there.
    [[nodiscard]] static QString trigger(const brindle::Shortcut& shortcut);

private slots:
    // Activated(o session, s shortcut, t timestamp, a{sv} options).
    void activated(const QDBusMessage& message);
    // ShortcutsChanged(o session, a(sa{sv}) shortcuts): the user changed a key in the desktop's settings.
    void shortcutsChanged(const QDBusMessage& message);

private:
    void createSession();
    void listBound();
    void bind();
    // Keeps the keys a list of the desktop's, an a(sa{sv}), describes.
    void takeTriggers(const QVariant& listed);

    QDBusConnection bus_;
    Action onPress_;
    std::function<void()> onTriggersChange_;
    std::map<CaptureAction, QString> triggers_;
    std::optional<ShortcutMap> wanted_;
    std::optional<ShortcutMap> bound_;
    QString session_;
    bool isCreating_ = false;
    bool isBinding_ = false;
    bool isRegistered_ = false;
};

} // namespace quillet
