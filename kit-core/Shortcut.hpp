#pragma once

#include "kit-core/PreferenceValue.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brindle {

// A key combination: a virtual key code (the key's position on an ANSI keyboard, so a shortcut stays
// on the same physical key whatever the layout) and a mask of modifier bits.
struct Shortcut {
    static constexpr std::uint32_t commandMask = 0x100;
    static constexpr std::uint32_t shiftMask = 0x200;
    static constexpr std::uint32_t optionMask = 0x800;
    static constexpr std::uint32_t controlMask = 0x1000;

    struct ModifierKeys {
        bool command = false;
        bool shift = false;
        bool option = false;
        bool control = false;
    };

    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;

    // No shortcut: key code 0 without modifiers.
    static const Shortcut none;

    // Shortcut::modifierMask({.command = true, .shift = true}) == 0x300.
    [[nodiscard]] static constexpr std::uint32_t modifierMask(ModifierKeys keys)
    {
        return (keys.command ? commandMask : 0) | (keys.shift ? shiftMask : 0) |
               (keys.option ? optionMask : 0) | (keys.control ? controlMask : 0);
    }

    // Shift alone would take ordinary typing away from every other program, so a shortcut needs
    // command, option or control.
    [[nodiscard]] constexpr bool isValid() const
    {
        return (modifiers & (commandMask | optionMask | controlMask)) != 0;
    }

    // The key's label ("A", "3", "F12", "←", "Space", "⌫"), or "#" and the decimal code for a key
    // without one.
    [[nodiscard]] static std::string keyName(std::uint32_t keyCode);

    // "⌃", "⌥", "⇧", "⌘" for the modifiers held, in this order, then the key's name.
    [[nodiscard]] std::vector<std::string> symbols() const;

    // The symbols joined: "⇧⌘3", "⌘Space".
    [[nodiscard]] std::string displayString() const;

    friend constexpr bool operator==(const Shortcut&, const Shortcut&) = default;
};

inline constexpr Shortcut Shortcut::none{};

// Stored as a dictionary of two integers, "keyCode" and "modifiers". Reading needs both, each within
// 0…4294967295; other entries are ignored.
template <> struct PreferenceValueTraits<Shortcut> {
    static std::optional<PropertyList> propertyListValue(const Shortcut& shortcut);
    static std::optional<Shortcut> fromPropertyList(const PropertyList& stored);
};

} // namespace brindle

template <> struct std::hash<brindle::Shortcut> {
    std::size_t operator()(const brindle::Shortcut& shortcut) const noexcept
    {
        return std::hash<std::uint64_t>{}((std::uint64_t{shortcut.keyCode} << 32) | shortcut.modifiers);
    }
};
