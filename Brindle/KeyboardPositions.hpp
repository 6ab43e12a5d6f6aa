#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>

struct xkb_keymap;

namespace brindle {

// Translates between the virtual key codes stored in shortcuts and the native key codes of the
// keyboard (X11 / XKB key codes), through the positional XKB key names of KeyPosition. Key names do
// not depend on the layout, so the result is the same for every layout of one keyboard.
class KeyboardPositions {
public:
    // The keymap of the X server the application talks to; elsewhere, or when the server's keymap
    // cannot be read, the one compiled from the system's default XKB rules.
    [[nodiscard]] static KeyboardPositions current();
    [[nodiscard]] static KeyboardPositions fromDefaultRules();

    [[nodiscard]] std::optional<std::uint32_t> virtualKeyCode(std::uint32_t nativeKeyCode) const;
    [[nodiscard]] std::optional<std::uint32_t> nativeKeyCode(std::uint32_t virtualKeyCode) const;

    // True when no keymap could be compiled at all: then no key has a position.
    [[nodiscard]] bool isEmpty() const { return toNative_.empty(); }

private:
    KeyboardPositions() = default;
    explicit KeyboardPositions(xkb_keymap* keymap);

    std::unordered_map<std::uint32_t, std::uint32_t> toVirtual_;
    std::unordered_map<std::uint32_t, std::uint32_t> toNative_;
};

} // namespace brindle
