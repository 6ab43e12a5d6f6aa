#pragma once

#include "Brindle/KeyboardPositions.hpp"
#include "kit-core/Shortcut.hpp"

#include <QKeyEvent>

#include <optional>

// The shortcut a key press stands for, while the user types a new shortcut.
namespace brindle::KeyEventShortcut {

// The physical key (the event's native scan code, through the keyboard's positions) and the held
// modifiers. Absent for keys without a position, which includes modifier keys pressed alone, and for
// events that carry no scan code.
[[nodiscard]] std::optional<Shortcut> shortcut(const QKeyEvent& event, const KeyboardPositions& positions);

// Meta (the Super key) → command, Shift → shift, Alt → option, Control → control; Caps Lock, keypad
// and group switch are ignored.
[[nodiscard]] std::uint32_t modifiers(Qt::KeyboardModifiers held);

} // namespace brindle::KeyEventShortcut
