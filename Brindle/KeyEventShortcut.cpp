#include "Brindle/KeyEventShortcut.hpp"

namespace brindle::KeyEventShortcut {

std::optional<Shortcut> shortcut(const QKeyEvent& event, const KeyboardPositions& positions)
{
    const auto keyCode = positions.virtualKeyCode(event.nativeScanCode());
    if (!keyCode) {
        return std::nullopt;
    }
    return Shortcut{*keyCode, modifiers(event.modifiers())};
}

std::uint32_t modifiers(Qt::KeyboardModifiers held)
{
    return Shortcut::modifierMask({
        .command = held.testFlag(Qt::MetaModifier),
        .shift = held.testFlag(Qt::ShiftModifier),
        .option = held.testFlag(Qt::AltModifier),
        .control = held.testFlag(Qt::ControlModifier),
    });
}

} // namespace brindle::KeyEventShortcut
