#pragma once

#include "kit-core/PropertyList.hpp"

#include <array>

// The desktop's own screenshot shortcuts, which would take the capture keys before our global hot keys
// see them.
namespace quillet::SystemScreenshotShortcuts {

// Their entries in the symbolic hot-key table: the whole screen, an area, the screenshot panel.
inline constexpr std::array<int, 3> identifiers{28, 30, 184};

// Whether any of them counts as on in `table` (entry key: the identifier in decimal). Only an explicit
// "enabled" of false or 0 counts as off, so a missing or unreadable entry counts as on.
[[nodiscard]] bool anyEnabled(const brindle::PropertyList::Dictionary& table);

} // namespace quillet::SystemScreenshotShortcuts
