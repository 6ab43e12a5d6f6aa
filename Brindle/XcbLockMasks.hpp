#pragma once

#include <cstdint>
#include <vector>

struct xcb_connection_t;

namespace brindle {

// The X modifier bits of the lock keys. A grab names its modifiers exactly, so a hot key is grabbed
// once for every combination of locks that may be on, or it would not fire while Num Lock is lit.
struct XcbLockMasks {
    static constexpr std::uint16_t capsLock = 0x02; // the core Lock modifier

    std::uint16_t numLock = 0;    // 0 when no modifier carries Num Lock
    std::uint16_t scrollLock = 0; // 0 when no modifier carries Scroll Lock

    // Reads which modifiers the server's current mapping gives Num Lock and Scroll Lock.
    [[nodiscard]] static XcbLockMasks read(xcb_connection_t* connection);

    // Every combination of the mapped lock bits, starting with none.
    [[nodiscard]] std::vector<std::uint16_t> variants() const;

    // All lock bits together, to clear them from the state of a press.
    [[nodiscard]] std::uint16_t all() const { return capsLock | numLock | scrollLock; }

    friend bool operator==(const XcbLockMasks&, const XcbLockMasks&) = default;
};

} // namespace brindle
