#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// Where a virtual key code sits on the keyboard, as an XKB key name ("AE03" is the fourth key of the
// digit row, wherever the layout puts "3"). Both shortcut editing and the global hot keys translate
// through this one table, so a shortcut stays on the same physical key whatever the layout.
// Modifier keys have no entry: alone they are never a shortcut.
namespace brindle::KeyPosition {

struct Entry {
    std::uint32_t keyCode;
    std::string_view xkbName;
};

[[nodiscard]] std::span<const Entry> all();

[[nodiscard]] std::optional<std::string_view> xkbName(std::uint32_t keyCode);

// Canonical XKB names only; aliases such as "AC12" for "BKSL" are the keymap's business.
[[nodiscard]] std::optional<std::uint32_t> keyCode(std::string_view xkbName);

} // namespace brindle::KeyPosition
