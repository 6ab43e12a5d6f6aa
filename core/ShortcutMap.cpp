#include "core/ShortcutMap.hpp"

#include <algorithm>

namespace quillet {

ShortcutMap ShortcutMap::fromStored(const Stored& stored)
{
    ShortcutMap map;
    for (const auto action : allCaptureActions) {
        const auto entry = stored.find(std::string(rawValue(action)));
        map.shortcuts[action] = entry != stored.end() ? entry->second : defaultShortcut(action);
    }
    return map;
}

ShortcutMap::Stored ShortcutMap::stored() const
{
    Stored result;
    for (const auto& [action, shortcut] : shortcuts) {
        result.emplace(rawValue(action), shortcut);
    }
    return result;
}

brindle::Shortcut ShortcutMap::operator[](CaptureAction action) const
{
    const auto entry = shortcuts.find(action);
    return entry != shortcuts.end() ? entry->second : brindle::Shortcut::none;
}

void ShortcutMap::assign(brindle::Shortcut shortcut, CaptureAction action)
{
    for (auto& [other, otherShortcut] : shortcuts) {
        if (other != action && otherShortcut == shortcut) {
            otherShortcut = brindle::Shortcut::none;
        }
    }
    shortcuts[action] = shortcut;
}

bool ShortcutMap::usesSystemDefaults() const
{
    return std::any_of(allCaptureActions.begin(), allCaptureActions.end(),
                       [this](CaptureAction action) { return (*this)[action] == defaultShortcut(action); });
}

} // namespace quillet
