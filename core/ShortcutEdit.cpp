#include "core/ShortcutEdit.hpp"

#include "kit-core/KeyCode.hpp"

namespace quillet {

ShortcutEdit ShortcutEdit::typed(brindle::Shortcut shortcut, CaptureAction action)
{
    if (shortcut.modifiers == 0 && shortcut.keyCode == brindle::KeyCode::deleteKey) {
        return set(defaultShortcut(action));
    }
    if (shortcut.modifiers == 0 && shortcut.keyCode == brindle::KeyCode::escape) {
        return cancel();
    }
    if (shortcut.isValid()) {
        return set(shortcut);
    }
    return reject();
}

} // namespace quillet
