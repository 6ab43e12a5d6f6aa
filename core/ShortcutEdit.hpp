#pragma once

#include "core/CaptureAction.hpp"
#include "kit-core/Shortcut.hpp"

namespace quillet {

// What a key typed while a shortcut is being edited does.
struct ShortcutEdit {
    enum class Kind { set, cancel, reject };

    Kind kind = Kind::reject;
    brindle::Shortcut shortcut; // the new shortcut for `set`, else Shortcut::none

    [[nodiscard]] static ShortcutEdit set(brindle::Shortcut shortcut) { return {Kind::set, shortcut}; }
    [[nodiscard]] static ShortcutEdit cancel() { return {Kind::cancel, brindle::Shortcut::none}; }
    [[nodiscard]] static ShortcutEdit reject() { return {Kind::reject, brindle::Shortcut::none}; }

    // Bare Delete restores the action's default, bare Escape cancels, a combination with command,
    // option or control becomes the shortcut, anything else is refused.
    [[nodiscard]] static ShortcutEdit typed(brindle::Shortcut shortcut, CaptureAction action);

    friend bool operator==(const ShortcutEdit&, const ShortcutEdit&) = default;
};

} // namespace quillet
