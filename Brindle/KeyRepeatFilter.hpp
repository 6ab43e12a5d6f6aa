#pragma once

#include <cstdint>
#include <unordered_map>
#include <unordered_set>

namespace brindle {

// Tells the first press of a held key from the presses its auto-repeat makes, so a held hot key fires
// once. The X server repeats either as presses without releases (detectable auto-repeat) or as a
// release and a press carrying the same timestamp; both are recognised.
class KeyRepeatFilter {
public:
    // True for a real press; false for a repeat. Either way the key counts as down afterwards.
    [[nodiscard]] bool isNewPress(std::uint32_t keyCode, std::uint32_t time);

    void released(std::uint32_t keyCode, std::uint32_t time);

    [[nodiscard]] bool isDown(std::uint32_t keyCode) const { return down_.contains(keyCode); }

private:
    std::unordered_set<std::uint32_t> down_;
    std::unordered_map<std::uint32_t, std::uint32_t> lastRelease_;
};

} // namespace brindle
