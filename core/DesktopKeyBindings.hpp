#pragma once

#include "kit-core/PropertyList.hpp"
#include "kit-core/Shortcut.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The desktop's own key bindings, as its settings tool prints them (GNOME, Cinnamon and MATE keep them
// as accelerator strings such as "<Shift><Super>3"). Read to learn whether the desktop takes the
// capture keys before the global hot keys could see them.
namespace quillet::DesktopKeyBindings {

// The accelerators in one printed value: "['<Super>3', 'Print']", "'<Alt>F4'", "@as []". A value of any
// other kind (a number, a boolean) holds none.
[[nodiscard]] std::vector<std::string> accelerators(std::string_view printedValue);

// The combination of one accelerator, "<Shift><Super>3" → ⇧⌘3; Super is command, Alt option, Control
// (also Ctrl, Primary) control. A symbol typed with Shift on the US layout is its key with Shift
// ("<Super>numbersign" → ⇧⌘3). Absent for keys without a virtual key code, other modifiers
// (Hyper, Meta, Mod3) and "disabled".
[[nodiscard]] std::optional<brindle::Shortcut> shortcut(std::string_view accelerator);

// Every combination bound in a listing of "schema key value" lines (gsettings list-recursively).
[[nodiscard]] std::vector<brindle::Shortcut> boundShortcuts(std::string_view listing);

// The symbolic hot-key table SystemScreenshotShortcuts reads: each screenshot entry is enabled exactly
// when the desktop binds the combination of its capture action's default (⇧⌘3, ⇧⌘4, ⇧⌘5).
[[nodiscard]] brindle::PropertyList::Dictionary symbolicHotKeys(const std::vector<brindle::Shortcut>& bound);

} // namespace quillet::DesktopKeyBindings
