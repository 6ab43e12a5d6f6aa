#pragma once

#include "core/CaptureAction.hpp"
#include "kit-core/Shortcut.hpp"

#include <map>
#include <string>

namespace quillet {

// The shortcut of each capture action. A shortcut belongs to at most one action: assigning one that
// another action holds moves it.
struct ShortcutMap {
    // The stored form: raw value of the action → shortcut.
    using Stored = std::map<std::string, brindle::Shortcut>;

    std::map<CaptureAction, brindle::Shortcut> shortcuts;

    // Every action, with its stored shortcut or else its default; entries under other keys are ignored.
    [[nodiscard]] static ShortcutMap fromStored(const Stored& stored);

    [[nodiscard]] Stored stored() const;

    // Shortcut::none for an action without an entry.
    [[nodiscard]] brindle::Shortcut operator[](CaptureAction action) const;

    // Gives `shortcut` to `action`, taking it away (to Shortcut::none) from any other action holding it.
    void assign(brindle::Shortcut shortcut, CaptureAction action);

    // Whether any action still has its own default, i.e. collides with the desktop's screenshot keys
    // when those are switched on.
    [[nodiscard]] bool usesSystemDefaults() const;

    friend bool operator==(const ShortcutMap&, const ShortcutMap&) = default;
};

} // namespace quillet
