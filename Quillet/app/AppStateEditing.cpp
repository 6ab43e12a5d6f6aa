// The application state's shortcut editing and folder actions.
#include "Quillet/app/AppState.hpp"
#include "core/Prefs.hpp"

#include <QDir>
#include <QPointer>

namespace quillet {

void AppState::beginEditingShortcut(CaptureAction action)
{
    endEditingShortcut();
    setEditingShortcut(action);
    // Withdrawn while the edit is open, so the combination being typed reaches the program.
    registerHotKeys();
    keyMonitor_ =
        std::make_unique<ShortcutKeyMonitor>(action, [self = QPointer(this)](const ShortcutEdit& edit) {
            if (self) {
                self->typedWhileEditing(edit);
            }
        });
}

void AppState::endEditingShortcut()
{
    keyMonitor_.reset();
    setEditingShortcut(std::nullopt);
    registerHotKeys();
}

void AppState::setShortcut(brindle::Shortcut shortcut, CaptureAction action)
{
    ShortcutMap shortcuts = shortcuts_;
    shortcuts.assign(shortcut, action);
    // The whole map in one write: a combination moved from another action leaves no moment in which
    // two actions hold it, or none does.
    preferences_.write(Prefs::shortcuts, shortcuts.stored());
    if (shortcuts != shortcuts_) {
        shortcuts_ = std::move(shortcuts);
        emit changed();
    }
    endEditingShortcut();
}

void AppState::setEditingShortcut(std::optional<CaptureAction> action)
{
    if (editingShortcut_ == action) {
        return;
    }
    editingShortcut_ = action;
    emit changed();
}

void AppState::typedWhileEditing(const ShortcutEdit& edit)
{
    if (!editingShortcut_) {
        return;
    }
    switch (edit.kind) {
    case ShortcutEdit::Kind::set:
        setShortcut(edit.shortcut, *editingShortcut_);
        return;
    case ShortcutEdit::Kind::reject:
        components_.beep();
        return;
    case ShortcutEdit::Kind::cancel:
        endEditingShortcut();
        return;
    }
}

void AppState::chooseFolder()
{
    const auto chosen = components_.chooseDirectory(folder_);
    if (!chosen || chosen->isEmpty()) {
        return;
    }
    setFolder(*chosen);
}

void AppState::openFolder()
{
    // A folder that cannot be made is still handed over: the file browser says what is wrong.
    QDir().mkpath(folder_);
    components_.openURL(QUrl::fromLocalFile(folder_));
}

} // namespace quillet
