#include "Quillet/shortcuts/ShortcutFlow.hpp"

#include "Quillet/common/Published.hpp"
#include "Quillet/common/Settings.hpp"

#include <QPointer>

namespace quillet {

ShortcutFlow::ShortcutFlow(std::unique_ptr<HotKeys> hotKeys, Settings& settings,
                           std::function<bool()> systemShortcutsOn, std::function<void()> beep,
                           QObject* parent)
    : QObject(parent), hotKeys_(std::move(hotKeys)), settings_(settings),
      desktopBindsKeys_(std::move(systemShortcutsOn)), beep_(std::move(beep))
{
}

template <typename Value> void ShortcutFlow::publish(Value& field, Value value)
{
    if (assignIfChanged(field, std::move(value))) {
        emit changed();
    }
}

bool ShortcutFlow::conflictsWithSystemShortcuts() const
{
    return systemShortcutsOn_ && settings_.shortcuts().usesSystemDefaults();
}

void ShortcutFlow::start(HotKeys::Action onPress)
{
    hotKeys_->setOnPress(std::move(onPress));
    // A key another program took (or gave back) after registering changes what the panel warns of;
    // a key changed in the desktop's settings changes what it shows.
    hotKeys_->setOnFailedChange([self = QPointer(this)] {
        if (self) {
            self->publishHotKeyState();
        }
    });
    isStarted_ = true;
    registerHotKeys();
}

void ShortcutFlow::registerHotKeys()
{
    if (!isStarted_) {
        return;
    }
    if (settings_.isEnabled() && !editingShortcut_) {
        hotKeys_->registerShortcuts(settings_.shortcuts());
    } else {
        hotKeys_->unregister();
    }
    publishHotKeyState();
}

void ShortcutFlow::publishHotKeyState()
{
    publish(failedShortcuts_, hotKeys_->failed());
    publish(desktopTriggers_, hotKeys_->desktopTriggers());
}

void ShortcutFlow::shutDown()
{
    isStarted_ = false;
    keyMonitor_.reset();
    hotKeys_->unregister();
}

void ShortcutFlow::refreshDesktopKeys()
{
    publish(systemShortcutsOn_, desktopBindsKeys_());
}

void ShortcutFlow::beginEditing(CaptureAction action)
{
    endEditing();
    setEditing(action);
    // Withdrawn while the edit is open, so the combination being typed reaches the program.
    registerHotKeys();
    keyMonitor_ =
        std::make_unique<ShortcutKeyMonitor>(action, [self = QPointer(this)](const ShortcutEdit& edit) {
            if (self) {
                self->typedWhileEditing(edit);
            }
        });
}

void ShortcutFlow::endEditing()
{
    keyMonitor_.reset();
    setEditing(std::nullopt);
    registerHotKeys();
}

void ShortcutFlow::setShortcut(brindle::Shortcut shortcut, CaptureAction action)
{
    ShortcutMap shortcuts = settings_.shortcuts();
    shortcuts.assign(shortcut, action);
    settings_.setShortcuts(std::move(shortcuts));
    endEditing();
}

void ShortcutFlow::setEditing(std::optional<CaptureAction> action)
{
    publish(editingShortcut_, action);
}

void ShortcutFlow::typedWhileEditing(const ShortcutEdit& edit)
{
    if (!editingShortcut_) {
        return;
    }
    switch (edit.kind) {
    case ShortcutEdit::Kind::set:
        setShortcut(edit.shortcut, *editingShortcut_);
        return;
    case ShortcutEdit::Kind::reject:
        beep_();
        return;
    case ShortcutEdit::Kind::cancel:
        endEditing();
        return;
    }
}

} // namespace quillet
