#pragma once

#include "Quillet/shortcuts/HotKeys.hpp"
#include "Quillet/shortcuts/ShortcutKeyMonitor.hpp"
#include "core/CaptureAction.hpp"
#include "core/ShortcutMap.hpp"

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace quillet {

class Settings;

// The capture actions' global hot keys and the editing of their shortcuts. While an edit is open the
// hot keys are withdrawn and every key press the program receives is a try at the edited action's new
// shortcut. Main thread only. `changed` follows every change of a published value.
class ShortcutFlow : public QObject {
    Q_OBJECT

public:
    ShortcutFlow(std::unique_ptr<HotKeys> hotKeys, Settings& settings,
                 std::function<bool()> systemShortcutsOn, std::function<void()> beep,
                 QObject* parent = nullptr);

    [[nodiscard]] const std::set<CaptureAction>& failedShortcuts() const { return failedShortcuts_; }
    // The keys the desktop reports it holds for the actions, where it binds them itself.
    [[nodiscard]] const std::map<CaptureAction, QString>& desktopTriggers() const { return desktopTriggers_; }
    [[nodiscard]] const std::optional<CaptureAction>& editingShortcut() const { return editingShortcut_; }
    // Whether the desktop binds the screenshot keys itself, as at the latest refresh.
    [[nodiscard]] bool systemShortcutsOn() const { return systemShortcutsOn_; }
    [[nodiscard]] bool conflictsWithSystemShortcuts() const;

    // Registers the hot keys and from then on keeps them as the settings and edits ask; `onPress`
    // runs for each press. Until then nothing is registered.
    void start(HotKeys::Action onPress);
    // Registers the settings' map while switched on and no edit is open, and withdraws it otherwise.
    void registerHotKeys();
    // Gives the keys back to the desktop; none is registered again after it.
    void shutDown();
    // Looks again whether the desktop binds the screenshot keys.
    void refreshDesktopKeys();

    void beginEditing(CaptureAction action);
    void endEditing();
    // Gives the action the shortcut (taking it from any other action), stores the map, ends the edit.
    void setShortcut(brindle::Shortcut shortcut, CaptureAction action);

signals:
    void changed();

private:
    void setEditing(std::optional<CaptureAction> action);
    void publishHotKeyState();
    void typedWhileEditing(const ShortcutEdit& edit);
    template <typename Value> void publish(Value& field, Value value);

    std::unique_ptr<HotKeys> hotKeys_;
    Settings& settings_;
    std::function<bool()> desktopBindsKeys_;
    std::function<void()> beep_;
    std::unique_ptr<ShortcutKeyMonitor> keyMonitor_;
    bool isStarted_ = false;
    std::set<CaptureAction> failedShortcuts_;
    std::map<CaptureAction, QString> desktopTriggers_;
    std::optional<CaptureAction> editingShortcut_;
    bool systemShortcutsOn_ = false;
};

} // namespace quillet
